#!/usr/bin/env bash
# The real sweepwise-cli under Wine, shown Windows XP: "tweaks list --tab 0 --json" lists the
# Optimization tweaks not yet in effect, green first; "tweaks apply" changes two values and
# records their previous state in default.reg; "restore tweaks" imports that file with the
# registry editor and brings both back exactly.
#   tweaks_round_trip.sh PREFIX RUNNER... PROGRAM
# It changes MenuShowDelay and NoCDBurning of the prefix's user (and puts them back): CTest
# runs it alone.
set -uo pipefail
export SWEEPWISE_PREFIX=$1
shift
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
echo "tweaks round trip: ok (MenuShowDelay $old_delay again, NoCDBurning gone)"
