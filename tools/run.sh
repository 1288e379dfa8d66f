#!/usr/bin/env bash
# Builds the Windows programs and runs Sweepwise under Wine, in a sandboxed demo prefix of its
# own (build/mingw/demo-prefix). Installs missing Debian packages first.
#
#   tools/run.sh [ARGS...]   runs sweepwise-cli.exe with ARGS (default: --help)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target sweepwise-cli >&2  # stdout is the program's

[[ $# -gt 0 ]] || set -- --help
exec tools/wine-run.sh --prefix build/mingw/demo-prefix build/mingw/src/sweepwise-cli.exe "$@"
