#!/usr/bin/env bash
# The real sweepwise-cli under Wine, shown Windows XP: "tweaks list --tab 0 --json" lists the
# Optimization tweaks not yet in effect, green first; "tweaks apply" changes two values and
# records their previous state (and what it wrote) in default.reg; "restore tweaks" puts back
# what that file records, through the registry API, and brings both back exactly.
# Then a copy shown Windows 10: "tweaks list --tab 2 --json" lists the settings of Windows 10;
# three of them applied (a value that held other data, one that did not exist, one of the
# machine's), an unrelated change in each of their keys, and "restore tweaks" brings back
# exactly the three and leaves the later changes; run as a standard user (through
# STANDARD-USER, since Wine's token is an administrator's) the machine's setting is left out
# and the console told how to apply it; a damaged default.reg is never reported as restored.
# Then, with the prefix's build set to 22631 (and put back), the copy is shown Windows 11.
#   tweaks_round_trip.sh PREFIX STANDARD-USER RUNNER... PROGRAM
# It changes settings of the prefix's user and machine (and puts them back): CTest runs it alone.
set -uo pipefail
export SWEEPWISE_PREFIX=$1
standard_user=$2
shift 2
program=${*: -1}
fail() { echo "FAIL: $*" >&2; exit 1; }
tools_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
# shellcheck source=../../tools/wine-env.sh
source "$tools_dir/wine-env.sh"
reg() { (cd "$WINEPREFIX/drive_c" && wine reg "$@" 2>/dev/null | tr -d '\r'); }

"$@" --version >/dev/null || fail "the program does not start"  # creates the prefix when needed

# A copy of its own, so that Wine shows Windows XP to it alone and its default.reg is its own.
name=sweepwise-cli-xp.exe
folder="$WINEPREFIX/drive_c/sweepwise/tweaks-xp"
settings='HKCU\Software\Wine\AppDefaults\'$name
desktop='HKCU\Control Panel\Desktop'
policies='HKCU\Software\Microsoft\Windows\CurrentVersion\Policies'
reg query "$policies" >/dev/null && had_policies=1 || had_policies=0
old_delay=$(reg query "$desktop" /v MenuShowDelay | sed -nE 's/^ +MenuShowDelay +REG_SZ +(.*)$/\1/p')
cleanup() {
  reg delete "$settings" /f >/dev/null
  rm -rf "$folder"
  reg add "$desktop" /v MenuShowDelay /t REG_SZ /d "$old_delay" /f >/dev/null
  if [[ $had_policies == 0 ]]; then
    reg delete "$policies" /f >/dev/null
  else
    reg delete "$policies\\Explorer" /v NoCDBurning /f >/dev/null
  fi
}
trap cleanup EXIT
reg query "$policies\\Explorer" /v NoCDBurning >/dev/null && fail "NoCDBurning is set in the prefix already"
mkdir -p "$folder"
cp "$program" "$folder/$name"
reg add "$settings" /v Version /t REG_SZ /d winxp /f >/dev/null
cli() { (cd "$folder" && wine "C:\\sweepwise\\tweaks-xp\\$name" "$@" | tr -d '\r'); }
titles() { grep -oE '"columns":\["[^"]*"' | sed -E 's/^"columns":\["//; s/"$//'; }
desktop_before=$(reg query "$desktop")

listed=$(cli tweaks list --tab 0 --json) || fail "tweaks list exited $?"
grep -q '"windows":"Windows XP"' <<<"$listed" || fail "the program was not shown Windows XP: $listed"
expected="Enable Automatic Boot Disk Optimization
Force Windows to Unload DLLs from Memory
Optimize Virtual Memory for WinXP/NT/2000
Terminate Idle Tasks
Disable Write Behind Caching
Speed up menu display
Control the System Cache
Improve Core System Performance
Enable prefetcher
Increase CPU priority to real-time
Increase File System Caching Memory"
[[ "$(titles <<<"$listed")" == "$expected" ]] || fail "tab 0 listed"$'\n'"$(titles <<<"$listed")"
[[ "$(grep -oE '"image":[0-9]' <<<"$listed" | tr -d '\n')" == '"image":0"image":0"image":0"image":0"image":0"image":0"image":1"image":1"image":1"image":1"image":2' ]] ||
  fail "the risks are not green first: $listed"

cli tweaks apply "Speed up menu display" "Disable CD Burning" --yes >apply.out 2>apply.err ||
  fail "tweaks apply exited $?: $(cat apply.err)"
[[ "$(reg query "$desktop" /v MenuShowDelay)" == *"REG_SZ    0"* ]] || fail "MenuShowDelay was not set"
reg query "$policies\\Explorer" /v NoCDBurning | grep -q 'REG_DWORD    0x1' || fail "NoCDBurning was not set"
restore_file="$folder/default.reg"
[[ -f "$restore_file" ]] || fail "no default.reg"
tr -d '\r' <"$restore_file" >default.txt
head -1 default.txt | grep -qx 'Windows Registry Editor Version 5.00' || fail "default.reg header: $(head -1 default.txt)"
grep -qxF "\"MenuShowDelay\"=\"$old_delay\"" default.txt || fail "the old MenuShowDelay is not recorded"
grep -A1 -xF '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer]' default.txt |
  grep -qxF '"NoCDBurning"=-' || fail "the deletion of NoCDBurning is not recorded"
titles <<<"$(cli tweaks list --tab 0 --json)" | grep -qxF "Speed up menu display" && fail "an applied tweak is still offered"

cli restore tweaks --yes >restore.out 2>restore.err || fail "restore tweaks exited $?: $(cat restore.err)"
grep -q "All tasks were restored to their original states." restore.out || fail "restore said: $(cat restore.out)"
[[ "$(reg query "$desktop")" == "$desktop_before" ]] || fail "the desktop settings differ after the restore"
reg query "$policies\\Explorer" /v NoCDBurning >/dev/null && fail "NoCDBurning is still there"
[[ "$(titles <<<"$(cli tweaks list --tab 0 --json)")" == "$expected" ]] || fail "tab 0 after the restore differs"
echo "tweaks round trip, Windows XP: ok (MenuShowDelay $old_delay again, NoCDBurning gone)"

# --- Windows 10 and 11 ---
name10=sweepwise-cli-10.exe
folder10="$WINEPREFIX/drive_c/sweepwise/tweaks-10"
settings10='HKCU\Software\Wine\AppDefaults\'$name10
advanced='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced'
profile='HKCU\Control Panel\International\User Profile'
filesystem='HKLM\System\CurrentControlSet\Control\FileSystem'
current='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
# "REG_DWORD 0x1" as reg shows a value; empty when it is not there.
value_of() { reg query "$1" /v "$2" | sed -nE "s/^ +$2 +(REG_[A-Z_]+) +(.*)\$/\1 \2/p"; }
put_back() {
  if [[ -z $3 ]]; then
    reg delete "$1" /v "$2" /f >/dev/null
  else
    reg add "$1" /v "$2" /t "${3%% *}" /d "${3#* }" /f >/dev/null
  fi
}
declare -A saved
for pair in "$advanced|Start_TrackProgs" "$advanced|HideFileExt" "$profile|HttpAcceptLanguageOptOut" \
  "$profile|SweepwiseLater" "$filesystem|LongPathsEnabled" "$filesystem|SweepwiseLater" "$current|CurrentBuildNumber"; do
  saved[$pair]=$(value_of "${pair%%|*}" "${pair#*|}")
done
reg query "$profile" >/dev/null && had_profile=1 || had_profile=0
cleanup10() {
  for pair in "${!saved[@]}"; do
    put_back "${pair%%|*}" "${pair#*|}" "${saved[$pair]}"
  done
  [[ $had_profile == 1 ]] || reg delete "$profile" /f >/dev/null
  reg delete "$settings10" /f >/dev/null
  rm -rf "$folder10"
}
trap 'cleanup10; cleanup' EXIT
mkdir -p "$folder10"
cp "$program" "$folder10/$name10"
reg add "$settings10" /v Version /t REG_SZ /d win10 /f >/dev/null
cli10() { (cd "$folder10" && wine "C:\\sweepwise\\tweaks-10\\$name10" "$@" | tr -d '\r'); }

listed=$(cli10 tweaks list --tab 2 --json) || fail "Windows 10: tweaks list exited $?"
grep -q '"windows":"Windows 10"' <<<"$listed" || fail "the copy was not shown Windows 10: $listed"
expected10="Search may not use the location
Websites cannot read the language list
Turn off online speech recognition
Do not download device information from the Internet
Do not update offline maps automatically
Do not download speech model updates
Edge: send only required diagnostic data
Edge: no personalization from browsing data
Do not download fonts on demand"
[[ "$(titles <<<"$listed")" == "$expected10" ]] || fail "Windows 10 tab 2 listed"$'\n'"$(titles <<<"$listed")"

# A value that held other data, one that did not exist, one of the machine's.
reg add "$advanced" /v Start_TrackProgs /t REG_DWORD /d 1 /f >/dev/null
reg delete "$profile" /v HttpAcceptLanguageOptOut /f >/dev/null
reg add "$filesystem" /v LongPathsEnabled /t REG_DWORD /d 0 /f >/dev/null
three=("Do not track program launches" "Websites cannot read the language list" "Allow paths longer than 260 characters")
cli10 tweaks apply "${three[@]}" --yes >apply10.out 2>apply10.err || fail "Windows 10: tweaks apply exited $?: $(cat apply10.err)"
[[ "$(value_of "$advanced" Start_TrackProgs)" == "REG_DWORD 0x0" ]] || fail "Start_TrackProgs was not set"
[[ "$(value_of "$profile" HttpAcceptLanguageOptOut)" == "REG_DWORD 0x1" ]] || fail "HttpAcceptLanguageOptOut was not set"
[[ "$(value_of "$filesystem" LongPathsEnabled)" == "REG_DWORD 0x1" ]] || fail "LongPathsEnabled was not set"
tr -d '\r' <"$folder10/default.reg" >default10.txt
[[ "$(grep -c '^\[' default10.txt)" == 3 && "$(grep -c '^"' default10.txt)" == 3 &&
   "$(grep -c '^; Sweepwise wrote "' default10.txt)" == 3 ]] ||
  fail "default.reg records more than the three values:"$'\n'"$(cat default10.txt)"

# Later, unrelated changes in the same keys.
reg add "$advanced" /v HideFileExt /t REG_DWORD /d 7 /f >/dev/null
reg add "$profile" /v SweepwiseLater /t REG_SZ /d de-DE /f >/dev/null
reg add "$filesystem" /v SweepwiseLater /t REG_DWORD /d 5 /f >/dev/null
cli10 restore tweaks --yes >restore10.out 2>restore10.err || fail "Windows 10: restore tweaks exited $?: $(cat restore10.err)"
grep -q "All tasks were restored to their original states." restore10.out || fail "restore said: $(cat restore10.out)"
[[ "$(value_of "$advanced" Start_TrackProgs)" == "REG_DWORD 0x1" ]] || fail "Start_TrackProgs did not come back"
[[ -z "$(value_of "$profile" HttpAcceptLanguageOptOut)" ]] || fail "HttpAcceptLanguageOptOut is still there"
[[ "$(value_of "$filesystem" LongPathsEnabled)" == "REG_DWORD 0x0" ]] || fail "LongPathsEnabled did not come back"
[[ "$(value_of "$advanced" HideFileExt)" == "REG_DWORD 0x7" ]] || fail "the restore undid HideFileExt"
[[ "$(value_of "$profile" SweepwiseLater)" == "REG_SZ de-DE" ]] || fail "the restore undid a later value"
[[ "$(value_of "$filesystem" SweepwiseLater)" == "REG_DWORD 0x5" ]] || fail "the restore undid a later machine value"

# A standard user: the machine's setting is left out, the user's applied, and the console told.
here=$PWD
(cd "$folder10" && wine "$standard_user" "C:\\sweepwise\\tweaks-10\\$name10" tweaks apply \
  "Allow paths longer than 260 characters" "Do not track program launches" --yes >"$here/user10.out" 2>"$here/user10.err")
[[ $? == 1 ]] || fail "a standard user's apply of a machine-wide setting did not fail: $(cat user10.err)"
tr -d '\r' <user10.err >user10.txt
grep -qF "left out:" user10.txt && grep -qF "Run as administrator" user10.txt ||
  fail "the standard user was not told: $(cat user10.txt)"
[[ "$(value_of "$filesystem" LongPathsEnabled)" == "REG_DWORD 0x0" ]] || fail "a standard user's apply wrote LongPathsEnabled"
[[ "$(value_of "$advanced" Start_TrackProgs)" == "REG_DWORD 0x0" ]] || fail "a standard user's own setting was not applied"

# A damaged restore file is not "restored".
printf 'garbage that is no registry file\r\n' >"$folder10/default.reg"
cli10 restore tweaks --yes >damaged.out 2>damaged.err && fail "a damaged default.reg restored"
grep -q "damaged" damaged.err || fail "the damage was not named: $(cat damaged.err)"
grep -q "All tasks were restored" damaged.out damaged.err && fail "a damaged default.reg was reported as restored"

# Windows 11: a build from 22000 on, as the registry of Windows 11 says it.
reg add "$current" /v CurrentBuildNumber /t REG_SZ /d 22631 /f >/dev/null
listed=$(cli10 tweaks list --tab 0 --json) || fail "Windows 11: tweaks list exited $?"
grep -q '"windows":"Windows 11"' <<<"$listed" || fail "the copy was not shown Windows 11: $listed"
titles <<<"$listed" | grep -qxF "Turn off Widgets" || fail "Windows 11 lists no widgets setting"
echo "tweaks round trip, Windows 10 and 11: ok (three settings back, the later changes kept)"
