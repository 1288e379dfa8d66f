#!/usr/bin/env bash
# Every command line the README shows ("tools/run.sh ARGS...") runs as it shows it, in order,
# against a fresh demo prefix of its own (the demo data tools/run.sh plants): none may be
# refused as a usage error (exit 2), and each must end at all. A command may fail for what
# the demo does not hold (exit 1): the update server, for one, is a port of 127.0.0.1 where
# nothing listens, so that no test talks to the network.
#   readme_examples.sh README.md PREFIX BIN-DIR
# (BIN-DIR holds the build's sweepwise-cli.exe and sweepwise-window-driver.exe.)
set -uo pipefail
readme=$1
prefix=$(realpath -m "$2")
bin=$3
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$prefix"
"$tools/demo-data.sh" "$prefix" "$bin/sweepwise-window-driver.exe" --again >/dev/null || fail "no demo prefix"
# The prefix's server ends with it: one left running would answer for the next folder that
# gets the deleted one's inode number.
finish() {
  (SWEEPWISE_PREFIX=$prefix && source "$tools/wine-env.sh" && wineserver -k 2>/dev/null) || true
  rm -rf "$prefix"
}
trap finish EXIT
[[ -n "${SWEEPWISE_KEEP_PREFIX:-}" ]] && trap - EXIT
export SWEEPWISE_SERVER=https://127.0.0.1:9
# The README's demo prefix is build/mingw/demo-prefix; its lines name files in it.
cli() { timeout 300 "$tools/wine-run.sh" --prefix "$prefix" "$bin/sweepwise-cli.exe" "$@"; }

mapfile -t lines < <(grep -E '^tools/run\.sh [a-z]' "$readme")
(( ${#lines[@]} >= 20 )) || fail "only ${#lines[@]} example lines in $readme"
count=0
for line in "${lines[@]}"; do
  # The command without its comment (two blanks and "#" after the last quote) and with the
  # README's prefix made this test's.
  command=$(sed -E 's/[[:space:]]{2,}#.*$//' <<<"${line#tools/run.sh }")
  command=${command//build\/mingw\/demo-prefix/$prefix}
  output=$(eval "cli $command" 2>&1 </dev/null)
  status=$?
  echo "exit $status: sweepwise-cli $command"
  case $status in
    0 | 1) ;;
    2) fail "refused: sweepwise-cli $command"$'\n'"$output" ;;
    124) fail "never ended: sweepwise-cli $command" ;;
    *) fail "exit $status: sweepwise-cli $command"$'\n'"$output" ;;
  esac
  count=$((count + 1))
done
echo "all $count example lines of $readme ran"
