#!/usr/bin/env bash
# Runs a Windows program under wine with the project's fixed environment (tools/common.sh: quiet
# wine, a UTF-8 locale). A caller that names its WINEPREFIX (tools/test.sh, tools/run.sh) has set
# it up; without one it is the per-user prefix of tools/run.sh, ~/.cache/tro_ui_zin/wineprefix
# (made when missing), set up for this run's display. DISPLAY comes from the caller.
set -u
. "$(dirname "$0")/common.sh"
if [ -z "${WINEPREFIX:-}" ]; then
  prepare_wine "$user_cache/wineprefix" >&2
  set_wine_managed
else
  wine_environment
fi
exec wine "$@"
