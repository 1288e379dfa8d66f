#!/usr/bin/env bash
# The real sweepwise-cli program under Wine with uninstallers of our own registered in the
# prefix's three uninstall keys (HKLM's 64-bit and 32-bit views, HKCU):
#   - "list software --json" lists exactly the entries with a display name (besides what the
#     prefix holds already), each source's once, with publisher, version, size and date;
#   - "uninstall A B --yes" runs A's uninstaller and then B's in the order given; B removes
#     its own entry (no text 88), A leaves it (a cancel), and --yes removes it, saved first as
#     a regbackupNNN.reg of the data folder that the registry editor imports back exactly;
#   - an uninstaller that copies itself to %TEMP%, starts the copy and ends at once is waited
#     for until the copy has removed its entry;
#   - an unknown title runs nothing, and an uninstaller that cannot be started fails the
#     command and leaves its entry alone; --quiet runs the quiet command or refuses.
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
json() { perl -MJSON::PP -0777 -ne "my \$j = decode_json(\$_); $1"; }

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall'
# Class-identifier-like names, unlike the titles; Beta's enumerates before Alpha's, so that
# the run order below is the order given, not the list's.
alpha='{F15EE1C1-0000-4000-8000-0000000000A1}'
beta='{115EE1C1-0000-4000-8000-0000000000B2}'
missing='{815EE1C1-0000-4000-8000-0000000000C3}'
nameless='{915EE1C1-0000-4000-8000-0000000000D4}'
gamma='{615EE1C1-0000-4000-8000-0000000000E5}'
delta='{715EE1C1-0000-4000-8000-0000000000F6}'
folder="$WINEPREFIX/drive_c/sweepwise-uninstall-test"
win_folder='C:\sweepwise-uninstall-test'
log="$folder/log.txt"
backups=()
# Where each entry is: HKLM's 64-bit view unless named here.
view_of() {
  case "$1" in
    "$gamma") echo "HKLM /reg:32" ;;
    "$delta") echo "HKCU" ;;
    *) echo "HKLM /reg:64" ;;
  esac
}
at() { local where; where=$(view_of "$1"); echo "${where%% *}\\$uninstall_key\\$1"; }
view_flag() { local where; where=$(view_of "$1"); [[ "$where" == *" "* ]] && echo "${where#* }"; }
# shellcheck disable=SC2046
add() {
  local said
  said=$(cd "$WINEPREFIX/drive_c" && wine reg add "$(at "$1")" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f $(view_flag "$1") 2>&1) ||
    fail "reg add $1 $2 exited $?: $said"
}
# shellcheck disable=SC2046
exists() { reg query "$(at "$1")" $(view_flag "$1") >/dev/null; }
# shellcheck disable=SC2046
export_key() { reg query "$(at "$1")" /s $(view_flag "$1"); }
cleanup() {
  # shellcheck disable=SC2046
  for key in "$alpha" "$beta" "$missing" "$nameless" "$gamma" "$delta"; do
    reg delete "$(at "$key")" /f $(view_flag "$key") >/dev/null
  done
  for file in "${backups[@]}"; do rm -f "$file"; done
  rm -rf "$folder" usage.err refused.err uninstall.err missing.err self.err quiet.err
  rm -f "$WINEPREFIX"/drive_c/users/*/Temp/gamma-copy.exe "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp/gamma-copy.exe
}
trap cleanup EXIT
cleanup

# "source<TAB>title<TAB>type<TAB>command" of every listed entry, sorted.
entries() {
  "$@" list software --json | json '
    for my $row (@{$j->{rows}}) {
      print join("\t", $row->{source}, $row->{columns}[0], $row->{columns}[1], $row->{command}), "\n";
    }' | LC_ALL=C sort
}
baseline=$(entries "$@") || fail "list software failed"

mkdir -p "$folder"
cp "$console_helper" "$window_helper" "$folder/"
window_uninstaller="$win_folder\\$(basename "$window_helper")"
console_uninstaller="$win_folder\\$(basename "$console_helper")"
alpha_command="$window_uninstaller $win_folder\\log.txt alpha --sleep 300"
beta_command="$console_uninstaller $win_folder\\log.txt beta --remove-key HKLM64\\$beta"
missing_command="$win_folder\\no-such-uninstaller.exe"
gamma_command="$window_uninstaller $win_folder\\log.txt gamma --copy-to-temp --sleep 1500 --remove-key HKLM32\\$gamma"
delta_command="$console_uninstaller $win_folder\\log.txt delta"
add "$alpha" DisplayName 'Sweepwise CLI Test Alpha'
add "$alpha" UninstallString "$alpha_command"
add "$alpha" Publisher 'Orvanta "Alpha" Ltd'
add "$alpha" DisplayVersion '1.2.3'
add "$alpha" EstimatedSize 2048 REG_DWORD
add "$alpha" InstallDate 20261209
add "$alpha\\Components" Part 'kept with the entry'
add "$beta" DisplayName 'Sweepwise CLI Test Beta'
add "$beta" UninstallString "$beta_command"
add "$missing" DisplayName 'Sweepwise CLI Test Missing'
add "$missing" UninstallString "$missing_command"
add "$nameless" UninstallString "$console_uninstaller $win_folder\\log.txt nameless"
add "$gamma" DisplayName 'Sweepwise CLI Test Gamma'
add "$gamma" UninstallString "$gamma_command"
add "$gamma" Publisher 'Gamma Works'
add "$gamma" DisplayVersion '3.0'
add "$gamma" EstimatedSize 512 REG_DWORD
add "$gamma" InstallDate 20250101
add "$delta" DisplayName 'Sweepwise CLI Test Delta'
add "$delta" UninstallString "$delta_command"
add "$delta" QuietUninstallString "$console_uninstaller $win_folder\\log.txt delta-quiet --remove-key HKCU\\$delta"
add "$delta" Publisher 'Delta Per User'
add "$delta" DisplayVersion '0.9'
add "$delta" EstimatedSize 64 REG_DWORD
add "$delta" InstallDate 20240229

found=$(entries "$@") || fail "list software failed"
new=$(LC_ALL=C comm -13 <(echo "$baseline") <(echo "$found"))
expected=$(printf '%s\tSweepwise CLI Test %s\tInstalled Software\t%s\n' \
  "HKLM64\\$alpha" Alpha "$alpha_command" "HKLM64\\$beta" Beta "$beta_command" \
  "HKLM64\\$missing" Missing "$missing_command" "HKLM32\\$gamma" Gamma "$gamma_command" \
  "HKCU\\$delta" Delta "$delta_command" | LC_ALL=C sort)
[[ "$new" == "$expected" ]] || fail "list software listed"$'\n'"$new"$'\n'"instead of"$'\n'"$expected"
# Every source, with its publisher, version, size and date.
details=$("$@" list software --json | json '
  for my $row (@{$j->{rows}}) {
    next unless $row->{columns}[0] =~ /^Sweepwise CLI Test (Alpha|Gamma|Delta)$/;
    print join("|", $1, $row->{root}, $row->{view}, $row->{publisher}, $row->{version}, $row->{size_kb},
               $row->{install_date}, $row->{columns}[6], $row->{columns}[7] ne "" ? "dated" : "undated"), "\n";
  }' | LC_ALL=C sort)
expected_details='Alpha|HKEY_LOCAL_MACHINE|64-bit|Orvanta "Alpha" Ltd|1.2.3|2048|20261209|2048KB (2MB)|dated
Delta|HKEY_CURRENT_USER||Delta Per User|0.9|64|20240229|64KB (0MB)|dated
Gamma|HKEY_LOCAL_MACHINE|32-bit|Gamma Works|3.0|512|20250101|512KB (0MB)|dated'
[[ "$details" == "$expected_details" ]] || fail "the entries' fields:"$'\n'"$details"

# An unknown title is a usage error and runs nothing; without a console or --yes, nothing runs.
"$@" uninstall 'Sweepwise CLI Test Alpha' 'No Such Program' --yes >/dev/null 2>usage.err
status=$?
[[ $status -eq 2 ]] || fail "an unknown title exited $status, not 2"
grep -q "No Such Program" usage.err || fail "the usage error does not name the title: $(cat usage.err)"
"$@" uninstall 'Sweepwise CLI Test Alpha' </dev/null >/dev/null 2>refused.err
status=$?
[[ $status -eq 1 ]] || fail "uninstall without a console or --yes exited $status, not 1"
[[ ! -e "$log" ]] || fail "an uninstaller ran: $(cat "$log")"

alpha_before=$(export_key "$alpha") || fail "no entry of Alpha"
out=$("$@" uninstall 'Sweepwise CLI Test Alpha' 'Sweepwise CLI Test Beta' --yes --json 2>uninstall.err) ||
  fail "uninstall exited $?: $(cat uninstall.err)"
order=$(tr -d '\r' <"$log" | awk '$2 == "start" || $2 == "end" { print $1, $2 }' | paste -sd ' ')
[[ "$order" == "alpha start alpha end beta start beta end" ]] || fail "the uninstallers ran as: $(cat "$log")"
alpha_end=$(awk '$1 == "alpha" && $2 == "end" { print $3 }' "$log" | tr -d '\r')
beta_start=$(awk '$1 == "beta" && $2 == "start" { print $3 }' "$log" | tr -d '\r')
((beta_start >= alpha_end)) || fail "beta started at $beta_start, before alpha ended at $alpha_end"
for key in "$alpha" "$beta"; do exists "$key" && fail "$key is still there"; done
# Each notice before its uninstaller; the question and text 88 once, for Alpha, which left
# its entry behind.
notices=$(tr -d '\r' <uninstall.err | sed -nE 's/^Now, .* launches uninstaller for (.*)\.$/\1/p' | paste -sd '|')
[[ "$notices" == "Sweepwise CLI Test Alpha|Sweepwise CLI Test Beta" ]] || fail "notices: $(cat uninstall.err)"
[[ $(grep -c "has repaired the system registry" uninstall.err) -eq 1 ]] || fail "text 88: $(cat uninstall.err)"
summary=$(json 'print join(" ", map { "$_->{started}/$_->{entry_gone}/$_->{leftover_removed}" } @{$j->{rows}}),
                " $j->{uninstalled}"' <<<"$out")
[[ "$summary" == "1/0/1 1/1/0 2" ]] || fail "uninstall reported: $out"
backup_file=$(json 'print $j->{rows}[0]{backup_file}' <<<"$out")
[[ "$backup_file" =~ \\regbackup[0-9A-F]{3,}\.reg$ ]] || fail "no backup named: $out"
backup="$WINEPREFIX/drive_c$(tr '\\' '/' <<<"${backup_file#[Cc]:}")"
backups+=("$backup")
[[ -f "$backup" ]] || fail "no $backup"
# The registry editor brings Alpha's entry back exactly, its subkey included.
(cd "$WINEPREFIX/drive_c" && wine regedit /s "$backup_file" >/dev/null 2>&1) || fail "regedit /s failed"
[[ "$(export_key "$alpha")" == "$alpha_before" ]] ||
  fail "the backup brought back"$'\n'"$(export_key "$alpha")"$'\n'"instead of"$'\n'"$alpha_before"
reg delete "$(at "$alpha")" /f /reg:64 >/dev/null

# The self-copying uninstaller: its original ends at once, its copy removes the entry later;
# the command waits for the copy and repairs nothing (a question asked too early would be
# answered by --yes, and the entry removed by Sweepwise instead).
out=$("$@" uninstall 'Sweepwise CLI Test Gamma' --yes --json 2>self.err) || fail "uninstall exited $?: $(cat self.err)"
[[ "$(json 'print "$j->{rows}[0]{started}/$j->{rows}[0]{entry_gone}/$j->{rows}[0]{leftover_removed}"' <<<"$out")" == \
  "1/1/0" ]] || fail "the self-copying uninstall reported: $out"
grep -q "gamma-copy end" "$log" || fail "returned before the copy ended: $(cat "$log")"
[[ "$(awk '$1 == "gamma-copy" && $2 == "found" { print $3 }' "$log" | tr -d '\r')" == 1 ]] ||
  fail "the entry was touched before the copy removed it"
grep -q "repaired" self.err && fail "text 88: $(cat self.err)"
exists "$gamma" && fail "Gamma's entry is still there"

# Delta's commands are in the current user's own entry, which any program of that user may
# rewrite; Wine runs every program with administrator rights and no desktop shell runs here
# to start them unelevated, so neither command runs and the entry stays. A program without a
# quiet command is refused and runs nothing.
"$@" uninstall 'Sweepwise CLI Test Delta' 'Sweepwise CLI Test Missing' --quiet --yes >/dev/null 2>quiet.err
status=$?
[[ $status -eq 1 ]] || fail "--quiet with a refused and a program without a quiet command exited $status, not 1"
grep -q "^delta" "$log" && fail "a command of the current user's entry ran elevated: $(cat "$log")"
grep -q "current user's own entry" quiet.err || fail "no word of the current user's entry: $(cat quiet.err)"
grep -q "Missing has no quiet uninstall command" quiet.err || fail "no refusal: $(cat quiet.err)"
exists "$delta" || fail "Delta's entry was removed though its uninstaller never ran"
reg delete "$(at "$delta")" /f >/dev/null

"$@" uninstall 'Sweepwise CLI Test Missing' --yes >/dev/null 2>missing.err
status=$?
# Its uninstaller is gone, so the entry is an orphan: the question whether to remove it is
# answered by --yes, and the entry goes after its backup.
[[ $status -eq 0 ]] || fail "the orphaned entry's uninstall exited $status: $(cat missing.err)"
exists "$missing" && fail "the orphaned entry stays: $(cat missing.err)"
reg query "$(at "$nameless")" /reg:64 >/dev/null || fail "an entry without a display name was touched"

[[ "$(entries "$@")" == "$baseline" ]] || fail "entries left after uninstall"
echo "software round trip: ok"
