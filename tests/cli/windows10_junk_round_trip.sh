#!/usr/bin/env bash
# The real sweepwise-cli under Wine set to Windows 10, in a fresh sandboxed prefix of its own
# with a CD-ROM drive D: and a fixed drive E: after it (folders inside the prefix), over the
# layout of tools/windows10-layout.sh:
#   1. with a program of ours named chrome.exe running, "find files --json" lists every
#      planted junk file with its category, except Chrome's caches, and says to close
#      Chrome; nothing that must stay is listed, nothing on D:;
#   2. with it ended, Chrome's caches of both profiles are listed too;
#   3. "delete files --plan" deletes the rows of a new Find that an edited copy of that
#      output names: a row taken out, a row unchecked and a file changed since the Find stay
#      (the changed one named, as no Find lists it so now);
#   4. "delete files --backup --yes" deletes the rest into an archive, and "restore files"
#      of both archives gives every deleted file back byte for byte;
#   5. what must stay is there, the folder link in the Recycle Bin and its documents too, and
#      the cleanup handler's command never ran;
#   6. "tweaks list" offers the same settings of Windows 10 on every tab whether the product
#      name is Wine's own or "Windows 10 Pro".
#   windows10_junk_round_trip.sh PREFIX BIN-DIR TEST-BIN-DIR
# (BIN-DIR holds sweepwise-cli.exe, TEST-BIN-DIR sweepwise-test-uninstaller.exe.)
set -uo pipefail
prefix=$(realpath -m "$1")
bin=$2
test_bin=$3
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
in_c() { (cd "$c" && wine "$@" 2>/dev/null | tr -d '\r'); }
cli() { in_c 'C:\Sweepwise\sweepwise-cli.exe' "$@"; }
py() { python3 - "$@"; }

in_c winecfg -v win10
wineserver -w
# D: a CD-ROM drive with junk on it that no Find may see; E: a fixed drive after it.
mkdir -p "$prefix/drive-d" "$prefix/drive-e"
printf 'on a disc' >"$prefix/drive-d/on-cd.tmp"
ln -sfn ../drive-d "$prefix/dosdevices/d:"
ln -sfn ../drive-e "$prefix/dosdevices/e:"
in_c reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null
in_c reg add 'HKLM\Software\Wine\Drives' /v e: /d hd /f >/dev/null
wineserver -k
wineserver -w
# From here on one server serves every program, and stays between them (tools/wine-env.sh):
# a server a plain `wine` starts ends in any pause of three seconds, and a program started as
# it shuts down fails without a word (a `winepath` that printed nothing, once).
start_persistent_server

mkdir -p "$c/Sweepwise" "$c/Programs"
cp "$bin/sweepwise-cli.exe" "$c/Sweepwise/"
cp "$test_bin/sweepwise-test-uninstaller.exe" "$c/Programs/chrome.exe"
"$tools/windows10-layout.sh" "$prefix" --drive e "$prefix/drive-e" || fail "the layout was not planted"
ver=$(in_c cmd /c ver)
[[ "$ver" == *"10.0."* ]] || fail "Wine is not set to Windows 10: $ver"
[[ "$(cli sysinfo --json)" == *'"drive":"E:"'* ]] || fail "E: is no fixed drive"

# Compares a find's JSON (file $1) with the planted lists; categories in $2 are expected
# missing. Prints the rows it found outside the layout.
check_find() {
  py "$1" "$prefix/windows10-junk.txt" "$prefix/windows10-keep.txt" "${2:-}" <<'PY'
import json, sys
found = json.load(open(sys.argv[1]))
rows = {r["columns"][1].lower() + r["columns"][0].lower(): r for r in found["rows"]}
missing_ok = sys.argv[4]
errors = []
junk = [line.rstrip("\n").split("|") for line in open(sys.argv[2]) if line.strip()]
for fields in junk:
    # A file that goes with another's row (a Recycle Bin item's half) is checked by that row.
    path, category = fields[-1] if len(fields) > 2 else fields[0], fields[1]
    row = rows.get(path.lower())
    expected_missing = missing_ok and missing_ok.lower() in path.lower()
    if expected_missing:
        if row:
            errors.append("listed although its browser runs: " + path)
    elif not row:
        errors.append("not listed: " + path)
    elif row.get("category") != category:
        errors.append("%s listed as %s, not %s" % (path, row.get("category"), category))
for path in open(sys.argv[3]):
    path = path.strip()
    if path and path.lower() in rows:
        errors.append("must stay, yet listed: " + path)
for key in rows:
    if key.startswith("d:") or "\\$rlinked\\" in key or "documents\\" in key:
        errors.append("listed: " + key)
planted = {(f[2] if len(f) > 2 else f[0]).lower() for f in junk}
others = sorted(k for k in rows if k not in planted)
if errors:
    print("\n".join(errors))
    sys.exit(1)
print("%d rows, %d of the layout; others: %s" % (len(rows), len(rows) - len(others), ", ".join(others) or "none"))
PY
}

# 1. Chrome running.
log='C:\Programs\chrome.log'
(cd "$c" && wine 'C:\Programs\chrome.exe' "$log" chrome --sleep 120000 >/dev/null 2>&1) &
chrome=$!
for _ in $(seq 200); do grep -q 'chrome start' "$c/Programs/chrome.log" 2>/dev/null && break; sleep 0.1; done
grep -q 'chrome start' "$c/Programs/chrome.log" || fail "chrome.exe did not start"
cli find files --json >running.json || fail "find files exited $?"
check_find running.json '\Google\Chrome\' || fail "find files with Chrome running: see above"
grep -q '"browsers_to_close":\["Chrome"\]' running.json || fail "no word of Chrome: $(head -c 300 running.json)"
grep -q 'Close Chrome and search again' running.json || fail "the status does not say to close Chrome"
in_c taskkill /f /im chrome.exe >/dev/null
wait "$chrome" 2>/dev/null

# 2. Chrome ended: its caches too.
cli find files --json >found.json || fail "find files exited $?"
check_find found.json || fail "find files: see above"
grep -q '"browsers_to_close":\[\]' found.json || fail "a browser is still said to run"

# Every file the deletions may take, as it was, to compare the restored files with.
original="$prefix/original"
mkdir -p "$original"
cut -d'|' -f1 "$prefix/windows10-junk.txt" | while IFS= read -r path; do
  relative=$(tr '\\' '/' <<<"${path:3}")
  mkdir -p "$original/$(dirname "$relative")"
  cp -p "$(winepath -u "$path" 2>/dev/null)" "$original/$relative-${path:0:1}" || exit 1
done || fail "the planted junk could not be copied"

# 3. The plan: Edge's row out, the MEMORY.DMP row unchecked, the Firefox entry changed.
py found.json plan.json <<'PY'
import json, sys
found = json.load(open(sys.argv[1]))
rows = [r for r in found["rows"] if "\\Edge\\" not in r["columns"][1]]
for r in rows:
    if r["columns"][0] == "MEMORY.DMP":
        r["checked"] = False
found["rows"] = rows
json.dump(found, open(sys.argv[2], "w"))
PY
local_app_data=$(in_c cmd /c echo '%LOCALAPPDATA%' | sed 's/ *$//')
firefox="$local_app_data\\Mozilla\\Firefox\\Profiles\\k3x9.default-release\\cache2\\entries\\0A1B2C"
firefox_host=$(winepath -u "$firefox" 2>/dev/null)
printf 'written after the Find' >>"$firefox_host"
# The second deletion backs it up as it is now.
cp -p "$firefox_host" "$original/$(tr '\\' '/' <<<"${firefox:3}")-C"
cp plan.json "$c/plan.json"
cli delete files --plan 'C:\plan.json' --backup --yes --json >plan-out.json
status=$?
[[ $status == 1 ]] || fail "delete --plan exited $status, not 1 for the file kept: $(cat plan-out.json)"
py plan-out.json found.json <<'PY' || fail "delete --plan: see above"
import json, sys
out = json.load(open(sys.argv[1]))
found = json.load(open(sys.argv[2]))
left = {r["columns"][1] + r["columns"][0] for r in out["rows"]}
errors = []
# The changed file is no longer what a Find lists: its plan row names nothing, and stays.
unlisted = out["plan_rows_not_listed"]
if len(unlisted) != 1 or not unlisted[0].endswith("0A1B2C"):
    errors.append("plan_rows_not_listed %s" % unlisted)
if out["deleted"] != len(found["rows"]) - 3:
    errors.append("deleted %s of %s" % (out["deleted"], len(found["rows"])))
if "1 rows of the plan are not what a Find lists now, kept" not in out["status"]:
    errors.append("status: " + out["status"])
# The unchecked row was never one to delete: it is not among the rows left (its file must
# still be there, below).
if not any(p.endswith("0A1B2C") for p in left) or any(p.endswith("MEMORY.DMP") for p in left):
    errors.append("the changed row is not left, or the unchecked one is: %s" % sorted(left))
if errors:
    print("\n".join(errors)); sys.exit(1)
print("plan: deleted %d, kept the changed one; archive %s" % (out["deleted"], out["archive"]))
PY
plan_archive=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["archive"])' plan-out.json)
exists() { [[ -e "$(winepath -u "$1" 2>/dev/null)" ]]; }
exists "$firefox" || fail "the file changed since the Find was deleted"
exists 'C:\windows\MEMORY.DMP' || fail "the unchecked row was deleted"
exists "$local_app_data\\Microsoft\\Edge\\User Data\\Default\\Cache\\Cache_Data\\f_00000a" ||
  fail "the row taken out of the plan was deleted"

# 4. The rest, with a backup; then both archives back, byte for byte.
cli delete files --backup --yes --json >rest.json || fail "delete files exited $?: $(cat rest.json)"
rest_archive=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["archive"])' rest.json)
while IFS='|' read -r path _; do
  exists "$path" && fail "not deleted: $path"
done <"$prefix/windows10-junk.txt"
for archive in "$plan_archive" "$rest_archive"; do
  cli restore files "$archive" 'C:\restored' --yes >/dev/null || fail "restore files $archive exited $?"
done
while IFS='|' read -r path _; do
  saved="$original/$(tr '\\' '/' <<<"${path:3}")-${path:0:1}"
  relative=$(tr '\\' '/' <<<"${path:3}" | tr '[:upper:]' '[:lower:]')
  restored=$(find "$c/restored" -ipath "*/${relative}" 2>/dev/null | head -1)
  [[ -n "$restored" ]] || fail "not restored: $path"
  cmp -s "$saved" "$restored" || fail "restored differently: $path"
done <"$prefix/windows10-junk.txt"

# 5. What must stay.
while IFS= read -r path; do
  exists "$path" || fail "deleted although it must stay: $path"
done <"$prefix/windows10-keep.txt"
compgen -G "$c/\$Recycle.Bin/S-1-5-21-*" >/dev/null || fail "the Recycle Bin's folders went"
[[ -n "$(find "$c/\$Recycle.Bin" -maxdepth 2 -name '$RLINKED' -type l)" ]] || fail "the folder link in the Recycle Bin went"
[[ -e "$prefix/drive-d/on-cd.tmp" ]] || fail "a file on the CD-ROM drive was deleted"
[[ ! -e "$c/cleanup-string-ran.txt" ]] || fail "the cleanup handler's command was run"
echo "windows 10 junk round trip: ok ($(wc -l <"$prefix/windows10-junk.txt") junk files; $plan_archive, $rest_archive)"

# 6. The settings of Windows 10 as Wine's own Windows 10 names itself, and as Windows 10 and
#    11 name themselves ("Windows 10 Pro"): the version numbers decide, the name is shown.
current='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
stock=$(in_c reg query "$current" /v ProductName | sed -nE 's/^ +ProductName +REG_SZ +(.*)$/\1/p')
[[ -n "$stock" ]] || fail "the prefix has no ProductName"
# Each tab's titles, a line each; a tab that offers nothing fails.
offered() {
  local tab out
  for tab in 0 1 2 3; do
    out=$(cli tweaks list --tab "$tab" --json) || fail "tweaks list --tab $tab exited $?"
    python3 -c 'import json, sys
listed = json.loads(sys.argv[1])
if listed["windows"] != sys.argv[2] or not listed["rows"]:
    sys.exit("tab %s as %s: %s" % (sys.argv[3], listed["windows"], listed))
print("\n".join(r["columns"][0] for r in listed["rows"]))' "$out" "$1" "$tab" || fail "see above"
  done
}
as_stock=$(offered "$stock") || exit 1
in_c reg add "$current" /v ProductName /t REG_SZ /d 'Windows 10 Pro' /f >/dev/null
as_pro=$(offered 'Windows 10 Pro') || exit 1
[[ "$as_stock" == "$as_pro" ]] || fail "the settings differ by the product name:"$'\n'"$as_stock"$'\n---\n'"$as_pro"
echo "tweaks as \"$stock\" and as \"Windows 10 Pro\": $(wc -l <<<"$as_stock") settings offered, the same"
