#!/usr/bin/env bash
# What an unprivileged user could do to steer the Files Delete of an administrator, tried on
# the real sweepwise-cli under Wine set to Windows 10, in a fresh sandboxed prefix of its own
# with a fixed drive D: (a folder inside the prefix). Wine gives every program an
# administrator's token, so each run below is the elevated run such a user aims at.
#   1. Old places and an upgrade's folders: D:\Recycled\holiday.jpg, C:\RECYCLER\...\x.jpg and
#      *.tmp files in Windows.old, $Windows.~BT, $Windows.~WS, $WinREAgent and System Volume
#      Information are not listed; a Recycle Bin item ($I and $R) is one row.
#   2. Cleanup handlers naming the user's documents, the profiles folder, or a folder link to
#      the documents (a symbolic link on the host stands for a junction) are refused and
#      named; the system's "Old ChkDsk Files" handler still lists FILE0000.CHK.
#   3. A forged plan row (the user's document with its real size, time and file number) is
#      kept, named, and the command fails.
#   4. A junk folder swapped, after the Find that made the plan, for a link to a folder holding
#      a file of the same name, size and time: the other file stays, with and without a
#      backup, and is in no archive.
#   5. clean.bat names files only, and runs from the user's own RunOnce value, quoted, not
#      from the machine's.
#   junk_attacks.sh PREFIX BIN-DIR
set -uo pipefail
prefix=$(realpath -m "$1")
bin=$(realpath -m "$2")
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }

export SWEEPWISE_PREFIX=$prefix
# shellcheck source=../../tools/wine-env.sh
source "$tools/wine-env.sh"
finish() {
  wineserver -k 2>/dev/null
  rm -rf "$prefix"
}
rm -rf "$prefix"
"$tools/wine-prefix.sh" "$prefix" || fail "no prefix"
trap finish EXIT
[[ -n "${SWEEPWISE_KEEP_PREFIX:-}" ]] && trap - EXIT
c="$prefix/drive_c"
d="$prefix/drive-d"
# The outputs go into the prefix, which goes at the end: other tests share the folder we were
# started in.
mkdir -p "$prefix/work"
cd "$prefix/work" || fail "no working folder"
in_c() { (cd "$c" && wine "$@" 2>/dev/null | tr -d '\r'); }
cli() { in_c 'C:\Sweepwise\sweepwise-cli.exe' "$@"; }
py() { python3 - "$@"; }

in_c winecfg -v win10
wineserver -w
mkdir -p "$d"
ln -sfn ../drive-d "$prefix/dosdevices/d:"
in_c reg add 'HKLM\Software\Wine\Drives' /v d: /d hd /f >/dev/null
wineserver -k
wineserver -w
# From here on one server serves every program, and stays between them (tools/wine-env.sh):
# a server a plain `wine` starts ends in any pause of three seconds, and a program started as
# it shuts down fails without a word (a `winepath` that printed nothing, once).
start_persistent_server
mkdir -p "$c/Sweepwise"
cp "$bin/sweepwise-cli.exe" "$c/Sweepwise/"
[[ "$(in_c cmd /c ver)" == *"10.0."* ]] || fail "Wine is not set to Windows 10"
profile=$(in_c cmd /c echo '%USERPROFILE%' | sed 's/ *$//')
sid=$(in_c reg query 'HKU' | sed -nE 's/^HKEY_USERS\\(S-1-5-21-[0-9-]+)$/\1/p' | head -1)
host() { winepath -u "$1" 2>/dev/null; }
documents=$(host "$profile\\Documents")
[[ -n "$sid" && -d "$documents" ]] || fail "no user folders"
old=$(date -d '2 days ago' '+%Y%m%d%H%M.%S')
plant() { mkdir -p "$(dirname "$1")"; printf '%s' "$2" >"$1"; touch -t "$old" "$1"; }

# 1. Old places.
plant "$d/Recycled/holiday.jpg" 'a holiday picture'
plant "$c/RECYCLER/$sid/Dc1.jpg" 'an old picture'
for folder in Windows.old '$Windows.~BT' '$Windows.~WS' '$WinREAgent' 'System Volume Information'; do
  plant "$c/$folder/Temp/upgrade.tmp" 'the upgrade needs it'
done
plant "$d/\$Recycle.Bin/$sid/\$I7Q2K1P.jpg" 'where it came from'
plant "$d/\$Recycle.Bin/$sid/\$R7Q2K1P.jpg" 'the deleted picture'
cli find files --json >found.json || fail "find files exited $?"
py found.json <<'PY' || fail "the old places: see above"
import json, sys
rows = {r["columns"][1].lower() + r["columns"][0].lower(): r for r in json.load(open(sys.argv[1]))["rows"]}
errors = [k for k in rows if "holiday.jpg" in k or "recycler" in k or "upgrade.tmp" in k or "$i7q2k1p" in k]
item = [k for k in rows if "$r7q2k1p.jpg" in k]
if len(item) != 1 or rows[item[0]]["columns"][2] != str(len("where it came from") + len("the deleted picture")):
    errors.append("the Recycle Bin item is not one row of both halves: %s" % [rows[k]["columns"] for k in item])
if errors:
    print("listed: %s" % errors); sys.exit(1)
PY
echo "1. D:\\Recycled\\holiday.jpg, RECYCLER and the upgrade's folders not listed; the Recycle Bin item is one row"

# 2. Cleanup handlers.
caches='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\VolumeCaches'
handler() {
  in_c reg add "$caches\\$1" /ve /d '{C0E13E61-0CC6-11d1-BBB6-0060978B2AE6}' /f >/dev/null
  in_c reg add "$caches\\$1" /v Folder /t REG_EXPAND_SZ /d "$2" /f >/dev/null
  in_c reg add "$caches\\$1" /v FileList /d "$3" /f >/dev/null
  in_c reg add "$caches\\$1" /v Flags /t REG_DWORD /d "$4" /f >/dev/null
}
plant "$documents/thesis.docx" 'years of work'
mkdir -p "$c/ProgramData/Vendor"
ln -sfn "$documents" "$c/ProgramData/Vendor/Cache"
handler 'Evil Documents' '%USERPROFILE%\Documents' '*.docx' 1
handler 'Evil Profiles' 'C:\users' '*.docx' 1
handler 'Evil Link' 'C:\ProgramData\Vendor\Cache' '*.docx' 0
handler 'Old ChkDsk Files' '?:\' 'FILE*.CHK' 0
plant "$c/FILE0000.CHK" 'a lost cluster'
cli find files --only cleanup-handlers --json >handlers.json || fail "find files exited $?"
py handlers.json <<'PY' || fail "the cleanup handlers: see above"
import json, sys
found = json.load(open(sys.argv[1]))
paths = sorted(r["columns"][1] + r["columns"][0] for r in found["rows"])
refused = sorted(h["name"] for h in found["refused_handlers"])
errors = []
if paths != ["C:\\FILE0000.CHK"]:
    errors.append("listed: %s" % paths)
if refused != ["Evil Documents", "Evil Link", "Evil Profiles"]:
    errors.append("refused: %s" % refused)
if 'left out: "Evil' not in found["status"]:
    errors.append("status: " + found["status"])
if errors:
    print("\n".join(errors)); sys.exit(1)
print("2. " + found["status"])
PY

# 3. A forged plan row: the document's real size, time, volume and number (Wine numbers a
# file by its inode), as anyone may read them.
py handlers.json "$documents/thesis.docx" "$profile\\Documents\\" forged.json <<'PY'
import json, os, sys
found = json.load(open(sys.argv[1]))
st = os.stat(sys.argv[2])
volume = next(r["volume_serial"] for r in found["rows"] if r["columns"][1].lower().startswith("c:"))
forged = {"columns": ["thesis.docx", sys.argv[3], str(st.st_size), "-"], "image": 0, "checked": True,
          "category": "temporary-files", "type": "Temporary file", "size": st.st_size,
          "last_write": st.st_mtime_ns // 100 + 116444736000000000, "volume_serial": volume,
          "file_id": "%032x" % st.st_ino}
found["rows"] = [forged]
json.dump(found, open(sys.argv[4], "w"))
PY
cp forged.json "$c/forged.json"
out=$(cli delete files --plan 'C:\forged.json' --yes)
status=$?
[[ $status == 1 ]] || fail "a forged plan exited $status: $out"
[[ "$(cat "$documents/thesis.docx")" == 'years of work' ]] || fail "the document was deleted"
[[ "$out" == *"rows of the plan are not what a Find lists now, kept: "*"thesis.docx"* ]] || fail "not named: $out"
echo "3. forged plan row, exit $status: $(tail -1 <<<"$out")"

# 4. A junk folder swapped for a link after the Find that made the plan.
for backup in "" --backup; do
  rm -rf "$c/junkdir" "$c/junkdir.real"
  plant "$c/junkdir/report.tmp" 'junk: 25 bytes of data..'
  plant "$documents/report.tmp" 'mine: 25 bytes of data..'
  cli find files --only temporary-files --json >swap.json || fail "find files exited $?"
  py swap.json swap-plan.json <<'PY'
import json, sys
found = json.load(open(sys.argv[1]))
found["rows"] = [r for r in found["rows"] if r["columns"][1].lower() == "c:\\junkdir\\"]
json.dump(found, open(sys.argv[2], "w"))
PY
  cp swap-plan.json "$c/swap-plan.json"
  mv "$c/junkdir" "$c/junkdir.real"
  ln -s "$documents" "$c/junkdir"
  cli delete files --plan 'C:\swap-plan.json' $backup --yes --json >swap-out.json
  status=$?
  [[ $status == 1 ]] || fail "delete after the swap ($backup) exited $status: $(cat swap-out.json)"
  [[ "$(cat "$documents/report.tmp")" == 'mine: 25 bytes of data..' ]] || fail "the other file went ($backup)"
  [[ -e "$c/junkdir.real/report.tmp" ]] || fail "the junk went under another name ($backup)"
  archive=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["archive"])' swap-out.json)
  if [[ -n "$archive" ]]; then
    cli archive list "$archive" | grep -qi documents && fail "the other file is in $archive"
  fi
  echo "4. folder swapped for a link, ${backup:-no backup}, exit $status: $(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["status"])' swap-out.json)"
  rm "$c/junkdir"
done

# 5. The batch and its RunOnce value, after a deletion that had files to delete.
out=$(cli delete files --only temporary-files --yes) || fail "delete files exited $?: $out"
batch="$c/Sweepwise/clean.bat"
[[ -f "$batch" ]] || fail "no clean.bat"
grep -v -E '^(cls|@echo .*|@del ".*|@CLS >nul)'$'\r''?$' "$batch" && fail "clean.bat holds more than file names"
grep -qi deletebat "$batch" && fail "clean.bat starts a program"
in_c reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v Sweepwise | grep -q -F '"C:\Sweepwise\clean.bat"' ||
  fail "no quoted RunOnce value in the user's key"
in_c reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v Sweepwise | grep -q Sweepwise &&
  fail "a RunOnce value in the machine's key"
echo "5. delete files --only temporary-files --yes: $(tail -1 <<<"$out")"
echo "   clean.bat:"
tr -d '\r' <"$batch" | sed 's/^/     /'
echo "   RunOnce: $(in_c reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v Sweepwise | grep Sweepwise | sed 's/^ *//')"
echo "junk attacks: ok"
