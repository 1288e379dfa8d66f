#!/usr/bin/env bash
# The real sweepwise-cli program against the tests' own web server (run this script through
# tests/online/with_update_server.sh, which names the server in SWEEPWISE_TEST_SERVER_TLS
# and the key that signs its version files in SWEEPWISE_TEST_UPDATE_KEY):
# "update check" reports newer, equal and older versions and exits 1 without a version file;
# every hostile server (an unsigned version file, one signed by another key, one changed
# after signing, a release that is not what the digest says, a release larger than its signed
# size, a version file of 100 MB, one that trickles its body or its head, a redirect to
# another port, a plain-HTTP release address) gets exit 1 with
# a message, and leaves version.txt, RunOnce and the folder as they were; "update install"
# downloads the release, writes update.bat exactly, sets the RunOnce value and replaces
# version.txt, and a second install while that release waits leaves it untouched. Under
# Wine the batch then runs in Wine's cmd and puts the release in place.
#   update_round_trip.sh PROGRAM_FOLDER WINDOWS_FOLDER DRIVE_C RUNNER... PROGRAM
# PROGRAM_FOLDER is the Linux folder of the program's own folder, WINDOWS_FOLDER the same
# folder as the program names it (C:\sweepwise\bin under Wine, C: for the host build), and
# DRIVE_C the Linux folder of drive C: (for the host build's drive mapping). Under Wine,
# SWEEPWISE_TEST_TRUST_PROGRAM names the program that makes the prefix trust the server's
# certificate. Each hostile case's message and exit status are printed.
set -uo pipefail
folder=$1
windows_folder=$2
drive_c=$3
shift 3
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -n "${SWEEPWISE_TEST_SERVER_TLS:-}" ]] || fail "SWEEPWISE_TEST_SERVER_TLS is not set"
server=$SWEEPWISE_TEST_SERVER_TLS
tools_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
wine=false
[[ "$1" == *wine-run.sh ]] && wine=true
prefix=$(cd "$drive_c/.." && pwd)

mkdir -p "$folder"
files=(version.txt versiyonyeni.txt updatesite.txt update.bat sweepwisepro21.exe sweepwisepro21.exe.part
  sweepwisepro2.exe update-key.pem)
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
wine_do_servers() { (SWEEPWISE_PREFIX="$prefix" && source "$tools_dir/wine-env.sh" && wine_servers); }
run_once_value() { wine_do reg query "$run_once" /v sweepwisepro2Update; }

if $wine; then
  runner=("${@:1:$#-1}")
  "${runner[@]}" "$SWEEPWISE_TEST_TRUST_PROGRAM" || fail "the prefix does not trust the test server"
fi
# The test signer's key, as a mirror's key beside the program.
cp "$SWEEPWISE_TEST_UPDATE_KEY" "$folder/update-key.pem"

printf '3.5\r\n' >"$folder/version.txt"
# Whether the prefix's machine root store holds the server's certificate now: said when the
# first request fails, since Wine keeps that store in its registry.
trusted_now() {
  $wine || return 0
  local hash
  hash=$(openssl x509 -noout -fingerprint -sha1 <<<"$SWEEPWISE_TEST_TLS_CERT_PEM" | sed 's/.*=//; s/://g')
  wine_do reg query "HKLM\Software\Microsoft\SystemCertificates\Root\Certificates\$hash" >/dev/null
  echo "a query for the certificate $hash in the root store exited $? (0: it is there)"
}
out=$(cli "$@" update check --server "$server/newer" --json) ||
  fail "update check exited $?: $out ($(trusted_now); Wine servers: $(wine_do_servers))"
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

# Hostile servers: exit 1, a message naming the reason, nothing changed. The time-outs are
# seconds here (the shipped ones are 30/30/60), so that the trickling server ends quickly.
nothing_changed() {
  for file in update.bat sweepwisepro21.exe sweepwisepro21.exe.part; do
    [[ ! -e "$folder/$file" ]] || fail "$1: $file is there"
  done
  [[ $(cat "$folder/version.txt") == $'3.5\r' ]] || fail "$1: version.txt changed"
  if $wine && run_once_value | grep -q sweepwisepro2Update; then fail "$1: RunOnce set"; fi
}
hostile() {  # NAME EXPECTED-WORDS COMMAND...
  local name=$1 words=$2
  shift 2
  rm -f "$folder/versiyonyeni.txt"
  SWEEPWISE_HTTP_TIMEOUTS=3,8,4 cli "$@" >"$work/out" 2>"$work/err"
  local status=$?
  echo "$name: exit $status: $(tr -d '\r' <"$work/err" | tr '\n' ' ')"
  [[ $status -eq 1 ]] || fail "$name gave exit $status, not 1"
  grep -q -F "$words" "$work/err" || fail "$name: the message does not say \"$words\": $(cat "$work/err")"
  nothing_changed "$name"
}
hostile unsigned "is not signed" "$@" update install --server "$server/unsigned" --yes
hostile "signed by another key" "does not verify" "$@" update check --server "$server/otherkey"
hostile "line 1 changed after signing" "does not verify" "$@" update install --server "$server/changed" --yes
hostile "release unlike its digest" "does not match its published SHA-256 digest" \
  "$@" update install --server "$server/baddigest" --yes
hostile "version file of 100 MB" "larger than the 64 KB allowed" "$@" update check --server "$server/huge"
hostile "one byte every five seconds" "did not send it all within 4 s" "$@" update check --server "$server/trickle"
# The status line and headers one byte every five seconds: WinINet's request waits for them,
# and closing its handle does not end that wait under Wine; the check still ends at its
# deadline (4 s here), not after the two minutes the server keeps trickling. The bound is
# loose: it tells a deadline kept from one ignored.
started=$SECONDS
hostile "status line and headers one byte every five seconds" "did not send it all within 4 s" \
  "$@" update check --server "$server/tricklehead"
(( SECONDS - started < 30 )) || fail "the trickling head held the check for $((SECONDS - started)) s"
hostile "release larger than its signed size" "larger than the" \
  "$@" update install --server "$server/bigrelease" --yes
hostile "redirect to another port" "is followed" "$@" update check --server "$server/redirect"
hostile "http:// release address" "is not an HTTPS address" "$@" update install --server "$server/httpsite" --yes
rm -f "$folder/updatesite.txt"

# Without a console and without --yes, install refuses.
cli "$@" update install --server "$server/newer" >/dev/null 2>&1
status=$?
[[ $status -eq 1 && ! -e "$folder/sweepwisepro21.exe" ]] || fail "install without --yes gave $status or downloaded"

out=$(cli "$@" update install --server "$server/newer" --yes --json) || fail "update install exited $?: $out"
[[ $(field installed <<<"$out") == true ]] || fail "not installed: $out"
python3 -c 'import sys, urllib.request; sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1]).read())' \
  "$server/newer/release/sweepwisepro2.exe" >"$work/release" || fail "the release cannot be fetched again"
cmp -s "$work/release" "$folder/sweepwisepro21.exe" || fail "the downloaded release differs from the server's"
[[ ! -e "$folder/sweepwisepro21.exe.part" ]] || fail "the temporary download is still there"
d=$windows_folder
rule="@echo $(printf -- '-%.0s' {1..39})"
printf '%s\r\n' cls '@echo off' "$rule" '@echo SWEEPWISEPRO2 Update Module' "$rule" \
  "@del \"$d\\sweepwisepro2.exe\" >nul" "@move \"$d\\sweepwisepro21.exe\" \"$d\\sweepwisepro2.exe\" >nul" \
  "\"$d\\sweepwisepro2.exe\"" cls '@echo Update done. Please close this window.' >"$work/update.bat"
cmp -s "$work/update.bat" "$folder/update.bat" || fail "update.bat is not as expected:"$'\n'"$(cat -A "$folder/update.bat")"
[[ $(head -n 1 "$folder/version.txt") == $'3.6\r' ]] || fail "version.txt was not replaced: $(cat "$folder/version.txt")"
[[ ! -e "$folder/versiyonyeni.txt" ]] || fail "versiyonyeni.txt is still there"

if $wine; then
  # A newer offer while that release waits for the log-on: nothing is downloaded over it.
  # (The host build's registry lives as long as one run, so only Wine keeps the RunOnce
  # value from one run to the next; the engine test covers the host.)
  cp "$folder/version.txt" "$work/installed"
  cli "$@" update install --server "$server/newest" --yes >/dev/null 2>"$work/err"
  status=$?
  echo "second download while a release waits: exit $status: $(tr -d '\r' <"$work/err" | tr '\n' ' ')"
  [[ $status -eq 1 ]] || fail "a second install while a release waits gave exit $status"
  grep -q "already waits for the next log-on" "$work/err" || fail "the waiting release was not named: $(cat "$work/err")"
  cmp -s "$work/release" "$folder/sweepwisepro21.exe" || fail "the waiting release was changed"
  cmp -s "$work/update.bat" "$folder/update.bat" || fail "the waiting batch was changed"
  cmp -s "$work/installed" "$folder/version.txt" || fail "version.txt changed"
  [[ ! -e "$folder/sweepwisepro21.exe.part" ]] || fail "the second download left a part"

  # Quoted: the folder may hold blanks.
  run_once_value | grep sweepwisepro2Update | grep -q -F "\"$d\\update.bat\"" || fail "RunOnce: $(run_once_value)"
  # What the next log-on does: Wine's cmd runs the batch, which puts the release in place
  # and starts it.
  wine_do cmd /c "$d\\update.bat" >"$work/batch.out"
  grep -q "Update done. Please close this window." "$work/batch.out" || fail "the batch did not end: $(cat "$work/batch.out")"
  cmp -s "$work/release" "$folder/sweepwisepro2.exe" || fail "the batch did not put the release in place"
  [[ ! -e "$folder/sweepwisepro21.exe" ]] || fail "the batch left the downloaded release"
fi
echo "update round trip: ok"
