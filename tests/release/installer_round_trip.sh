#!/usr/bin/env bash
# The release, end to end, in a fresh sandboxed prefix under Xvfb, in one of the installer's
# two modes:
#   current-user  as a standard user (the filtered token of User Account Control, which
#                 Wine does not give by itself): the installer asks for no elevation and
#                 installs silently into %LOCALAPPDATA%\Programs\Sweepwise, its entry under
#                 HKCU, its shortcut in the user's Start menu;
#   all-users     a standard user's /ALLUSERS is refused without a change; an administrator's
#                 installs into %ProgramFiles%\Sweepwise, its entry under HKLM, its shortcut
#                 in the common Start menu.
# Then, as that user: the installed Sweepwise starts and reaches the tray; the console
# program lists our own entry under the mode's root; "uninstall" runs our own uninstaller
# through the Software engine; afterwards the program folder holds nothing but a backup
# planted in it, the backups in the user's data folder are kept too, and the shortcut and
# every value the program wrote are gone. The all-users run goes on with an update into the
# folder of a custom install and that install's silent removal with /REMOVEBACKUPS.
#   installer_round_trip.sh MODE PREFIX INSTALLER VERSION BIN-DIR
# (BIN-DIR holds the build's sweepwise-cli.exe, sweepwise-window-driver.exe and
# sweepwise-standard-user.exe.)
set -uo pipefail
if [[ -z "${SWEEPWISE_GUI_DISPLAY:-}" ]]; then
  exec env SWEEPWISE_GUI_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
mode=$1
prefix=$(realpath -m "$2")
installer=$3
version=$4
bin=$5
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
fail() { echo "FAIL ($mode): $*" >&2; exit 1; }
[[ "$mode" == current-user || "$mode" == all-users ]] || fail "no such mode"

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
wine_in_c() { (cd "$c" && wine "$@" 2>/dev/null | tr -d '\r'); }
driver() { "$tools/wine-run.sh" --prefix "$prefix" "$bin/sweepwise-window-driver.exe" "$@" | tr -d '\r'; }
reg_has() { wine_in_c reg query "$1" /v "$2" >/dev/null; }
key_exists() { wine_in_c reg query "$1" >/dev/null; }
# The Linux path of a Windows path on C:.
unix_path() { local p=${1#[Cc]:}; printf '%s%s' "$c" "${p//\\//}"; }
folder_of() { wine_in_c cmd /c echo "%$1%"; }

cp "$installer" "$c/sweepwisepro2.exe"
# (The first run of the driver copies every program of BIN-DIR to C:\sweepwise\bin.)
[[ "$(driver version 'C:\sweepwisepro2.exe')" == "$version.0 $version" ]] || fail "the installer's version"
# As the mode's user, from C:\ (not through a pipe: the desktop process an installer's
# window starts, or the uninstaller's copy of itself, would hold it open).
as_user() {
  if [[ "$mode" == current-user ]]; then
    (cd "$c" && wine 'C:\sweepwise\bin\sweepwise-standard-user.exe' "$@")
  else
    (cd "$c" && wine "$@")
  fi
}
cli() { as_user 'C:\sweepwise\bin\sweepwise-cli.exe' "$@" 2>/dev/null | tr -d '\r'; }

local_app_data=$(folder_of LOCALAPPDATA)
data_folder="$(unix_path "$local_app_data")/Sweepwise"
user_shortcut="$(unix_path "$(folder_of APPDATA)")/Microsoft/Windows/Start Menu/Programs/QZ Sweepwise Pro.lnk"
common_shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/QZ Sweepwise Pro.lnk"
entry='Software\Microsoft\Windows\CurrentVersion\Uninstall\QZ Sweepwise Pro'
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
if [[ "$mode" == current-user ]]; then
  win_folder="$local_app_data\\Programs\\Sweepwise"
  other_folder="$c/Program Files/Sweepwise"
  root=HKCU other_root=HKLM
  shortcut=$user_shortcut other_shortcut=$common_shortcut
  mode_option=/CURRENTUSER
  # Asking for no elevation is the manifest's "asInvoker"; Windows would otherwise take an
  # installer by its name for one that needs an administrator.
  levels=$(grep -a -o 'requestedExecutionLevel level="[A-Za-z]*"' "$installer" | sort -u)
  [[ "$levels" == 'requestedExecutionLevel level="asInvoker"' ]] || fail "the manifest asks for: $levels"
  as_user 'C:\sweepwisepro2.exe' /S >/dev/null 2>&1 || fail "the silent install exited $?"
else
  win_folder='C:\Program Files\Sweepwise'
  other_folder="$(unix_path "$local_app_data")/Programs/Sweepwise"
  root=HKLM other_root=HKCU
  shortcut=$common_shortcut other_shortcut=$user_shortcut
  mode_option=/ALLUSERS
  # A standard user's install for everyone starts an elevated copy, which Wine cannot
  # elevate: the copy refuses (ERROR_ELEVATION_REQUIRED, 740, seen as 228 here) and nothing
  # is installed.
  (cd "$c" && wine 'C:\sweepwise\bin\sweepwise-standard-user.exe' 'C:\sweepwisepro2.exe' /S /ALLUSERS >/dev/null 2>&1)
  status=$?
  [[ $status -eq 228 ]] || fail "a standard user's /ALLUSERS install exited $status"
  [[ ! -e "$(unix_path "$win_folder")" ]] || fail "a standard user's /ALLUSERS install wrote files"
  key_exists "HKLM\\$entry" && fail "a standard user's /ALLUSERS install wrote its entry"
  as_user 'C:\sweepwisepro2.exe' /S /ALLUSERS >/dev/null 2>&1 || fail "the silent install exited $?"
fi
folder=$(unix_path "$win_folder")

for file in sweepwise.exe sweepwise-cli.exe version.txt uninstall.exe help/index.html; do
  [[ -e "$folder/$file" ]] || fail "the install did not put $file in place"
done
[[ ! -e "$other_folder" ]] || fail "the install wrote into the other mode's folder $other_folder"
[[ "$(tr -d '\r' <"$folder/version.txt")" == "$version" ]] || fail "version.txt holds $(cat "$folder/version.txt")"
for program in sweepwise.exe sweepwise-cli.exe; do
  said=$(driver version "$win_folder\\$program" 2>"$prefix/driver-errors.txt")
  [[ "$said" == "$version.0 $version" ]] ||
    fail "the version resource of $program: \"$said\", errors: $(cat "$prefix/driver-errors.txt")"
done
[[ -e "$shortcut" ]] || fail "no Start menu shortcut"
[[ ! -e "$other_shortcut" ]] || fail "a shortcut in the other mode's Start menu"
[[ "$(wine_in_c reg query "$root\\$entry" /v InstallLocation)" == *"REG_SZ    $win_folder" ]] ||
  fail "no entry under $root naming the folder"
key_exists "$other_root\\$entry" && fail "an entry under $other_root too"

# The installed program starts, lives in the tray, and writes its values. Wine reports
# Windows 7, where a standard user is the rule and is not warned at every start, and where
# the autorun value is the user's own in either mode: an install for everyone does not make
# Sweepwise start at every other user's logon.
as_user "$win_folder\\sweepwise.exe" -splash >/dev/null 2>&1 &
driver wait >/dev/null || fail "the installed Sweepwise did not reach the tray"
reg_has 'HKCU\Software\Orvanta\Sweepwise\Program' Path || fail "no Path value"
reg_has "HKCU\\$run_key" SweepwiseAutoRun || fail "no autorun value under HKCU"
reg_has "HKLM\\$run_key" SweepwiseAutoRun && fail "an autorun value for every user"

listed=$(cli list software --json) || fail "list software failed"
check_entry='
import json, sys
rows = [r for r in json.load(sys.stdin)["rows"] if r["columns"][0] == "QZ Sweepwise Pro"]
assert len(rows) == 1, rows
assert rows[0]["version"] == sys.argv[1], rows[0]
assert rows[0]["publisher"] == "Orvanta", rows[0]
assert rows[0]["command"] == "\"%s\\uninstall.exe\" %s" % (sys.argv[2], sys.argv[3]), rows[0]
'
python3 -c "$check_entry" "$version" "$win_folder" "$mode_option" <<<"$listed" ||
  fail "our entry is not listed as it should be: $listed"

# The user's backups, in the program folder and in the data folder of %LOCALAPPDATA%, where
# the programs keep their files when the program folder is not writable; the settings there
# are the program's and go with it.
printf 'a backup of the user' >"$folder/zq0.bck"
mkdir -p "$data_folder"
printf 'another backup' >"$data_folder/zq1.bck"
printf 'REGEDIT4\r\n' >"$data_folder/regbackup000.reg"
printf '1\r\n' >"$data_folder/language.txt"

# The uninstaller shows its pages (it is the interactive command of the entry): its
# confirmation, the choice to keep the backups (kept), then it runs and waits, "Completed",
# for the user to close it. The command returns only then: it waits for the copy of itself
# the uninstaller runs from, not just for the program it started.
as_user 'C:\sweepwise\bin\sweepwise-cli.exe' uninstall "QZ Sweepwise Pro" --yes >/dev/null 2>&1 &
uninstall_command=$!
for page in 1 2 3; do
  [[ $page == 3 ]] && { kill -0 "$uninstall_command" 2>/dev/null || fail "uninstall returned while the uninstaller ran"; }
  driver press "QZ Sweepwise Pro Uninstall" >/dev/null || fail "the uninstaller's page $page did not come"
done
wait "$uninstall_command" || fail "uninstall exited $?"
# The uninstaller runs from a copy of itself: wait until it has done its work.
for _ in $(seq 1 100); do
  [[ ! -e "$folder/uninstall.exe" ]] && driver gone 2>/dev/null && break
  sleep 0.3
done
driver gone || fail "Sweepwise was not ended by its uninstaller"
[[ "$(ls -A "$folder")" == "zq0.bck" ]] || fail "the program folder holds: $(ls -A "$folder")"
[[ "$(cat "$folder/zq0.bck")" == "a backup of the user" ]] || fail "the backup changed"
[[ "$(ls -A "$data_folder" | tr '\n' ' ')" == "regbackup000.reg zq1.bck " ]] ||
  fail "the data folder holds: $(ls -A "$data_folder")"
[[ ! -e "$shortcut" ]] || fail "the shortcut is still there"
reg_has 'HKCU\Software\Orvanta\Sweepwise\Program' Path && fail "the Path value is still there"
reg_has "HKCU\\$run_key" SweepwiseAutoRun && fail "the autorun value is still there"
key_exists "$root\\$entry" && fail "the uninstall entry is still there"

if [[ "$mode" == all-users ]]; then
  # An update goes where the program is, in its mode: the installer started without a mode
  # option (as update.bat starts it) replaces the program of an install for everyone in a
  # folder of its own.
  apps='C:\Apps\Sweepwise'
  as_user 'C:\sweepwisepro2.exe' /S /ALLUSERS "/D=$apps" >/dev/null 2>&1 || fail "the install into $apps exited $?"
  printf '0.0.1\r\n' >"$(unix_path "$apps")/version.txt"
  as_user 'C:\sweepwisepro2.exe' /S >/dev/null 2>&1 || fail "the update exited $?"
  [[ "$(tr -d '\r' <"$(unix_path "$apps")/version.txt")" == "$version" ]] || fail "the update did not replace $apps"
  [[ "$(ls -A "$folder")" == "zq0.bck" ]] || fail "the update wrote into $folder"
  [[ ! -e "$other_folder" ]] || fail "the update installed for the current user"
  key_exists "HKCU\\$entry" && fail "the update wrote an entry under HKCU"
  [[ "$(wine_in_c reg query "HKLM\\$entry" /v InstallLocation)" == *"REG_SZ    $apps" ]] ||
    fail "the entry does not name $apps"

  # Remove my backups: the uninstaller started from its folder, silently; the entry naming
  # that folder tells it its mode. Only the backups of that folder and of the data folder go.
  printf 'a backup of the user' >"$(unix_path "$apps")/zq2.bck"
  printf 'REGEDIT4\r\n' >"$(unix_path "$apps")/default.reg"
  as_user "$apps\\uninstall.exe" /S /REMOVEBACKUPS >/dev/null 2>&1 || fail "the silent uninstall exited $?"
  for _ in $(seq 1 100); do
    [[ ! -e "$(unix_path "$apps")" ]] && break
    sleep 0.3
  done
  [[ ! -e "$(unix_path "$apps")" ]] || fail "$apps holds: $(ls -A "$(unix_path "$apps")")"
  [[ ! -e "$data_folder" ]] || fail "the data folder holds: $(ls -A "$data_folder")"
  [[ "$(ls -A "$folder")" == "zq0.bck" ]] || fail "the removal reached $folder"
  [[ ! -e "$shortcut" ]] || fail "the shortcut is still there"
  key_exists "HKLM\\$entry" && fail "the uninstall entry is still there"
fi
echo "installer round trip ($mode): ok ($(du -k "$installer" | cut -f1) KB installer)"
