#!/usr/bin/env bash
# The release, end to end, in a fresh sandboxed prefix under Xvfb: the installer installs
# silently; the installed Sweepwise starts and reaches the tray; the console program lists
# our own uninstall entry with its version; "uninstall" runs our own uninstaller through the
# Software engine; afterwards the program folder holds nothing but a backup planted in it,
# and the shortcut and every value the program wrote are gone.
#   installer_round_trip.sh PREFIX INSTALLER VERSION BIN-DIR
# (BIN-DIR holds the build's sweepwise-cli.exe and sweepwise-window-driver.exe.)
set -uo pipefail
if [[ -z "${SWEEPWISE_GUI_DISPLAY:-}" ]]; then
  exec env SWEEPWISE_GUI_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
prefix=$(realpath -m "$1")
installer=$2
version=$3
bin=$4
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
folder="$c/Program Files/Sweepwise"
wine_in_c() { (cd "$c" && wine "$@" 2>/dev/null | tr -d '\r'); }
cli() { "$tools/wine-run.sh" --prefix "$prefix" "$bin/sweepwise-cli.exe" "$@" | tr -d '\r'; }
driver() { "$tools/wine-run.sh" --prefix "$prefix" "$bin/sweepwise-window-driver.exe" "$@" | tr -d '\r'; }
reg_has() { wine_in_c reg query "$1" /v "$2" >/dev/null; }

cp "$installer" "$c/sweepwisepro2.exe"
[[ "$(driver version 'C:\sweepwisepro2.exe')" == "$version.0 $version" ]] || fail "the installer's version"
# Not through a pipe: the desktop process the installer's window starts would hold it open.
(cd "$c" && wine 'C:\sweepwisepro2.exe' /S >/dev/null 2>&1) || fail "the silent install exited $?"
for file in sweepwise.exe sweepwise-cli.exe version.txt uninstall.exe help/index.html; do
  [[ -e "$folder/$file" ]] || fail "the install did not put $file in place"
done
[[ "$(tr -d '\r' <"$folder/version.txt")" == "$version" ]] || fail "version.txt holds $(cat "$folder/version.txt")"
for program in sweepwise.exe sweepwise-cli.exe; do
  [[ "$(driver version "C:\\Program Files\\Sweepwise\\$program")" == "$version.0 $version" ]] ||
    fail "the version resource of $program"
done
shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/QZ Sweepwise Pro.lnk"
[[ -e "$shortcut" ]] || fail "no Start menu shortcut"

# The installed program starts, lives in the tray, and writes its values.
(cd "$folder" && wine 'C:\Program Files\Sweepwise\sweepwise.exe' -splash >/dev/null 2>&1) &
driver wait >/dev/null || fail "the installed Sweepwise did not reach the tray"
reg_has 'HKCU\Software\Orvanta\Sweepwise\Program' Path || fail "no Path value"
reg_has 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' SweepwiseAutoRun || fail "no autorun value"

listed=$(cli list software --json) || fail "list software failed"
check_entry='
import json, sys
rows = [r for r in json.load(sys.stdin)["rows"] if r["columns"][0] == "QZ Sweepwise Pro"]
assert len(rows) == 1, rows
assert rows[0]["version"] == sys.argv[1], rows[0]
assert rows[0]["publisher"] == "Orvanta", rows[0]
assert rows[0]["command"].lower().endswith("sweepwise\\uninstall.exe\""), rows[0]
'
python3 -c "$check_entry" "$version" <<<"$listed" || fail "our entry is not listed as it should be: $listed"

printf 'a backup of the user' >"$folder/zq0.bck"
# The uninstaller shows its pages (it is the interactive command of the entry): its
# confirmation, the choice to keep the backups (kept), then it runs and closes.
# (Not through a pipe either: the uninstaller's copy of itself would hold it open.)
"$tools/wine-run.sh" --prefix "$prefix" "$bin/sweepwise-cli.exe" uninstall "QZ Sweepwise Pro" --yes >/dev/null 2>&1 ||
  fail "uninstall exited $?"
for page in 1 2; do
  driver press "QZ Sweepwise Pro Uninstall" >/dev/null || fail "the uninstaller's page $page did not come"
done
# The uninstaller runs from a copy of itself: wait until it has done its work.
for _ in $(seq 1 100); do
  [[ ! -e "$folder/uninstall.exe" ]] && driver gone 2>/dev/null && break
  sleep 0.3
done
driver gone || fail "Sweepwise was not ended by its uninstaller"
[[ "$(ls -A "$folder")" == "zq0.bck" ]] || fail "the program folder holds: $(ls -A "$folder")"
[[ "$(cat "$folder/zq0.bck")" == "a backup of the user" ]] || fail "the backup changed"
[[ ! -e "$shortcut" ]] || fail "the shortcut is still there"
reg_has 'HKCU\Software\Orvanta\Sweepwise\Program' Path && fail "the Path value is still there"
reg_has 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' SweepwiseAutoRun && fail "the autorun value is still there"
wine_in_c reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QZ Sweepwise Pro' >/dev/null &&
  fail "the uninstall entry is still there"
echo "installer round trip: ok ($(du -k "$installer" | cut -f1) KB installer)"
