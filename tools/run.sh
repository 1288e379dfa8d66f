#!/usr/bin/env bash
# Builds the Windows programs and runs Sweepwise under Wine, in a sandboxed demo prefix of its
# own (build/mingw/demo-prefix). Installs missing Debian packages first.
#
#   tools/run.sh             with a display: starts sweepwise.exe, which waits in the tray
#                            (click its icon to open the window; its menu's Exit ends it);
#                            without one: the Files Cleaning Find through sweepwise-cli.exe
#   tools/run.sh ARGS...     runs sweepwise-cli.exe with ARGS, for example "find registry"
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/install-deps.sh
cmake --preset mingw >/dev/null
prefix=build/mingw/demo-prefix

if [[ $# -eq 0 && -n "${DISPLAY:-}" ]]; then
  cmake --build --preset mingw --target sweepwise >&2
  exec tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise.exe
fi

cmake --build --preset mingw --target sweepwise-cli sweepwise-window-driver >&2  # stdout is the program's
tools/demo-data.sh "$prefix" build/mingw/src/sweepwise-window-driver.exe
if [[ $# -gt 0 ]]; then
  exec tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise-cli.exe "$@"
fi
echo "No display: the headless demo, Files Cleaning's Find over the demo junk in C:\\junk-demo." >&2
tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise-cli.exe find files
cat >&2 <<'TXT'

Next, try:  tools/run.sh delete files --backup --yes     (deletes these rows, first into a zqN.bck)
            tools/run.sh archive list 'C:\sweepwise\bin\zq0.bck'   (what that backup holds; --help lists every command)
TXT
