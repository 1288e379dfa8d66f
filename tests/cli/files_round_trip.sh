#!/usr/bin/env bash
# The real sweepwise-cli program under Wine: "find files" lists exactly the junk planted in a
# prepared tree, "delete files --backup --yes" deletes it into a zqN.bck, and "archive unpack"
# of that archive gives every deleted file back byte for byte. A Unix symbolic link in the
# tree, to a folder outside drive C: with junk in it, is neither walked nor deleted through.
#   files_round_trip.sh PREFIX RUNNER... PROGRAM
# It deletes whatever junk it finds on C:, so CTest runs it alone.
set -uo pipefail
prefix=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
tools_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
drive_c="$prefix/drive_c"
tree="$drive_c/sweepwise-junk"
outside="$prefix/sweepwise-outside"
cleanup() { rm -rf "$tree" "$outside" "$drive_c/sweepwise-restored"; }
trap cleanup EXIT
cleanup
# "folder|name" of each row, drive letter and case as the rows show them, sorted.
rows() { tr -d '\r' | { grep -v 'KBytes selected$' || true; } | awk -F'\t' '{ print $2 "|" $1 }' | LC_ALL=C sort; }

baseline=$("$@" find files | rows) || fail "find files failed"

mkdir -p "$tree/deep/er" "$tree/Recycled" "$tree/keep" "$outside"
head -c 5000 /dev/urandom >"$tree/report.tmp"
printf 'unit' >"$tree/deep/unit1.~pas"
printf 'index' >"$tree/deep/er/help.GID"
printf 'with blank' >"$tree/deep/two words.tmp"
printf 'percent' >"$tree/deep/er/50%.tmp"
for keep in keep/report.tmp.bak keep/x.tmp.tmp keep/tmp keep/notes.txt .hidden.tmp; do printf 'keep' >"$tree/$keep"; done
printf 'outside' >"$outside/outside.tmp"
ln -s "$outside" "$tree/link"

expected=$(printf '%s\n' 'c:\sweepwise-junk\|report.tmp' 'c:\sweepwise-junk\deep\|two words.tmp' \
  'c:\sweepwise-junk\deep\er\|50%.tmp' 'c:\sweepwise-junk\deep\|unit1.~pas' 'c:\sweepwise-junk\deep\er\|help.GID' |
  LC_ALL=C sort)
found=$("$@" find files | rows) || fail "find files failed"
new=$(LC_ALL=C comm -13 <(echo "$baseline") <(echo "$found"))
[[ "$new" == "$expected" ]] || fail "find files listed"$'\n'"$new"$'\n'"instead of"$'\n'"$expected"

cp -a "$tree" "$prefix/sweepwise-original"
trap 'cleanup; rm -rf "$prefix/sweepwise-original"' EXIT
out=$("$@" delete files --backup --yes | tr -d '\r') || fail "delete files exited $?: $out"
archive=$(sed -nE 's/.*backup in (.*zq[0-9]+\.bck).*/\1/p' <<<"$out")
[[ -n "$archive" ]] || fail "no archive reported: $out"
for junk in report.tmp deep/unit1.~pas deep/er/help.GID "deep/two words.tmp" "deep/er/50%.tmp"; do
  [[ ! -e "$tree/$junk" ]] || fail "$junk was not deleted"
done
for keep in keep/report.tmp.bak keep/x.tmp.tmp keep/tmp keep/notes.txt .hidden.tmp; do
  [[ -e "$tree/$keep" ]] || fail "$keep was deleted"
done
[[ -e "$outside/outside.tmp" ]] || fail "a file was deleted through the link"

"$@" archive unpack "$archive" 'C:\sweepwise-restored' >/dev/null || fail "archive unpack exited $?"
for junk in report.tmp deep/unit1.~pas deep/er/help.gid "deep/two words.tmp" "deep/er/50%.tmp"; do
  original="$prefix/sweepwise-original/$junk"
  [[ -e "$original" ]] || original="$prefix/sweepwise-original/deep/er/help.GID"
  # Stored names are lower case, below the target without the drive.
  cmp -s "$original" "$drive_c/sweepwise-restored/sweepwise-junk/$junk" || fail "$junk did not come back byte for byte"
done
batch="$drive_c/sweepwise/bin/clean.bat"
grep -v -E '^(cls|@echo .*|@del ".*|@CLS >nul)'$'\r''?$' "$batch" && fail "clean.bat holds more than file names"
rm -f "$drive_c/$(tr '\\' '/' <<<"${archive#C:\\}")" "$batch"
# The batch runs once at the user's next logon, from the user's own RunOnce key with its
# path quoted, though Wine's user is an administrator; the entry goes again, or it would run
# at the prefix's next start. The batch names files only.
run_once='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'
reg() { (SWEEPWISE_PREFIX="$prefix" && source "$tools_dir/wine-env.sh" && cd "$drive_c" && wine reg "$@" 2>/dev/null | tr -d '\r'); }
reg query "$run_once" /v Sweepwise | grep -q -F '"C:\sweepwise\bin\clean.bat"' || fail "no quoted RunOnce entry for clean.bat"
reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v Sweepwise >/dev/null 2>&1 &&
  fail "a RunOnce entry for clean.bat in the machine's key"
reg delete "$run_once" /v Sweepwise /f >/dev/null
echo "files round trip: ok ($archive)"
