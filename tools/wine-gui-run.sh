#!/usr/bin/env bash
# Runs a Windows program of the build under Wine in a virtual X server (Xvfb), in the
# sandboxed prefix PREFIX, whose programs share one Wine virtual desktop with a taskbar and
# notification area. The prefix's Wine server ends with the X server.
#
#   tools/wine-gui-run.sh PREFIX PROGRAM.exe [ARGS...]
set -euo pipefail
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$(realpath -m "$1")
shift

if [[ -z "${SWEEPWISE_GUI_DISPLAY:-}" ]]; then
  exec env SWEEPWISE_GUI_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$prefix" "$@"
fi

"$tools/wine-desktop.sh" "$prefix" 1024x768
status=0
"$tools/wine-run.sh" --prefix "$prefix" "$@" || status=$?
SWEEPWISE_PREFIX=$prefix
# shellcheck source=wine-env.sh
source "$tools/wine-env.sh"
wineserver -k 2>/dev/null || true
exit "$status"
