#!/usr/bin/env bash
# The main job: installs what is missing, builds the reference host and the component (nothing
# else: the tests and benchmarks are built by tools/test.sh), and starts the host with the bundled
# default skin and its demo playlist - on the display when there is one (playing at once), else
# headless under Xvfb for a few seconds: it clicks the play button and saves a screenshot of the
# skin's windows. The wine prefix is the per-user one under ~/.cache/tro_ui_zin. Extra arguments go
# to the host (--debug-log adds the component's debug lines; --full-screen makes the screenshot
# hold the whole screen). The exit code is the host's.
set -euo pipefail
. "$(dirname "$0")/common.sh"
build_all trovaplay tro_ui_zin shared
host="$build_dir/bin/trovaplay.exe"
host_pid=
finish() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  # The shared prefix's wine server ends by itself once its programs have; Xvfb goes after it.
  [ -n "$xvfb_pid" ] && timeout 10 wineserver -w >/dev/null 2>&1
  stop_display
}
trap finish EXIT
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
start_display
mkdir -p "$user_cache"
prepare_wine "$user_cache/wineprefix"
if [ "$headless" = 1 ]; then set_wine_managed no; else set_wine_managed yes; fi
profile="$build_dir/profile"
mkdir -p "$profile"
skin="$top/skins/default/skin.lua"
demo="$top/skins/default/demo.m3u"
log="$build_dir/run.log"
if [ "$headless" = 1 ]; then
  # Headless: load the demo playlist, click the skin's play button with real X input once its
  # window shows, let it play a while, and keep a screenshot of the skin's windows taken at the end.
  shot="$build_dir/screenshot.png"
  "$top/tools/wine-run.sh" "$host" --profile "$profile" --skin "$skin" \
      --log "$log" --run-for 8000 --screenshot "$shot" "$demo" "$@" &
  host_pid=$!
  window=
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^main$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -n "$window" ]; then
    sleep 0.5  # let the window finish its first paint
    # The play button's centre, in window coordinates (see skins/default/skin.lua).
    xdotool mousemove --window "$window" 62 87 click 1
    echo "run.sh: clicked the play button of the skin window"
  else
    echo "run.sh: the skin window did not show; no click"
  fi
  status=0
  wait "$host_pid" || status=$?
  host_pid=
  if [ "$status" = 0 ]; then
    echo "run.sh: done; screenshot of the skin: $shot, log: $log"
  else
    echo "run.sh: the host ended with exit code $status (see the lines above; log: $log)"
  fi
  exit "$status"
else
  "$top/tools/wine-run.sh" "$host" --profile "$profile" --skin "$skin" --log "$log" --play "$demo" "$@"
fi
