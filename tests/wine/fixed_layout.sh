#!/usr/bin/env bash
# Wine's programs run with Linux's layout unrandomised (tools/wine-env.sh says why: a heap
# placed at random sometimes covered the address Wine needs, and a program ended before its
# first line). Checked from the Linux side, on the personality of every Wine program of the
# prefix: those the prefix's long-lived server started with (start_persistent_server), and one
# started as the test scripts start theirs, through `wine`, kept waiting while it is looked at.
#
#   tests/wine/fixed_layout.sh PREFIX-DIR
set -euo pipefail
SWEEPWISE_PREFIX=$(realpath -m "$1")
export SWEEPWISE_PREFIX
# shellcheck source=../../tools/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
if ((${#wine_layout[@]} == 0)); then
  echo "SKIP: this host refuses to set a process's personality (setarch -R), so Wine runs as before"
  exit 77
fi
start_persistent_server
cd "$WINEPREFIX/drive_c"

# ADDR_NO_RANDOMIZE of <linux/personality.h>.
readonly no_randomize=$((0x0040000))

# cmd waits for a line on its standard input, which this script holds open.
coproc waiting { wine cmd /c "set /p line=" 2>&1; }
trap 'kill "${waiting_PID:-}" 2>/dev/null || true' EXIT

# The Wine programs of this prefix, as pid:name.
prefix_programs() {
  local pid
  for pid in $(pgrep -f '\.exe' || true); do
    # (A program that ended since pgrep saw it is passed over.)
    if grep -qxF "WINEPREFIX=$WINEPREFIX" < <({ tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null); then
      echo "$pid:$({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | sed 's/ *$//')"
    fi
  done
}

found_cmd=0
for _ in $(seq 1 100); do
  # (Through a variable: grep -q ends at its first match, and pipefail would count the
  # listing it cut short as a failure.)
  programs=$(prefix_programs)
  if grep -qi 'cmd\.exe' <<<"$programs"; then
    found_cmd=1
    break
  fi
  sleep 0.1
done
((found_cmd)) || { echo "FAIL: the waiting cmd of this prefix never showed among the processes" >&2; exit 1; }

checked=0
faults=0
while IFS=: read -r pid command; do
  personality=$({ cat "/proc/$pid/personality"; } 2>/dev/null) || continue
  checked=$((checked + 1))
  if (((0x$personality & no_randomize) == 0)); then
    echo "FAIL: $command (pid $pid) runs with a randomised layout (personality $personality)" >&2
    faults=$((faults + 1))
  fi
done < <(prefix_programs)
echo "" >&"${waiting[1]}"
wait "$waiting_PID" || true
((checked >= 2)) || { echo "FAIL: only $checked Wine programs of the prefix were found" >&2; exit 1; }
((faults == 0)) || exit 1
echo "PASS: $checked Wine programs of the prefix run with Linux's layout unrandomised"
