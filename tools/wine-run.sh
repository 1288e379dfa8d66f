#!/usr/bin/env bash
# Runs a Windows program of the build in the sandboxed Wine prefix (created on first use).
#
#   tools/wine-run.sh --prefix DIR [--collect-output] PROGRAM.exe [ARGS...]
#
# --collect-output (CTest's use): the program's output goes to files in the prefix and is
# copied to ours once the program has ended. A Wine helper process the program starts on the
# way (the desktop process of the first program that needs a window, say) inherits the
# program's output and may outlive it for as long as other tests keep using it; had it our
# caller's pipe, the caller (CTest, or a test's $(...)) would wait for it long after the
# program passed.
#
# The program and the other .exe and .dll files beside it are copied to C:\sweepwise\bin and run from
# there: with no drive but C:, a program started from a Linux path would see a meaningless
# module path. This is the CMake emulator of the MinGW build, so CTest runs the tests here.
set -euo pipefail

if [[ "${1:-}" == "--prefix" && $# -ge 3 ]]; then
  SWEEPWISE_PREFIX=$(realpath -m "$2")
  shift 2
  collect=0
  if [[ "${1:-}" == "--collect-output" ]]; then
    collect=1
    shift
  fi
else
  echo "usage: $0 --prefix PREFIX-DIR PROGRAM.exe [ARGS...]" >&2
  exit 125
fi
tools_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$tools_dir/wine-prefix.sh" "$SWEEPWISE_PREFIX"
# shellcheck source=wine-env.sh
source "$tools_dir/wine-env.sh"

# One Wine server per prefix, kept for ten minutes after its last program (see
# wine-env.sh). The server must not end between this and the program's start (the program
# would then start one holding CTest's pipe, and tests arriving at the pace of a test run
# keep such a server alive past any time-out), so it outlives any pause a test run makes:
# the window tests and installer tests run in prefixes of their own for minutes while this
# one idles.
start_persistent_server

program=$1
shift
bin="$WINEPREFIX/drive_c/sweepwise/bin"
mkdir -p "$bin"
for exe in "$(dirname "$program")"/*.exe "$(dirname "$program")"/*.dll; do
  [[ -e "$exe" ]] || continue
  target="$bin/$(basename "$exe")"
  if [[ "$exe" -nt "$target" || ! -f "$target" ]]; then
    # Copied under a new name and renamed, so a program that runs meanwhile keeps its file.
    cp -p "$exe" "$target.$$"
    mv -f "$target.$$" "$target"
  fi
done

cd "$bin"
windows_program="C:\\sweepwise\\bin\\$(basename "$program")"
if [[ $collect -eq 0 ]]; then
  exec "${wine_layout[@]}" wine "$windows_program" "$@"
fi
out=$(mktemp -p "$WINEPREFIX" .run-output.XXXXXX)
err=$(mktemp -p "$WINEPREFIX" .run-errors.XXXXXX)
trap 'rm -f "$out" "$err"' EXIT
status=0
started=${EPOCHREALTIME/./}
wine "$windows_program" "$@" >"$out" 2>"$err" || status=$?
if [[ $status -ne 0 && ! -s "$out" && ! -s "$err" ]]; then
  # A program that could not start leaves no other trace of why a test failed (Wine's loader
  # says why only on the channels wine-env.sh keeps on): how long it ran, and which Wine
  # servers ran then, tell a program that never started from one that ended at once.
  echo "wine-run.sh: $windows_program ended with exit status $status after" \
    "$(((${EPOCHREALTIME/./} - started) / 1000)) ms and printed nothing; Wine servers: $(wine_servers)" >&2
fi
cat "$err" >&2
cat "$out"
exit $status
