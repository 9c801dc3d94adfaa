#!/usr/bin/env bash
# The reference host without a usable display (DISPLAY unset, so wine reaches no X server): exit
# code 6, and one ERROR line says why. Arguments: tools/wine-run.sh and trovaplay.exe.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
code=0
env -u DISPLAY "$1" "$2" --run-for 500 --profile "Z:$work/profile" >"$work/out.txt" 2>&1 || code=$?
if [ "$code" != 6 ] || [ "$(grep -c ERROR "$work/out.txt")" != 1 ] ||
   ! grep -q 'host: ERROR : no usable display: ' "$work/out.txt"; then
  echo "expected exit code 6 and one ERROR line about the display; got exit code $code:"
  cat "$work/out.txt"
  exit 1
fi
