#!/usr/bin/env bash
# A share of the million-file benchmark, through the real sweepwise-cli: COUNT junk files (one
# KiB each, ten to a folder) below C:\many-files. "find files --json" lists every one of them
# once with the facts a plan needs; "delete files --plan --backup" of every tenth row deletes
# exactly those into an archive that "archive list" shows whole; "usage" counts what is left.
#   many_files_round_trip.sh DRIVE-C COUNT RUNNER... PROGRAM
# (DRIVE-C is drive C: as the program sees it: the prefix's drive_c under Wine.) It deletes
# junk on C: by a plan of its own rows only, but its Find sees every test's junk: it runs alone.
set -uo pipefail
drive_c=$1
count=$2
shift 2
fail() { echo "FAIL: $*" >&2; exit 1; }
tree="$drive_c/many-files"
cleanup() { rm -rf "$tree" "$drive_c/many-files-plan.json"; }
trap cleanup EXIT
cleanup

python3 - "$tree" "$count" <<'PY' || fail "the tree was not made"
import os, sys
tree, count = sys.argv[1], int(sys.argv[2])
endings = [".tmp"] * 7 + [".~doc", ".gid", ".tmp"]
block = b"x" * 1024
for n in range(count):
    folder = os.path.join(tree, "branch%d" % (n // 10 % 100), "folder%d" % (n // 10))
    if n % 10 == 0:
        os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "%d%s" % (n, endings[n % 10])), "wb") as f:
        f.write(block)
PY

"$@" find files --only temporary-files,backup-copies,help-indexes --json >many-found.json || fail "find files exited $?"
python3 - many-found.json "$count" "$drive_c/many-files-plan.json" <<'PY' || fail "find files: see above"
import json, sys
found = json.load(open(sys.argv[1]))
count = int(sys.argv[2])
ours = [r for r in found["rows"] if r["columns"][1].lower().startswith("c:\\many-files\\")]
paths = {r["columns"][1].lower() + r["columns"][0].lower() for r in ours}
errors = []
if len(ours) != count or len(paths) != count:
    errors.append("%d rows, %d paths of %d files" % (len(ours), len(paths), count))
for r in ours:
    if r.get("size") != 1024 or r["columns"][2] != "1024" or "last_write" not in r or not r["checked"]:
        errors.append("row without its facts: %s" % r)
        break
if found.get("found_files", 0) < count:
    errors.append("found_files %s" % found.get("found_files"))
if errors:
    print("\n".join(errors)); sys.exit(1)
ours.sort(key=lambda r: r["columns"][1] + r["columns"][0])
json.dump({"rows": ours[::10]}, open(sys.argv[3], "w"))
print("find files: %d rows of ours, a plan of %d" % (len(ours), len(ours[::10])))
PY

"$@" delete files --plan 'C:\many-files-plan.json' --backup --yes --json >many-deleted.json ||
  fail "delete files exited $?: $(head -c 500 many-deleted.json)"
archive=$(python3 - many-deleted.json "$drive_c/many-files-plan.json" "$drive_c" <<'PY'
import json, os, sys
out = json.load(open(sys.argv[1]))
plan = json.load(open(sys.argv[2]))["rows"]
drive_c = sys.argv[3]
def host(row):
    return os.path.join(drive_c, *(row["columns"][1][3:] + row["columns"][0]).split("\\"))
left = [r for r in plan if os.path.exists(host(r))]
if out["deleted"] != len(plan) or left:
    sys.exit("deleted %s of %d; still there: %s" % (out["deleted"], len(plan), [host(r) for r in left[:3]]))
print(out["archive"])
PY
) || fail "delete files: $archive"

archive_host="$drive_c/$(tr '\\' '/' <<<"${archive:3}")"
cleanup() { rm -rf "$tree" "$drive_c/many-files-plan.json" "$archive_host"; }
[[ -f "$archive_host" ]] || fail "no archive at $archive_host"

# The archive holds every deleted file; the files left are still there, a KiB each.
"$@" archive list "$archive" --json >many-listed.json || fail "archive list exited $?"
python3 - many-listed.json "$count" <<'PY' || fail "archive list: see above"
import json, sys
listed = json.load(open(sys.argv[1]))["rows"]
expected = int(sys.argv[2]) // 10
ours = [r for r in listed if "many-files" in r["columns"][0].lower() or "many-files" in r["columns"][1].lower()]
if len(ours) != expected:
    sys.exit("the archive lists %d of %d files" % (len(ours), expected))
PY
left=$(find "$tree" -type f | wc -l)
[[ $left == $((count - count / 10)) ]] || fail "$left files left of $count"

"$@" usage 'C:\many-files' --json >many-usage.json || fail "usage exited $?"
python3 - many-usage.json "$left" <<'PY' || fail "usage: see above"
import json, sys
usage = json.load(open(sys.argv[1]))
if usage.get("total_kb") != int(sys.argv[2]):
    sys.exit("usage counts %s KB for %s files of a KiB: %s" % (usage.get("total_kb"), sys.argv[2], str(usage)[:300]))
PY
echo "many files round trip: ok ($count files found, $((count / 10)) deleted into $archive, $left counted)"
