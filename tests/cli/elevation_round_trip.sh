#!/usr/bin/env bash
# Who starts what, and where the programs write, with the real sweepwise-cli.exe in a fresh
# sandboxed prefix of its own under Xvfb. Wine runs every program with an administrator's
# elevated token, has no User Account Control and no access control, so what Windows enforces
# is made real here:
#   - a standard user: sweepwise-standard-user.exe starts a program with the filtered token
#     User Account Control gives an administrator's programs (not elevated);
#   - the desktop's shell: Wine's desktop has no shell window; sweepwise-test-shell.exe, started
#     as that standard user, becomes it, as Explorer is on Windows;
#   - an install for everyone: the console program copied to C:\Program Files\Sweepwise with
#     the installer's record beside it (Wine would let anyone write there, which is the point:
#     the record, not the rights, must decide);
#   - programs named like Windows' own, planted where a bare name would be searched first;
#   - uninstallers that fail (exit code 1618) and one whose copy never ends.
# Each case prints what the program said and its exit status.
#   elevation_round_trip.sh PREFIX BIN-DIR HELPER-DIR
# (BIN-DIR holds sweepwise-cli.exe and sweepwise-standard-user.exe; HELPER-DIR the test
# uninstaller and the test shell.)
set -uo pipefail
if [[ -z "${SWEEPWISE_GUI_DISPLAY:-}" ]]; then
  exec env SWEEPWISE_GUI_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
prefix=$(realpath -m "$1")
bin=$2
helpers=$3
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$prefix"
"$tools/wine-desktop.sh" "$prefix" 1024x768 >/dev/null || fail "no prefix"
export SWEEPWISE_PREFIX=$prefix
# shellcheck source=../../tools/wine-env.sh
source "$tools/wine-env.sh"
finish() {
  wineserver -k 2>/dev/null
  rm -rf "$prefix"
}
trap finish EXIT
[[ -n "${SWEEPWISE_KEEP_PREFIX:-}" ]] && trap - EXIT

c="$prefix/drive_c"
mkdir -p "$c/Tools" "$c/Helpers" "$c/Work"
cp "$bin/sweepwise-cli.exe" "$bin/sweepwise-standard-user.exe" "$c/Tools/"
cp "$helpers/sweepwise-test-uninstaller.exe" "$helpers/sweepwise-test-shell.exe" "$c/Helpers/"
log='C:\Work\uninstall.log'
host_log="$c/Work/uninstall.log"
in_c() { (cd "$c/Work" && wine "$@" 2>/dev/null | tr -d '\r'); }
reg() { in_c reg "$@"; }
json() { python3 -c "import json,sys; print(json.load(sys.stdin)$1)"; }
# The console program, elevated (Wine's own token): prints stdout, keeps stderr in $err.
err="$c/Work/err.txt"
cli() { (cd "$c/Work" && wine 'C:\Tools\sweepwise-cli.exe' "$@" 2>"$err" | tr -d '\r'); }
show() {  # NAME STATUS: what the program printed, for the record
  echo "== $1: exit $2"
  tr -d '\r' <"$err" | sed 's/^/   /'
}
entry_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
register() {  # ROOT-KEY SUBKEY TITLE COMMAND
  set_value "$1\\$2" DisplayName "$3"
  set_value "$1\\$2" UninstallString "$4"
}
# Writes one string value and checks that it reads back: an entry that did not take would
# show later as a program not found. Wine's reg once failed so, exiting without a word; what
# it said, its exit status and which Wine servers ran then are kept for the message.
set_value() {  # KEY NAME DATA
  local said status
  said=$(cd "$c/Work" && wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f 2>&1 | tr -d '\r')
  status=$?  # reg's own, with pipefail
  [[ "$(reg query "$1" /v "$2")" == *"$3"* ]] ||
    fail "the value $1\\$2 was not written (reg add exited $status: $said); the key now: $(reg query "$1" 2>&1); servers: $(wine_servers)"
}
has() { reg query "$1\\$2" >/dev/null; }
helper() { printf '"C:\\Helpers\\sweepwise-test-uninstaller.exe" "%s" %s' "$log" "$*"; }
logged() { [[ -f "$host_log" ]] && tr -d '\r' <"$host_log" | grep -q "^$1\$"; }

# 1. One data folder per install. An install for everyone keeps each user's files in that
#    user's %LOCALAPPDATA%\Sweepwise, elevated or not; without the installer's record (a
#    portable copy) a folder the program can write is its data folder.
local_app_data=$(in_c cmd /c echo '%LOCALAPPDATA%')
program="$c/Program Files/Sweepwise"
mkdir -p "$program"
cp "$bin/sweepwise-cli.exe" "$program/"
printf 'everyone\r\n' >"$program/install-mode.txt"
installed='C:\Program Files\Sweepwise\sweepwise-cli.exe'
elevated=$(in_c "$installed" paths --json) || fail "paths (elevated) exited $?"
standard=$(in_c 'C:\Tools\sweepwise-standard-user.exe' "$installed" paths --json) || fail "paths (standard user) exited $?"
echo "== paths --json of an install for everyone, elevated: $elevated"
echo "== the same, as a standard user: $standard"
for paths in "$elevated" "$standard"; do
  [[ "$(json '["mode"]' <<<"$paths")" == everyone ]] || fail "mode: $paths"
  [[ "$(json '["data_folder"]' <<<"$paths")" == "$local_app_data\\Sweepwise" ]] || fail "data folder: $paths"
done
[[ "$(json '["elevated"]' <<<"$elevated")" == True && "$(json '["elevated"]' <<<"$standard")" == False ]] ||
  fail "the two runs were not one elevated and one not"
[[ "$(ls -A "$program" | tr '\n' ' ')" == "install-mode.txt sweepwise-cli.exe " ]] || fail "written beside the program"
rm "$program/install-mode.txt"
portable=$(in_c "$installed" paths --json)
[[ "$(json '["mode"]' <<<"$portable")" == portable && "$(json '["data_folder"]' <<<"$portable")" == 'C:\Program Files\Sweepwise' ]] ||
  fail "without the record: $portable"

# 2. Windows Installer by its full path: MsiExec.exe planted beside the console program and in
#    the current folder (both searched before System32 for a bare name) never runs. Wine's own
#    msiexec knows no such product (1605): the entry is orphaned, and --yes removes it.
product='{5EE1A000-0000-4000-8000-00000000E1E1}'
register "$entry_key" "$product" "Sweepwise Installer Product" "MsiExec.exe /I$product"
reg add "$entry_key\\$product" /v WindowsInstaller /t REG_DWORD /d 1 /f >/dev/null
cp "$helpers/sweepwise-test-uninstaller.exe" "$c/Tools/MsiExec.exe"
cp "$helpers/sweepwise-test-uninstaller.exe" "$c/Work/MsiExec.exe"
out=$(cli uninstall "Sweepwise Installer Product" --quiet --yes --json)
status=$?
show "a Windows Installer product, with MsiExec.exe planted beside the program and in the current folder" $status
[[ ! -f "$host_log" ]] || fail "a planted MsiExec.exe ran: $(cat "$host_log")"
[[ "$(json '["rows"][0]["command"]' <<<"$out")" == "\"C:\\windows\\system32\\MsiExec.exe\" /X$product /qn" ]] ||
  fail "not started from System32: $out; the entry now: $(reg query "$entry_key\\$product" 2>&1); servers: $(wine_servers)"
[[ "$(json '["rows"][0]["exit_code"]' <<<"$out")" == 1605 && "$(json '["rows"][0]["result"]' <<<"$out")" == orphaned ]] ||
  fail "Wine's msiexec: $out"
has "$entry_key" "$product" && fail "the orphaned entry stayed with --yes"
[[ $status -eq 0 ]] || fail "exit $status"

# 3. A failing uninstaller keeps its entry, --yes or not, and its exit code is named.
register "$entry_key" '{5EE1A000-0000-4000-8000-000000001618}' "Sweepwise Busy Uninstaller" "$(helper busy --exit 1618)"
cli uninstall "Sweepwise Busy Uninstaller" --yes >/dev/null
status=$?
show "an uninstaller that exits with 1618, with --yes" $status
[[ $status -eq 1 ]] || fail "exit $status"
grep -q "ended with exit code 1618 (another installation is already in progress)" "$err" || fail "the code is not named"
has "$entry_key" '{5EE1A000-0000-4000-8000-000000001618}' || fail "the failed uninstaller's entry was removed"
logged "busy end .*" || fail "the uninstaller did not run"

# 4. An uninstaller whose copy never ends: the wait ends at --timeout, nothing is removed.
register "$entry_key" '{5EE1A000-0000-4000-8000-00000000F0F0}' "Sweepwise Endless Uninstaller" \
  "$(helper endless --copy-to-temp --sleep 600000)"
# Not through a pipe: the copy inherits the console program's output and would hold the pipe
# open long after the program has ended.
started=$SECONDS
(cd "$c/Work" && wine 'C:\Tools\sweepwise-cli.exe' uninstall "Sweepwise Endless Uninstaller" --timeout 20 --yes \
  >/dev/null 2>"$err" </dev/null)
status=$?
took=$((SECONDS - started))
show "an uninstaller whose copy never ends, --timeout 20 --yes (${took} s)" $status
[[ $status -eq 1 ]] || fail "exit $status"
(( took >= 20 && took < 60 )) || fail "the wait took $took s"
grep -q "Waiting for the uninstaller of Sweepwise Endless Uninstaller and the programs it started (0 s of at most 20 s" "$err" ||
  fail "what it waits for was not said"
grep -q "Nothing was removed" "$err" || fail "it did not say that nothing was removed"
has "$entry_key" '{5EE1A000-0000-4000-8000-00000000F0F0}' || fail "the entry was removed"
logged "endless-copy end .*" && fail "the copy ended by itself"

# 5. A current user's entry, which any of that user's programs may rewrite. Elevated, with no
#    shell to start it as, it is refused and never runs; with the desktop's shell running as a
#    standard user, it runs with that shell's token, not elevated. An entry for everyone runs
#    with the program's own token.
mine='{5EE1A000-0000-4000-8000-00000000C0C0}'
register "$user_key" "$mine" "Sweepwise Per User" "$(helper mine --remove-key "HKCU\\$mine")"
register "$entry_key" '{5EE1A000-0000-4000-8000-00000000A0A0}' "Sweepwise For Everyone" \
  "$(helper everyone --remove-key 'HKLM\{5EE1A000-0000-4000-8000-00000000A0A0}')"
cli uninstall "Sweepwise Per User" --yes >/dev/null
status=$?
show "a current user's entry, elevated, with no shell to start it as" $status
[[ $status -eq 1 ]] || fail "exit $status"
grep -q "is started only without administrator rights" "$err" || fail "why is not said"
grep -q "from Sweepwise started without administrator rights" "$err" || fail "how is not said"
logged "mine start .*" && fail "the command ran"
has "$user_key" "$mine" || fail "the entry went"

ready="$c/Work/shell-ready"
ready_windows='C:\Work\shell-ready'
(cd "$c/Work" && wine 'C:\Tools\sweepwise-standard-user.exe' 'C:\Helpers\sweepwise-test-shell.exe' "$ready_windows" 300 \
  >/dev/null 2>&1) &
for _ in $(seq 300); do
  [[ -s "$ready" ]] && break
  sleep 0.1
done
[[ "$(cat "$ready" 2>/dev/null)" == 1 ]] || fail "the stand-in shell did not become the desktop's shell"
out=$(cli uninstall "Sweepwise Per User" "Sweepwise For Everyone" --yes --json)
status=$?
show "a current user's entry and one for everyone, elevated, the shell a standard user's" $status
rm -f "$ready"  # the stand-in shell ends
[[ $status -eq 0 ]] || fail "exit $status: $out"
logged "mine elevated 0" || fail "the current user's command did not run unelevated: $(cat "$host_log")"
logged "everyone elevated 1" || fail "the machine's command did not run with the program's token"
[[ "$(json '["rows"][0]["as_desktop_user"]' <<<"$out")" == True ]] || fail "not started as the desktop's user: $out"
has "$user_key" "$mine" && fail "the entry is still there"
echo "elevation round trip: ok"
