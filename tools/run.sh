#!/usr/bin/env bash
# The main job: installs what is missing, builds, and starts the reference host with the bundled
# default skin - on the display when there is one, else headless under Xvfb for a few seconds,
# saving a screenshot. Extra arguments go to the host.
set -euo pipefail
. "$(dirname "$0")/common.sh"
build_all
host="$build_dir/bin/trovaplay.exe"
if [ ! -f "$host" ]; then
  echo "built everything; the reference host is not part of this build yet"
  exit 0
fi
trap stop_all EXIT
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
start_display
prepare_wine
if [ "$headless" = 1 ]; then set_wine_managed no; else set_wine_managed yes; fi
profile="$build_dir/profile"
mkdir -p "$profile"
if [ "$headless" = 1 ]; then
  shot="$build_dir/screenshot.png"
  "$top/tools/wine-run.sh" "$host" --profile "$profile" --skin "$top/skins/default/skin.lua" \
      --log "$build_dir/run.log" --run-for 5000 --screenshot "$shot" "$@"
  echo "headless run finished; screenshot: $shot, log: $build_dir/run.log"
else
  "$top/tools/wine-run.sh" "$host" --profile "$profile" --skin "$top/skins/default/skin.lua" "$@"
fi
