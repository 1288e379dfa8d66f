#!/usr/bin/env bash
# The window with a million rows, under Wine and Xvfb: plants C:\files-bench with FILES junk
# files (default 1,000,000, ten to a folder, every one a row) from the Linux side, in a prefix
# of its own (removed afterwards), and runs sweepwise-find-latency-bench.exe there: the
# longest wait of the window's message loop during the Find and while its list holds every
# row. The most private memory sweepwise.exe held is read on the Linux side meanwhile.
#
#   bench/million_window_bench.sh [FILES]          (after cmake --build --preset mingw)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
files=${1:-1000000}
prefix=$(realpath -m build/mingw/bench-prefix-million)
log=build/mingw/million-window-bench.log
finish() {
  (SWEEPWISE_PREFIX=$prefix && source tools/wine-env.sh && wineserver -k 2>/dev/null) || true
  rm -rf "$prefix"
}
trap finish EXIT
tools/wine-prefix.sh "$prefix"
start=$(date +%s)
python3 - "$prefix/drive_c/files-bench" "$files" <<'PY'
import os, sys
tree, count = sys.argv[1], int(sys.argv[2])
endings = [".tmp"] * 7 + [".~doc", ".gid", ".tmp"]
for n in range(count):
    folder = os.path.join(tree, "branch%d" % (n // 10 % 100), "folder%d" % (n // 10))
    if n % 10 == 0:
        os.makedirs(folder, exist_ok=True)
    open(os.path.join(folder, "%d%s" % (n, endings[n % 10])), "wb").write(b"x")
open(os.path.join(tree, "complete"), "w").write(str(count))
PY
echo "planted $files junk files in $(($(date +%s) - start)) s"

tools/wine-gui-run.sh "$prefix" build/mingw/src/sweepwise-find-latency-bench.exe "$files" >"$log" 2>&1 &
runner=$!
peak=0
while kill -0 "$runner" 2>/dev/null; do
  program=$(pgrep -f '\\sweepwise\.exe' | head -n 1 || true)
  if [[ -n "$program" ]]; then
    kb=$(awk '/^Private_(Clean|Dirty):/ { sum += $2 } END { print sum + 0 }' "/proc/$program/smaps_rollup" 2>/dev/null || echo 0)
    ((kb > peak)) && peak=$kb
  fi
  sleep 1
done
status=0
wait "$runner" || status=$?
cat "$log"
echo "sweepwise.exe held at most $((peak / 1024)) MB of private memory"
exit "$status"
