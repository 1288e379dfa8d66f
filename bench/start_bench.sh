#!/usr/bin/env bash
# Start-to-tray time and resident memory of sweepwise.exe under Wine, in the bench prefix,
# under Xvfb. Wine cannot report another process's private bytes (GetProcessMemoryInfo
# gives 0), so the memory is read on the Linux side, from /proc/PID/smaps_rollup of the
# resident process, beside the same figures of the bench program itself (a console program
# that does nothing but wait) and of Wine's own Notepad (a small window program), which show
# what share Wine itself has.
#
#   bench/start_bench.sh [RUNS]          (after cmake --build --preset mingw)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
prefix=build/mingw/bench-prefix
log=build/mingw/start-bench.log
: >"$log"

private_kb() {  # the private (clean + dirty) kilobytes of a process
  awk '/^Private_(Clean|Dirty):/ { sum += $2 } END { print sum }' "/proc/$1/smaps_rollup"
}

tools/wine-gui-run.sh "$prefix" build/mingw/src/sweepwise-start-bench.exe "${1:-5}" >"$log" 2>&1 &
runner=$!
seen=0
while kill -0 "$runner" 2>/dev/null; do
  count=$(grep -c '^RESIDENT' "$log" || true)
  if [[ $count -gt $seen ]]; then
    seen=$count
    program=$(pgrep -f '\\sweepwise\.exe' | head -n 1 || true)
    bench=$(pgrep -f '\\sweepwise-start-bench\.exe' | head -n 1 || true)
    if [[ -n "$program" && -n "$bench" ]]; then
      echo "start $seen: $(grep '^RESIDENT' "$log" | tail -n 1 | cut -d' ' -f2-);" \
        "private memory $(private_kb "$program") kB (a waiting Wine console program: $(private_kb "$bench") kB)"
    fi
  fi
  if [[ -z "${baseline:-}" ]] && grep -q '^BASELINE' "$log"; then
    baseline=$(pgrep -f '\\notepad\.exe' | head -n 1 || true)
    [[ -n "$baseline" ]] && echo "Wine's own Notepad (a small window program): private memory $(private_kb "$baseline") kB"
  fi
  sleep 0.2
done
wait "$runner"
grep -v '^RESIDENT\|^BASELINE' "$log"
