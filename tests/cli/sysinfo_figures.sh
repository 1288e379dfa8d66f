#!/usr/bin/env bash
# The real sweepwise-cli program against what Linux itself reports: "sysinfo --json" gives
# the memory total within 1 % of /proc/meminfo, the processor's name, vendor id, family, model
# and stepping of /proc/cpuinfo, no 0 for a figure of the processor it does not know, and
# drive C:'s size and free space within 1 % of statvfs of the folder that is C:, with the
# fixed drives' totals as the Drive page shows them. "usage --json" of a planted tree gives
# the sizes find(1) adds up, and a file with several hard links counts once, as du(1) counts
# it.
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

# The name string. Linux reads it with CPUID as we do; only a virtual machine whose
# hypervisor answers its kernel with another name than its programs (checked with the
# cpuid(1) tool, which reads the instruction as a program does) makes them differ, and then
# the program's answer is the one to show.
brand=$(text brand "$json")
kernel_name=$(cpuinfo "model name")
if [[ $brand != "$kernel_name" ]]; then
  program_name=$(cpuid -1 2>/dev/null | sed -n 's/^ *brand = "\(.*\)"$/\1/p' | head -n 1 | sed 's/ *$//; s/^ *//')
  [[ -n $program_name && $program_name != "$kernel_name" && $brand == "$program_name" ]] ||
    fail "processor name '$brand', Linux says '$kernel_name' (cpuid(1): '${program_name:-not installed}')"
  echo "note: the kernel is told '$kernel_name', programs '$program_name'" >&2
fi
grep -q "^Name: $brand\$" < <(run "$@" sysinfo | tr -d '\r') || fail "no row 'Name: $brand' in sysinfo's text"
# No figure of the processor reads 0: what it does not report is null.
cpu=$(grep -o '"cpu":{.*}}' <<<"$json" | sed 's/},"drive_totals.*//; s/},"drives.*//; s/},"memory.*//')
zeros=$(grep -oE '"(mhz|bus_mhz|transistors|[a-z0-9_]*_kb)":0[,}]' <<<"$cpu" || true)
[[ -z $zeros ]] || fail "figures of 0 in $cpu"

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
# The totals as the Drive page shows them: the drives listed, added up.
totals=$(grep -o '"drive_totals":{[^{}]*}' <<<"$json")
free_sum=$(grep -o '"free":[0-9]*' <<<"$(grep -o '"drives":\[[^]]*\]' <<<"$json")" | cut -d: -f2 | awk "{s += \$1} END {printf \"%.0f\", s}")
[[ $(number free "$totals") == "$free_sum" ]] || fail "drive totals $totals, the drives add up to $free_sum"
[[ $(text free_text "$totals") == "$((free_sum / 1048576))MB" ]] || fail "drive totals' text in $totals"

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
# One file of 300000 bytes with three names: two in Big, one beside the folders.
head -c 300000 /dev/zero >"$tree/Big/hard1"
ln "$tree/Big/hard1" "$tree/Big/hard2"
ln "$tree/Big/hard1" "$tree/loose-hard"

# find(1) adds up the files, a hard-linked one once (its first name only).
hard_bytes() { find "$1" -type f -links +1 -printf '%i %s\n' | sort -u | awk '{s += $2} END {print s + 0}'; }
kb() { echo $((($(find "$1" -type f -links 1 -printf '%s\n' | awk '{s += $1} END {print s + 0}') + $(hard_bytes "$1")) / 1024)); }
expected="{\"kb\":$(kb "$tree/Big"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\BIG\"}"
expected+=",{\"kb\":$(kb "$tree/outside"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\OUTSIDE\"}"
expected+=",{\"kb\":$(kb "$tree/Small"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\SMALL\"}"
# Equal sizes keep the listing's order, in which the files' slice comes last.
expected+=",{\"kb\":$(kb "$tree/.dotted"),\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\.DOTTED\"}"
expected+=",{\"kb\":2,\"label\":\"Files\"}"  # 2500 bytes: its hard link is counted in Big
expected+=",{\"kb\":0,\"label\":\"C:\\\\SWEEPWISE-USAGE\\\\EMPTY\"}"
# The whole chart, its files' slice included, as du -sb counts it (every hard link once),
# less what Windows does not count as file data: the folders' and the links' own sizes.
du_bytes=$(du -sb "$tree" | cut -f1)
meta_bytes=$(find "$tree" \( -type d -o -type l \) -printf '%s\n' | awk '{s += $1} END {print s + 0}')
total=$(((du_bytes - meta_bytes) / 1024))
[[ $(kb "$tree/Small") -eq 35 && $(kb "$tree/Big") -eq 5246 ]] || fail "the tree is not as planted"

run "$@" usage 'C:\sweepwise-usage' --json >usage.json 2>usage.err || fail "usage exited $?: $(cat usage.err)"
usage=$(tr -d '\r' <usage.json)
[[ $usage == *"\"items\":[$expected]"* ]] || fail "usage items: $usage, expected [$expected]"
[[ $(number total_kb "$usage") -eq $total ]] || fail "usage total $(number total_kb "$usage"), expected $total"
rm -rf "$tree"
echo "system figures as Linux reports them"
