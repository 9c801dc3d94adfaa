# Shared by tools/test.sh and tools/run.sh: set-up, build, wine prefix and display.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
# Per-user cache: the Lua sources (tools/setup.sh) and the wine prefix of tools/run.sh.
user_cache=${XDG_CACHE_HOME:-$HOME/.cache}/tro_ui_zin
xvfb_pid=

# Builds the given targets (all when none are given). ZIN_TARGETS, when set, names the targets
# instead, e.g. while one subsystem is being worked on.
build_all() {
  bash "$top/tools/setup.sh"
  if [ ! -f "$build_dir/CMakeCache.txt" ] || [ ! -f "$build_dir/Makefile" ]; then
    cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  local targets=()
  for t in ${ZIN_TARGETS:-$*}; do targets+=(--target "$t"); done
  cmake --build "$build_dir" -j "$(nproc)" "${targets[@]}" -- --no-print-directory
}

# The environment of every wine run: quiet wine, no .NET or HTML engines, and a UTF-8 locale, so
# that paths in any language reach their files (wine names files on disk in the locale's
# charset); ZIN_WINE_LOCALE may name another locale for a test that needs one.
wine_environment() {
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  export LC_ALL=${ZIN_WINE_LOCALE:-C.UTF-8} LANG=${ZIN_WINE_LOCALE:-C.UTF-8}
}

# The wine prefix (made once, then reused): the tests keep their own in the build folder, because
# they stop its wine server at the end and change its settings; tools/run.sh and manual runs of
# tools/wine-run.sh use the per-user one.
prepare_wine() {
  export WINEPREFIX=${1:-$build_dir/wineprefix}
  wine_environment
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "preparing wine prefix $WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}

# Without a window manager, wine waits about 2 s for each shown window it destroys unless it leaves
# the windows unmanaged; under a window manager they should be managed. With no argument the
# setting follows this run's display (a window manager announces itself on the root window): runs
# of both kinds share the per-user prefix, so each run sets what it needs.
set_wine_managed() {
  local managed=${1:-}
  if [ -z "$managed" ]; then
    managed=no
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && managed=yes
  fi
  if [ "$managed" = no ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  fi
}

# Xvfb (24-bit) on a free display when DISPLAY is unset; stopped by its process id on exit.
start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=${XVFB_FIRST_DISPLAY:-90}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
}

stop_display() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}

stop_all() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  stop_display
}
