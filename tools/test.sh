#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under wine (on Xvfb when there is
# no display). Extra arguments go to ctest.
set -euo pipefail
. "$(dirname "$0")/common.sh"
build_all
trap stop_all EXIT
start_display
prepare_wine
set_wine_managed no
ctest --test-dir "$build_dir" --output-on-failure --timeout 300 -j "$(nproc)" "$@"
