#!/usr/bin/env bash
# The real sweepwise-cli program under Wine with uninstallers of our own registered in the
# prefix's uninstall key: "list software --json" lists exactly the entries with a display name
# (besides what the prefix holds already), "uninstall A B --yes" runs A's uninstaller and then
# B's in the order given and leaves neither subkey behind, an unknown title runs nothing, and
# an uninstaller that cannot be started fails the command while its entry is still removed.
#   software_round_trip.sh PREFIX CONSOLE-UNINSTALLER WINDOW-UNINSTALLER RUNNER... PROGRAM
# It adds and removes uninstall entries that every listing sees: CTest runs it alone.
set -uo pipefail
export SWEEPWISE_PREFIX=$1
console_helper=$2
window_helper=$3
shift 3
fail() { echo "FAIL: $*" >&2; exit 1; }
tools_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
# shellcheck source=../../tools/wine-env.sh
source "$tools_dir/wine-env.sh"
reg() { (cd "$WINEPREFIX/drive_c" && wine reg "$@" 2>/dev/null | tr -d '\r'); }

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# Class-identifier-like names, unlike the titles; Beta's enumerates before Alpha's, so that
# the run order below is the order given, not the list's.
alpha='{F15EE1C1-0000-4000-8000-0000000000A1}'
beta='{115EE1C1-0000-4000-8000-0000000000B2}'
missing='{815EE1C1-0000-4000-8000-0000000000C3}'
nameless='{915EE1C1-0000-4000-8000-0000000000D4}'
folder="$WINEPREFIX/drive_c/sweepwise-uninstall-test"
win_folder='C:\sweepwise-uninstall-test'
log="$folder/log.txt"
cleanup() {
  for key in "$alpha" "$beta" "$missing" "$nameless"; do reg delete "$uninstall_key\\$key" /f >/dev/null; done
  rm -rf "$folder" usage.err refused.err uninstall.err missing.err
}
trap cleanup EXIT
cleanup

# "key<TAB>title<TAB>type<TAB>command" of every listed entry, sorted.
entries() {
  "$@" list software --json | perl -MJSON::PP -0777 -ne '
    for my $row (@{decode_json($_)->{rows}}) {
      print join("\t", $row->{key}, $row->{columns}[0], $row->{columns}[1], $row->{command}), "\n";
    }' | LC_ALL=C sort
}
baseline=$(entries "$@") || fail "list software failed"

mkdir -p "$folder"
cp "$console_helper" "$window_helper" "$folder/"
window_uninstaller="$win_folder\\$(basename "$window_helper")"
console_uninstaller="$win_folder\\$(basename "$console_helper")"
alpha_command="$window_uninstaller $win_folder\\log.txt alpha --sleep 300"
beta_command="$console_uninstaller $win_folder\\log.txt beta --remove-key $beta"
missing_command="$win_folder\\no-such-uninstaller.exe"
add() { reg add "$uninstall_key\\$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null || fail "reg add $1 $2"; }
add "$alpha" DisplayName 'Sweepwise CLI Test Alpha'
add "$alpha" UninstallString "$alpha_command"
add "$beta" DisplayName 'Sweepwise CLI Test Beta'
add "$beta" UninstallString "$beta_command"
add "$missing" DisplayName 'Sweepwise CLI Test Missing'
add "$missing" UninstallString "$missing_command"
add "$nameless" UninstallString "$console_uninstaller $win_folder\\log.txt nameless"

found=$(entries "$@") || fail "list software failed"
new=$(LC_ALL=C comm -13 <(echo "$baseline") <(echo "$found"))
expected=$(printf '%s\tSweepwise CLI Test %s\tInstalled Software\t%s\n' \
  "$alpha" Alpha "$alpha_command" "$beta" Beta "$beta_command" "$missing" Missing "$missing_command" | LC_ALL=C sort)
[[ "$new" == "$expected" ]] || fail "list software listed"$'\n'"$new"$'\n'"instead of"$'\n'"$expected"

# An unknown title is a usage error and runs nothing; without a console or --yes, nothing runs.
"$@" uninstall 'Sweepwise CLI Test Alpha' 'No Such Program' --yes >/dev/null 2>usage.err
status=$?
[[ $status -eq 2 ]] || fail "an unknown title exited $status, not 2"
grep -q "No Such Program" usage.err || fail "the usage error does not name the title: $(cat usage.err)"
"$@" uninstall 'Sweepwise CLI Test Alpha' </dev/null >/dev/null 2>refused.err
status=$?
[[ $status -eq 1 ]] || fail "uninstall without a console or --yes exited $status, not 1"
[[ ! -e "$log" ]] || fail "an uninstaller ran: $(cat "$log")"

out=$("$@" uninstall 'Sweepwise CLI Test Alpha' 'Sweepwise CLI Test Beta' --yes 2>uninstall.err) ||
  fail "uninstall exited $?: $(cat uninstall.err)"
order=$(tr -d '\r' <"$log" | awk '$2 != "show" { print $1, $2 }' | paste -sd ' ')
[[ "$order" == "alpha start alpha end beta start beta end" ]] || fail "the uninstallers ran as: $(cat "$log")"
alpha_end=$(awk '$1 == "alpha" && $2 == "end" { print $3 }' "$log" | tr -d '\r')
beta_start=$(awk '$1 == "beta" && $2 == "start" { print $3 }' "$log" | tr -d '\r')
((beta_start >= alpha_end)) || fail "beta started at $beta_start, before alpha ended at $alpha_end"
for key in "$alpha" "$beta"; do
  reg query "$uninstall_key\\$key" >/dev/null && fail "$key is still there"
done
# Each notice before its uninstaller; text 88 once, for Alpha, which left its key behind.
notices=$(tr -d '\r' <uninstall.err | sed -nE 's/^Now, .* launches uninstaller for (.*)\.$/\1/p' | paste -sd '|')
[[ "$notices" == "Sweepwise CLI Test Alpha|Sweepwise CLI Test Beta" ]] || fail "notices: $(cat uninstall.err)"
[[ $(grep -c "has repaired the system registry" uninstall.err) -eq 1 ]] || fail "text 88: $(cat uninstall.err)"
grep -q "removed 1 uninstall keys" <<<"$out" || fail "uninstall reported: $out"

"$@" uninstall 'Sweepwise CLI Test Missing' --yes >/dev/null 2>missing.err
status=$?
[[ $status -eq 1 ]] || fail "an uninstaller that cannot start exited $status, not 1"
grep -q "could not be started" missing.err || fail "no word of the failed start: $(cat missing.err)"
reg query "$uninstall_key\\$missing" >/dev/null && fail "the entry of the missing uninstaller is still there"
reg query "$uninstall_key\\$nameless" >/dev/null || fail "an entry without a display name was touched"

[[ "$(entries "$@")" == "$baseline" ]] || fail "entries left after uninstall"
echo "software round trip: ok"
