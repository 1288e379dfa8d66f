#!/usr/bin/env bash
# The real sweepwise-cli program under Wine: "find registry" lists exactly the invalid values
# planted in the registry, "delete registry --backup --yes" removes them into a regbackupNNN.reg,
# and the registry editor's import of that file brings every value back with its type and data.
#   registry_round_trip.sh PREFIX RUNNER... PROGRAM
# It deletes every invalid value it finds (and restores them): CTest runs it alone.
set -uo pipefail
export SWEEPWISE_PREFIX=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
tools_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
# shellcheck source=../../tools/wine-env.sh
source "$tools_dir/wine-env.sh"
reg() { (cd "$WINEPREFIX/drive_c" && wine reg "$@" 2>/dev/null | tr -d '\r'); }
# The rows without their date, sorted.
rows() {
  "$@" find registry | tr -d '\r' | grep -v '^Registry Scanned$' | cut -f1-3 | LC_ALL=C sort
}

key='HKCU\Software\SweepwiseCliRoundTrip'
reg delete "$key" /f >/dev/null
baseline=$(rows "$@") || fail "find registry failed"

reg add "$key" /v missing-file /t REG_SZ /d 'C:\windows\NotThere.dll' /f >/dev/null
reg add "$key" /v missing-folder /t REG_EXPAND_SZ /d 'C:\Gone\%NAME%.dll' /f >/dev/null
reg add "$key\Sub" /v 'C:\Gone\app.exe' /t REG_SZ /d 'C:\windows' /f >/dev/null
reg add "$key\Sub" /v no-extension /t REG_SZ /d 'C:\Gone' /f >/dev/null
# Not listed: existing, with a blank, on no fixed drive, not a string.
reg add "$key" /v existing /t REG_SZ /d 'C:\windows\win.ini' /f >/dev/null
reg add "$key" /v blank /t REG_SZ /d 'C:\Program Files\Gone\a.exe' /f >/dev/null
reg add "$key" /v floppy /t REG_SZ /d 'A:\Gone\a.exe' /f >/dev/null
reg add "$key" /v 'C:\Gone\number.exe' /t REG_DWORD /d 7 /f >/dev/null
planted=$(reg query "$key" /s)

found=$(rows "$@") || fail "find registry failed"
new=$(LC_ALL=C comm -13 <(echo "$baseline") <(echo "$found"))
# Each value shows once: the user's own hive below HKEY_USERS is HKEY_CURRENT_USER again.
expected=$(
  {
    printf 'HKEY_CURRENT_USER: Software\\SweepwiseCliRoundTrip\t%s\t%s\n' \
      missing-file 'C:\windows\NotThere.dll' missing-folder 'C:\Gone\%NAME%.dll'
    printf 'HKEY_CURRENT_USER: Software\\SweepwiseCliRoundTrip\\Sub\t%s\t%s\n' \
      'C:\Gone\app.exe' 'C:\windows' no-extension 'C:\Gone'
  } | LC_ALL=C sort
)
[[ "$new" == "$expected" ]] || fail "find registry listed"$'\n'"$new"$'\n'"instead of"$'\n'"$expected"

out=$("$@" delete registry --backup --yes | tr -d '\r') || fail "delete registry exited $?"
backup=$(sed -nE 's/.*; backup in (.*regbackup[0-9A-F]{3,}\.reg)$/\1/p' <<<"$out")
[[ -n "$backup" ]] || fail "no backup file reported: $out"
for value in missing-file missing-folder; do
  reg query "$key" /v "$value" >/dev/null && fail "$value was not deleted"
done
reg query "$key" /v existing >/dev/null || fail "a valid value was deleted"
[[ -z "$(rows "$@" | LC_ALL=C comm -13 <(echo "$baseline") -)" ]] || fail "values left after delete"

(cd "$WINEPREFIX/drive_c" && wine regedit /s "$backup") || fail "regedit exited $?"
[[ "$(reg query "$key" /s)" == "$planted" ]] || fail "the import did not restore every value"$'\n'"$(reg query "$key" /s)"
[[ "$(rows "$@")" == "$found" ]] || fail "the import did not restore what was found before"

host_backup="$WINEPREFIX/drive_c/$(tr '\\' '/' <<<"${backup#C:\\}")"
rm -f "$host_backup"
reg delete "$key" /f >/dev/null
echo "registry round trip: ok ($backup)"
