#!/usr/bin/env bash
# The real sweepwise-cli program: "archive pack" then "archive unpack" restores a tree byte
# for byte with its dates, and a damaged archive makes "archive list" exit 1 without writing.
#   archive_round_trip.sh DRIVE_C_FOLDER RUNNER... PROGRAM
# DRIVE_C_FOLDER is the Linux folder the program sees as C: (the Wine prefix's drive_c, or
# the host stand-in's mapped folder).
set -uo pipefail
drive_c=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { SWEEPWISE_HOST_DRIVE_C="$drive_c" "$@"; }

work="$drive_c/sweepwise-round-trip"
rm -rf "$work"
mkdir -p "$work/tree/sub dir/ünïcödé" "$work/tree/empty"
printf 'plain text\r\n%.0s' {1..3000} >"$work/tree/notes.txt"
head -c 70000 /dev/urandom >"$work/tree/sub dir/random.bin"
printf '' >"$work/tree/sub dir/ünïcödé/zero.dat"
printf 'é' >"$work/tree/sub dir/ünïcödé/€ sign.txt"
# DOS dates keep even seconds.
touch -d '2021-03-04 05:06:08' "$work/tree/notes.txt" "$work/tree/sub dir/random.bin"
touch -d '2010-10-10 10:10:10' "$work/tree/sub dir/ünïcödé/zero.dat" "$work/tree/sub dir/ünïcödé/€ sign.txt"

run "$@" archive pack 'C:\sweepwise-round-trip\zq1.bck' 'C:\sweepwise-round-trip\tree\*.* /s' --max-size 40000 \
  || fail "pack exited $?"
[[ -f "$work/zq1.002" ]] || fail "no second volume"
run "$@" archive unpack 'C:\sweepwise-round-trip\zq1.bck' 'C:\sweepwise-round-trip\out' || fail "unpack exited $?"

# Names are stored in lower case, below the target without the drive.
restored="$work/out/sweepwise-round-trip/tree"
for file in notes.txt "sub dir/random.bin" "sub dir/ünïcödé/zero.dat" "sub dir/ünïcödé/€ sign.txt"; do
  target="$restored/${file,,}"
  cmp -s "$work/tree/$file" "$target" || fail "$file did not come back byte for byte"
  [[ $(stat -c %Y "$work/tree/$file") == $(stat -c %Y "$target") ]] || fail "$file lost its date"
done

# A damaged archive: a name length no archive holds.
printf '\0\0\0\0\0\0\0\0\1\0\0\0\xf0\xff\xff\x7f' >"$work/damaged.bck"
snapshot() { find "$drive_c/sweepwise-round-trip" -printf '%p %s %T@\n' | sort; }
before=$(snapshot)
run "$@" archive list 'C:\sweepwise-round-trip\damaged.bck' >/dev/null 2>list.err
status=$?
[[ $status -eq 1 ]] || fail "list of a damaged archive exited $status"
grep -q "Cannot read archive" list.err || fail "list did not say why: $(cat list.err)"
[[ "$(snapshot)" == "$before" ]] || fail "list wrote something"
rm -rf "$work"
echo "archive round trip as documented"
