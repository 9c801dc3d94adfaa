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
ctest_args=(--test-dir "$build_dir" --output-on-failure --timeout 300 -j "$(nproc)" "$@")
has_tests() { ctest "${ctest_args[@]}" -N "$@" | grep -q "^Total Tests: [1-9]"; }

# The hostile-input suites (label "hostile") start over a thousand hosts, which keep the display's
# and the wine server's single threads busy for minutes. They run beside the other tests, on an
# Xvfb display and a wine server of their own, so that the tests that need the shared display to
# themselves need not wait for them.
# Their prefix is a copy of the tests' one whose Windows folders, nearly all its size and never
# written, are hard links (the registry files are written in place: they are copied).
copy_prefix() {
  local windows=drive_c/windows
  wineserver -w  # the registry files are complete
  rm -rf "$2.new"
  mkdir -p "$2.new"
  (cd "$1" && tar -c --exclude="./$windows/system32" --exclude="./$windows/winsxs" .) | (cd "$2.new" && tar -x)
  cp -al "$1/$windows/system32" "$1/$windows/winsxs" "$2.new/$windows/"
  mv "$2.new" "$2"
}
hostile_pid=
hostile_log=$build_dir/hostile-tests.log
hostile_prefix=$build_dir/wineprefix-hostile
if has_tests -L hostile; then
  [ -f "$hostile_prefix/system.reg" ] || copy_prefix "$WINEPREFIX" "$hostile_prefix"
  echo "the hostile-input suites run beside the other tests; their output follows at the end ($hostile_log)"
  (
    trap stop_all EXIT
    unset DISPLAY
    start_display
    export WINEPREFIX=$hostile_prefix
    set_wine_managed no
    ctest "${ctest_args[@]}" -L hostile
  ) > "$hostile_log" 2>&1 &
  hostile_pid=$!
fi
status=0
if has_tests -LE hostile || [ -z "$hostile_pid" ]; then
  ctest "${ctest_args[@]}" -LE hostile || status=$?
fi
if [ -n "$hostile_pid" ]; then
  wait "$hostile_pid" || status=$?
  cat "$hostile_log"
fi
exit "$status"
