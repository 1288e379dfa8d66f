#!/usr/bin/env bash
# The real sweepwise-cli under Wine with Disk Cleanup handlers of our own (a COM DLL built
# with the tests, registered in the prefix under VolumeCaches and CLSID\{...}\InprocServer32
# with ThreadingModel Apartment): one counts 3 GB (a sparse file) and purges it, one fails
# Initialize, one never returns from GetSpaceUsed, one needs administrator rights, one has
# settings of its own, one is not for the unattended cleanup.
#   1. "find files --only windows-cleanup --json" lists four of them, unchecked, with sizes,
#      and names the two left out, within the limit SWEEPWISE_CLEANUP_CALL_LIMIT_MS gives;
#   2. as a standard user (through STANDARD-USER: Wine gives every program an elevated
#      token, the helper starts it with the filtered one User Account Control would give),
#      the administrators' handler is listed without a size and named as needing the rights;
#   3. the standard user's "delete files --only windows-cleanup --yes" runs the 3 GB one only:
#      its files are gone, the one needing the rights is named and kept (exit 1), the two that
#      Windows would not run unattended are left and named;
#   4. elevated, the same runs the administrators' one too (exit 0);
#   5. history.log holds both runs with what they freed; each handler was called on one
#      single-threaded apartment's thread: InitializeEx, GetSpaceUsed, Purge, Deactivate.
#   windows_cleanup_round_trip.sh PREFIX STANDARD-USER HANDLERS-DLL RUNNER... PROGRAM
# The handlers it registers would be asked by every Find in the prefix: CTest runs it alone,
# and it removes them again.
set -uo pipefail
export SWEEPWISE_PREFIX=$1
standard_user=$2
dll=$3
shift 3
program=${*: -1}
fail() { echo "FAIL: $*" >&2; exit 1; }
tools_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
# shellcheck source=../../tools/wine-env.sh
source "$tools_dir/wine-env.sh"

"$@" --version >/dev/null || fail "the program does not start"  # creates the prefix when needed

# shellcheck source=../wine/test_cleanup_handlers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../wine/test_cleanup_handlers.sh"
folder="$WINEPREFIX/drive_c/sweepwise/cleanup-test"
win='C:\sweepwise\cleanup-test'
cleanup() {
  unregister_test_cleanup_handlers
  rm -rf "$folder"
}
trap cleanup EXIT
cleanup
mkdir -p "$folder"
for name in "${test_cleanup_names[@]}"; do
  mkdir -p "$folder/$name"
done
cp "$program" "$folder/sweepwise-cli.exe"
cp "$dll" "$folder/handlers.dll"
cp "$standard_user" "$folder/standard-user.exe"
register_test_cleanup_handlers "$win" || fail "the handlers could not be registered"
plant() {
  truncate -s 3G "$folder/Sized/superseded.cab"
  head -c 1000 /dev/zero >"$folder/Sized/setup.log"
}
plant
head -c 2000 /dev/zero >"$folder/Administrators/system.log"
head -c 30 /dev/zero >"$folder/Settings/settings.dat"
head -c 40 /dev/zero >"$folder/Not Unattended/asked.dat"

# The handler that never answers is given up after 3 s, not the program's minute.
export SWEEPWISE_CLEANUP_CALL_LIMIT_MS=3000
cli() { (cd "$folder" && wine "$win\\sweepwise-cli.exe" "$@" | tr -d '\r'); }
as_user() { (cd "$folder" && wine "$win\\standard-user.exe" "$win\\sweepwise-cli.exe" "$@" | tr -d '\r'); }
py() { python3 - "$@"; }

# 1. The Find, with administrator rights (Wine's own token).
cli find files --only windows-cleanup --json >find.json || fail "find files exited $?"
py find.json <<'PY' || fail "find files: see above"
import json, sys
found = json.load(open(sys.argv[1]))
rows = {r["key"]: r for r in found["rows"] if r.get("key", "").startswith("Sweepwise Test")}
errors = []
expected = {"Sweepwise Test Sized": ("Fichiers d'essai \u00e0 nettoyer", 3221226472),
            "Sweepwise Test Administrators": ("Test handler for administrators", 2000),
            "Sweepwise Test Settings": ("Test handler with settings", 30),
            "Sweepwise Test Not Unattended": ("Test handler Windows runs only when asked", 40)}
if sorted(rows) != sorted(expected):
    errors.append("rows: %s" % sorted(rows))
for key, (name, size) in expected.items():
    row = rows.get(key)
    if not row:
        continue
    if row["columns"][0] != name or row["size"] != size or row["columns"][2] != str(size):
        errors.append("%s: %s" % (key, row))
    if row["checked"] or row["columns"][4] != "Windows cleanup (cannot be undone)" or row["category"] != "windows-cleanup":
        errors.append("%s is checked or mistyped: %s" % (key, row))
if [r["key"] for r in found["rows"]][:4] != list(expected):
    errors.append("not in the order of their priority")
left = found["windows_cleanup"]["left_out"]
for name in ("Sweepwise Test Fails (error 0x80004005)", "Test handler that never answers (no answer within 3 s)"):
    if name not in left:
        errors.append("not named as left out: " + name + " in " + str(left))
    if name not in found["status"]:
        errors.append("the status does not name " + name)
if found["windows_cleanup"]["need_administrator"]:
    errors.append("an elevated Find needs rights")
print("\n".join(errors))
sys.exit(1 if errors else 0)
PY

# 2. The Find as a standard user.
as_user find files --only windows-cleanup --json >user-find.json || fail "a standard user's find exited $?"
py user-find.json <<'PY' || fail "a standard user's find: see above"
import json, sys
found = json.load(open(sys.argv[1]))
rows = {r["key"]: r for r in found["rows"] if r.get("key", "").startswith("Sweepwise Test")}
admin = rows.get("Sweepwise Test Administrators")
errors = []
if not admin or not admin["needs_administrator"] or "size" in admin or admin["columns"][3] != "Needs administrator rights":
    errors.append("the administrators' handler: %s" % admin)
if found["windows_cleanup"]["need_administrator"] != ["Sweepwise Test Administrators"]:
    errors.append("need_administrator: %s" % found["windows_cleanup"]["need_administrator"])
if "Needs administrator rights: Sweepwise Test Administrators" not in found["status"]:
    errors.append("status: " + found["status"])
print("\n".join(errors))
sys.exit(1 if errors else 0)
PY

# 3. The standard user's Delete.
as_user delete files --only windows-cleanup --yes --json >user-delete.json
[[ $? == 1 ]] || fail "a run that left a handler for want of rights did not fail: $(cat user-delete.json)"
py user-delete.json <<'PY' || fail "a standard user's delete: see above"
import json, sys
done = json.load(open(sys.argv[1]))
cleanup = done["windows_cleanup"]
errors = []
ran = [(h["name"], h["ran"], h["freed"]) for h in cleanup["handlers"]]
if ran != [("Fichiers d'essai \u00e0 nettoyer on C:\\", True, 3221226472)]:
    errors.append("ran: %s" % ran)
if cleanup["need_administrator"] != ["Sweepwise Test Administrators on C:\\"]:
    errors.append("need_administrator: %s" % cleanup["need_administrator"])
left = " ".join(cleanup["left_alone"])
if "Test handler with settings on C:\\ (it has settings" not in left or "runs only when asked on C:\\ (Windows does not run it unattended" not in left:
    errors.append("left alone: %s" % cleanup["left_alone"])
row = [r for r in done["rows"] if r.get("key") == "Sweepwise Test Sized"][0]
if row["freed"] != 3221226472 or row["columns"][2] != "3221226472" or not row["columns"][3].startswith("Freed; free space on C:\\ "):
    errors.append("row: %s" % row)
print("\n".join(errors))
sys.exit(1 if errors else 0)
PY
[[ -e "$folder/Sized/superseded.cab" ]] && fail "the 3 GB handler's file is still there"
[[ -e "$folder/Administrators/system.log" ]] || fail "a standard user's run purged the administrators' handler"
[[ -e "$folder/Settings/settings.dat" && -e "$folder/Not Unattended/asked.dat" ]] ||
  fail "the console ran a handler Windows would not run unattended"

# 4. Elevated, the administrators' handler runs too.
plant
cli delete files --only windows-cleanup --yes --json >delete.json || fail "an elevated delete exited $?: $(cat delete.json)"
py delete.json <<'PY' || fail "an elevated delete: see above"
import json, sys
ran = {h["name"]: (h["ran"], h["freed"]) for h in json.load(open(sys.argv[1]))["windows_cleanup"]["handlers"]}
if ran != {"Fichiers d'essai \u00e0 nettoyer on C:\\": (True, 3221226472), "Test handler for administrators on C:\\": (True, 2000)}:
    print("ran: %s" % ran)
    sys.exit(1)
PY
[[ -e "$folder/Administrators/system.log" ]] && fail "the administrators' handler's file is still there"

# 5. The history, and how each handler was called.
py "$folder/history.log" <<'PY' || fail "history.log: see above"
import json, sys
ends = {}
begins = []
for line in open(sys.argv[1], encoding="utf-8"):
    line = line.strip()
    if not line:
        continue
    record = json.loads(line)
    if record["event"] == "begin":
        begins.append(record)
    else:
        ends[record["key"]] = record
runs = [b for b in begins if b["action"] == "windows-cleanup"]
errors = []
if len(runs) != 2:
    errors.append("%d runs recorded" % len(runs))
expected = [3221226472, 3221226472 + 2000]
for run, freed in zip(runs, expected):
    end = ends.get(run["key"], {})
    if run["origin"] != "sweepwise-cli delete files" or not run.get("not_undoable"):
        errors.append("begin: %s" % run)
    if end.get("bytes") != freed or end.get("state") != "done":
        errors.append("end: %s" % end)
print("\n".join(errors))
sys.exit(1 if errors else 0)
PY
calls=$(tr -d '\r' <"$folder/calls.log")
purge_thread=$(grep -m1 '^Purge 3221226472 ' <<<"$calls" | sed -E 's/.*(thread=[0-9]+).*/\1/')
[[ -n "$purge_thread" ]] || fail "no purge of the 3 GB in the call log: $calls"
sequence=$(grep -F "$purge_thread " <<<"$calls" | cut -d' ' -f1 | tr '\n' ' ')
[[ "$sequence" == "InitializeEx GetSpaceUsed Purge Deactivate " ]] || fail "the calls on one thread: $sequence"
grep -F "$purge_thread " <<<"$calls" | grep -vq 'apartment=sta$' && fail "a call outside a single-threaded apartment"
echo "windows cleanup round trip: ok (3 GB found and purged, the rights and the unattended rule kept, both runs in the history)"
