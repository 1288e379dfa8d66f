#!/usr/bin/env bash
# The real sweepwise-cli program (run through the given runner, Wine for the Windows build):
# --help succeeds, a wrong command exits 2 with one line on stderr.
#   exit_codes.sh [RUNNER ARGS...] PROGRAM
set -uo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }

"$@" --help >help.out 2>/dev/null || fail "--help exited $?"
grep -q "Usage: sweepwise-cli" help.out || fail "--help printed no usage"

"$@" no-such-command >bogus.out 2>bogus.err
status=$?
[[ $status -eq 2 ]] || fail "a wrong command exited $status, not 2"
[[ ! -s bogus.out ]] || fail "a wrong command printed on stdout"
[[ $(tr -d '\r' <bogus.err | wc -l) -eq 1 ]] || fail "a wrong command printed more than one line: $(cat bogus.err)"
grep -q -- "--help" bogus.err || fail "the usage error does not point to --help"
for args in "find" "delete registry --no-such-option" "find nothing"; do
  # shellcheck disable=SC2086
  "$@" $args >/dev/null 2>usage.err
  status=$?
  [[ $status -eq 2 ]] || fail "'$args' exited $status, not 2"
  [[ $(tr -d '\r' <usage.err | wc -l) -eq 1 ]] || fail "'$args' printed more than one line: $(cat usage.err)"
done
echo "exit codes as documented"
