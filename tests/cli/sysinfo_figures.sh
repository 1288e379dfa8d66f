#!/usr/bin/env bash
# The real sweepwise-cli program against what Linux itself reports: "sysinfo --json" gives
# the memory total within 1 % of /proc/meminfo, the processor's vendor id, family, model and
# stepping of /proc/cpuinfo, and drive C:'s size and free space within 1 % of statvfs of the
# folder that is C:. "usage --json" of a planted tree gives the sizes find(1) adds up.
# Under Wine the figures come through kernel32 (Wine passes the host's memory and processor
# through); natively through the host stand-ins.
#   sysinfo_figures.sh DRIVE_C_FOLDER RUNNER... PROGRAM
set -uo pipefail
drive_c=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { SWEEPWISE_HOST_DRIVE_C="$drive_c" "$@"; }

# The number after "key": in a one-line JSON object (the first one when the key repeats).
number() { grep -o "\"$1\":[0-9]*" <<<"$2" | head -n 1 | cut -d: -f2; }
text() { grep -o "\"$1\":\"[^\"]*\"" <<<"$2" | head -n 1 | cut -d'"' -f4; }
# Whether $1 is within 1 % of $2.
within_one_percent() { local d=$(($1 - $2)); ((d < 0)) && d=$((-d)); ((d * 100 <= $2)); }
cpuinfo() { grep -m 1 "^$1[[:space:]]*:" /proc/cpuinfo | sed 's/^[^:]*:[[:space:]]*//'; }

run "$@" sysinfo --json >sysinfo.json 2>sysinfo.err || fail "sysinfo exited $?: $(cat sysinfo.err)"
json=$(tr -d '\r' <sysinfo.json)

mem_total=$(($(awk '/^MemTotal:/ {print $2}' /proc/meminfo) * 1024))
physical_total=$(number physical_total "$json")
[[ -n $physical_total ]] || fail "no physical_total in $json"
within_one_percent "$physical_total" "$mem_total" ||
  fail "physical memory $physical_total bytes, Linux says $mem_total"
free=$(number physical_free "$json")
((free > 0 && free <= physical_total)) || fail "free memory $free of $physical_total"

[[ $(text vendor_id "$json") == "$(cpuinfo vendor_id)" ]] ||
  fail "vendor id $(text vendor_id "$json"), Linux says $(cpuinfo vendor_id)"
for field in "family:cpu family" "model:model" "stepping:stepping"; do
  ours=$(number "${field%%:*}" "$json")
  theirs=$(cpuinfo "${field#*:}")
  [[ $ours == "$theirs" ]] || fail "${field%%:*} $ours, Linux says $theirs"
done

drive=$(grep -o '{[^{}]*"drive":"C:"[^{}]*}' <<<"$json")
[[ -n $drive ]] || fail "no drive C: in $json"
read -r block blocks available < <(stat -f -c '%S %b %a' "$drive_c")
within_one_percent "$(number capacity "$drive")" $((block * blocks)) ||
  fail "C: capacity $(number capacity "$drive"), statvfs says $((block * blocks))"
within_one_percent "$(number free "$drive")" $((block * available)) ||
  fail "C: free $(number free "$drive"), statvfs says $((block * available))"

# A planted tree: files of every awkward size, hidden ones (a leading dot hides a file under
# Wine), folders whose names begin with a dot, and a link to a folder that is not followed.
tree="$drive_c/sweepwise-usage"
rm -rf "$tree"
mkdir -p "$tree/Big/.cache/deep" "$tree/.dotted" "$tree/Empty" "$tree/Small" "$tree/outside"
for size in 0 1 1023 1024 5000000; do head -c "$size" /dev/zero >"$tree/Big/file$size"; done
head -c 70000 /dev/zero >"$tree/Big/.cache/deep/.hidden"
for i in $(seq 1 40); do head -c 900 /dev/zero >"$tree/Small/s$i"; done
head -c 3000 /dev/zero >"$tree/.dotted/d"
head -c 2500 /dev/zero >"$tree/loose"
head -c 800000 /dev/zero >"$tree/outside/target"
ln -s ../outside "$tree/Small/link"

kb() { echo $(($(find "$1" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}') / 1024)); }
expected="{\"kb\":$(kb "$tree/Big"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\BIG\"}"
expected+=",{\"kb\":$(kb "$tree/outside"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\OUTSIDE\"}"
expected+=",{\"kb\":$(kb "$tree/Small"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\SMALL\"}"
# Equal sizes keep the listing's order, in which the files' slice comes last.
expected+=",{\"kb\":$(kb "$tree/.dotted"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\.DOTTED\"}"
expected+=",{\"kb\":2,\"label\":\"Files\"}"
expected+=",{\"kb\":0,\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\EMPTY\"}"
total=$(($(kb "$tree/outside") + $(kb "$tree/Big") + $(kb "$tree/Small") + $(kb "$tree/.dotted")))
[[ $(kb "$tree/Small") -eq 35 && $(kb "$tree/Big") -eq 4953 ]] || fail "the tree is not as planted"

run "$@" usage 'C:\sweepwise-usage' --json >usage.json 2>usage.err || fail "usage exited $?: $(cat usage.err)"
usage=$(tr -d '\r' <usage.json)
[[ $usage == *"\"items\":[$expected]"* ]] || fail "usage items: $usage, expected [$expected]"
[[ $(number total_kb "$usage") -eq $total ]] || fail "usage total $(number total_kb "$usage"), expected $total"
rm -rf "$tree"
echo "system figures as Linux reports them"
