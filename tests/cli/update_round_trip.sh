#!/usr/bin/env bash
# The real sweepwise-cli program against the tests' own web server (run this script through
# tests/online/with_update_server.sh, which names the server in SWEEPWISE_TEST_SERVER):
# "update check" reports newer, equal and older versions and exits 1 without a version file;
# "update install" installs nothing when the release fails its digest, and otherwise
# downloads the release, writes update.bat exactly, sets the RunOnce value and replaces
# version.txt. Under Wine the batch then runs in Wine's cmd and puts the release in place.
#   update_round_trip.sh PROGRAM_FOLDER WINDOWS_FOLDER DRIVE_C RUNNER... PROGRAM
# PROGRAM_FOLDER is the Linux folder of the program's own folder, WINDOWS_FOLDER the same
# folder as the program names it (C:\sweepwise\bin under Wine, C: for the host build), and
# DRIVE_C the Linux folder of drive C: (for the host build's drive mapping).
set -uo pipefail
folder=$1
windows_folder=$2
drive_c=$3
shift 3
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -n "${SWEEPWISE_TEST_SERVER:-}" ]] || fail "SWEEPWISE_TEST_SERVER is not set"
server=$SWEEPWISE_TEST_SERVER
tools_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
wine=false
[[ "$1" == *wine-run.sh ]] && wine=true
prefix=$(cd "$drive_c/.." && pwd)

mkdir -p "$folder"
files=(version.txt versiyonyeni.txt updatesite.txt update.bat sweepwisepro21.exe sweepwisepro2.exe)
work=$(mktemp -d "${TMPDIR:-/tmp}/sweepwise-update.XXXXXX")
saved="$work/saved"  # what the program folder held before
mkdir "$saved"
for file in "${files[@]}"; do
  [[ -e "$folder/$file" ]] && mv "$folder/$file" "$saved/$file"
done
run_once='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'
wine_do() { (SWEEPWISE_PREFIX="$prefix" && source "$tools_dir/wine-env.sh" && cd "$drive_c" && wine "$@" 2>/dev/null | tr -d '\r'); }
cleanup() {
  for file in "${files[@]}"; do
    rm -f "$folder/$file"
    [[ -e "$saved/$file" ]] && mv "$saved/$file" "$folder/$file"
  done
  rm -rf "$work"
  # A RunOnce entry left here would run the test's batch at the prefix's next start.
  $wine && wine_do reg delete "$run_once" /v sweepwisepro2Update /f >/dev/null
}
trap cleanup EXIT

cli() { SWEEPWISE_HOST_DRIVE_C="$drive_c" "$@" </dev/null; }
field() { python3 -c 'import json, sys; print(json.dumps(json.loads(sys.stdin.read())[sys.argv[1]]))' "$1"; }
run_once_value() { wine_do reg query "$run_once" /v sweepwisepro2Update; }

printf '3.5\r\n' >"$folder/version.txt"
out=$(cli "$@" update check --server "$server/newer" --json) || fail "update check exited $?"
[[ $(field newer <<<"$out") == true ]] || fail "3.6 is not newer than 3.5: $out"
[[ $(field offered <<<"$out") == '"3.6"' && $(field current <<<"$out") == '"3.5"' ]] || fail "versions: $out"
[[ $(field product <<<"$out") == '"QZ Sweepwise Pro"' ]] || fail "product: $out"
[[ $(field description <<<"$out") == '"Faster cleaning & a new look"' ]] || fail "description: $out"
[[ $(field size_kb <<<"$out") =~ ^[0-9]+$ ]] || fail "size_kb: $out"

out=$(SWEEPWISE_SERVER="$server/equal" cli "$@" update check --json) || fail "update check (equal) exited $?"
[[ $(field newer <<<"$out") == false ]] || fail "3.5 is newer than 3.5: $out"
out=$(SWEEPWISE_SERVER="$server/newer" cli "$@" update check --server "$server/older" --json) ||
  fail "update check (older) exited $?"
[[ $(field newer <<<"$out") == false && $(field offered <<<"$out") == '"3.4"' ]] || fail "--server over the variable: $out"

cli "$@" update check --server "$server/gone" >/dev/null 2>&1
status=$?
[[ $status -eq 1 ]] || fail "a server without the version file gave exit $status, not 1"

# A release that does not match its digest: nothing is installed, nothing is left.
cli "$@" update install --server "$server/baddigest" --yes >/dev/null 2>"$work/err"
status=$?
[[ $status -eq 1 ]] || fail "a wrong digest gave exit $status, not 1"
grep -q "digest" "$work/err" || fail "the wrong digest was not named: $(cat "$work/err")"
for file in update.bat sweepwisepro21.exe; do
  [[ ! -e "$folder/$file" ]] || fail "$file is there after a wrong digest"
done
[[ $(cat "$folder/version.txt") == $'3.5\r' ]] || fail "version.txt changed after a wrong digest"
if $wine && run_once_value | grep -q sweepwisepro2Update; then fail "RunOnce set after a wrong digest"; fi

# Without a console and without --yes, install refuses.
cli "$@" update install --server "$server/newer" >/dev/null 2>&1
status=$?
[[ $status -eq 1 && ! -e "$folder/sweepwisepro21.exe" ]] || fail "install without --yes gave $status or downloaded"

out=$(cli "$@" update install --server "$server/newer" --yes --json) || fail "update install exited $?: $out"
[[ $(field installed <<<"$out") == true ]] || fail "not installed: $out"
python3 -c 'import sys, urllib.request; sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1]).read())' \
  "$server/newer/release/sweepwisepro2.exe" >"$work/release" || fail "the release cannot be fetched again"
cmp -s "$work/release" "$folder/sweepwisepro21.exe" || fail "the downloaded release differs from the server's"
d=$windows_folder
rule="@echo $(printf -- '-%.0s' {1..39})"
printf '%s\r\n' cls '@echo off' "$rule" '@echo SWEEPWISEPRO2 Update Module' "$rule" "\"$d\\deleteubat.exe\"" \
  "@del \"$d\\sweepwisepro2.exe\" >nul" "@move \"$d\\sweepwisepro21.exe\" \"$d\\sweepwisepro2.exe\" >nul" \
  "\"$d\\sweepwisepro2.exe\"" cls '@echo Update done. Please close this window.' >"$work/update.bat"
cmp -s "$work/update.bat" "$folder/update.bat" || fail "update.bat is not as expected:"$'\n'"$(cat -A "$folder/update.bat")"
[[ $(head -n 1 "$folder/version.txt") == $'3.6\r' ]] || fail "version.txt was not replaced: $(cat "$folder/version.txt")"
[[ ! -e "$folder/versiyonyeni.txt" ]] || fail "versiyonyeni.txt is still there"

if $wine; then
  run_once_value | grep sweepwisepro2Update | grep -q -F "$d\\update.bat" || fail "RunOnce: $(run_once_value)"
  # What the next log-on does: Wine's cmd runs the batch, which puts the release in place
  # and starts it.
  wine_do cmd /c "$d\\update.bat" >"$work/batch.out"
  grep -q "Update done. Please close this window." "$work/batch.out" || fail "the batch did not end: $(cat "$work/batch.out")"
  cmp -s "$work/release" "$folder/sweepwisepro2.exe" || fail "the batch did not put the release in place"
  [[ ! -e "$folder/sweepwisepro21.exe" ]] || fail "the batch left the downloaded release"
fi
echo "update round trip: ok"
