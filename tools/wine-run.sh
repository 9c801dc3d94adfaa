#!/usr/bin/env bash
# Runs a Windows program under wine with the project's fixed environment: a wine prefix inside the
# build folder, quiet wine debug output, a fixed locale (so the ANSI code page is the same everywhere).
# DISPLAY comes from the caller (tools/test.sh starts Xvfb when there is none).
set -u
exe=$1; shift
bin_dir=$(cd "$(dirname "$exe")" && pwd)
build_dir=$(dirname "$bin_dir")
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# ZIN_WINE_LOCALE may name another locale for a test that needs one (wine names files on disk in
# the locale's charset).
export LC_ALL=${ZIN_WINE_LOCALE:-C} LANG=${ZIN_WINE_LOCALE:-C}
exec wine "$exe" "$@"
