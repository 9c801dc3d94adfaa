#!/usr/bin/env bash
# The main job: installs what is missing, builds the reference host and the component (nothing
# else: the tests and benchmarks are built by tools/test.sh), and starts the host with a skin - the
# bundled default one unless --skin names another - and the demo playlist: on the display when
# there is one (playing at once), else headless under Xvfb for a few seconds, where it clicks the
# default skin's play button (another skin is told to play) and saves a screenshot of the skin's
# windows. Each skin has a profile folder of its own under build/profiles, so the skin one run
# remembers does not stand in for the one the next run asks for. The wine prefix is the per-user
# one under ~/.cache/tro_ui_zin. Other arguments go to the host. The exit code is the host's.
#
# Every line of the run goes to build/run.log; the terminal leaves out the known noise (the build's
# "Built target" lines, wine's notices of volume labels, apt's sandbox warning).
set -euo pipefail
. "$(dirname "$0")/common.sh"
log="$build_dir/run.log"
mkdir -p "$build_dir"
: >"$log"
noise='Built target |Consolidate compiler generated dependencies|FS volume label|unsandboxed as root'
exec {terminal}>&1
exec > >(tee -a "$log" | { grep --line-buffered -v -E "$noise" || true; }) 2>&1
filter_pid=$!
say() { echo "$(date +%H:%M:%S.%3N) run.sh: $*"; }
host_pid=
finish() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  # The shared prefix's wine server ends by itself once its programs have; Xvfb goes after it.
  [ -n "$xvfb_pid" ] && timeout 10 wineserver -w >/dev/null 2>&1
  stop_display
  # The last lines reach the terminal before the prompt does.
  exec >&"$terminal" 2>&1
  wait "$filter_pid" 2>/dev/null || true
}
trap finish EXIT

# --skin FILE and --profile DIR are taken from the host's arguments; the rest goes on.
skin="$top/skins/default/skin.lua"
own_profile=1
host_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --skin) [ $# -ge 2 ] || { say "--skin needs a file"; exit 1; }; skin=$2; shift 2 ;;
    --skin=*) skin=${1#--skin=}; shift ;;
    --profile | --profile=*) own_profile=0; host_args+=("$1"); shift ;;
    *) host_args+=("$1"); shift ;;
  esac
done
[ -f "$skin" ] || { say "no such skin file: $skin"; exit 1; }
skin=$(realpath "$skin")
default_skin=0
[ "$skin" = "$(realpath "$top/skins/default/skin.lua")" ] && default_skin=1
if [ "$own_profile" = 1 ]; then
  profile="$build_dir/profiles/$(basename "$(dirname "$skin")")-$(printf '%s' "$skin" | cksum | cut -d' ' -f1)"
  mkdir -p "$profile"
  host_args=(--profile "$profile" "${host_args[@]}")
fi

build_all trovaplay tro_ui_zin shared || { say "the build failed (see the lines above; log: $log)"; exit 1; }
host="$build_dir/bin/trovaplay.exe"
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
start_display
mkdir -p "$user_cache"
prepare_wine "$user_cache/wineprefix"
set_wine_managed
demo="$top/skins/default/demo.m3u"
host_args=(--skin "$skin" "${host_args[@]}")
if [ "$headless" = 0 ]; then
  status=0
  "$top/tools/wine-run.sh" "$host" "${host_args[@]}" --play "$demo" || status=$?
  exit "$status"
fi

# Headless: load the demo playlist, click the default skin's play button with real X input once
# its window shows (another skin plays at once: where its play button lies is not known), let it
# play a while, and keep a screenshot of the skin's windows taken at the end.
shot="$build_dir/screenshot.png"
rm -f "$shot"
[ "$default_skin" = 1 ] || host_args+=(--play)
"$top/tools/wine-run.sh" "$host" "${host_args[@]}" --run-for 8000 --screenshot "$shot" "$demo" &
host_pid=$!
# The skin's windows are the host process's visible windows (wine marks each with its process id);
# a dialog that the host answers may show before them. The default skin's main window is "main".
windows=
main=
for _ in $(seq 1 100); do
  windows=$(xdotool search --onlyvisible --pid "$host_pid" 2>/dev/null || true)
  for w in $windows; do [ "$(xdotool getwindowname "$w" 2>/dev/null)" = main ] && main=$w; done
  [ -n "$main" ] && break
  [ "$default_skin" = 0 ] && [ -n "$windows" ] && break
  kill -0 "$host_pid" 2>/dev/null || break
  sleep 0.1
done
[ "$default_skin" = 0 ] && [ -n "$windows" ] && sleep 1 # the skin's windows, not a dialog before them
if ! kill -0 "$host_pid" 2>/dev/null; then
  : # the host has ended already: its exit code says how
elif [ "$default_skin" = 0 ]; then
  windows=$(xdotool search --onlyvisible --pid "$host_pid" 2>/dev/null || true)
  n=$(echo "$windows" | wc -w)
  say "the skin shows $n window$([ "$n" = 1 ] || echo s); it was told to play"
elif [ -n "$main" ]; then
  sleep 0.5 # let the windows finish their first paint
  # The play button's centre, in window coordinates (see skins/default/skin.lua).
  xdotool mousemove --window "$main" 62 87 click 1
  say "clicked the play button of the skin's main window at (62, 87)"
else
  say "the skin's main window did not show; no click"
fi
status=0
wait "$host_pid" || status=$?
host_pid=
if [ "$status" = 0 ]; then
  say "done; screenshot of the skin: $shot, log: $log"
else
  say "the host ended with exit code $status (see the lines above; log: $log)"
fi
exit "$status"
