#!/usr/bin/env bash
# What an uninstalled program left behind, through the real sweepwise-cli under Wine, in a
# fresh sandboxed prefix of its own. The fixture program installs itself into every place
# programs use (a second program of the same publisher beside it), and its uninstaller
# removes only its entry and main program. Then:
#   - "uninstall TITLE --yes" runs that uninstaller; "leftovers TITLE --json" lists the install
#     folder, the program's own key, its Run value and its file type as sure, its settings
#     folder in the publisher's folder as likely, and nothing of the other program;
#   - "leftovers TITLE --remove --yes" removes the sure ones after a backup (the likely folder
#     stays) and names its history entry;
#   - "undo ID --yes" puts the files back byte for byte and the registry values as they were;
#     a second undo of it is refused.
#   leftovers_round_trip.sh PREFIX FIXTURE RUNNER... PROGRAM
set -uo pipefail
prefix=$(realpath -m "$1")
fixture=$2
shift 2
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }
json() { perl -MJSON::PP -0777 -ne "my \$j = decode_json(\$_); $1"; }

rm -rf "$prefix"
"$tools/wine-prefix.sh" "$prefix" >/dev/null || fail "no prefix"
export SWEEPWISE_PREFIX=$prefix
# shellcheck source=../../tools/wine-env.sh
source "$tools/wine-env.sh"
finish() { wineserver -k 2>/dev/null; rm -rf "$prefix"; }
trap finish EXIT
# One server for every program of the test, kept between them (tools/wine-env.sh): one that
# a plain `wine` started ends in any pause of three seconds, under whatever starts then.
start_persistent_server
# The runner's prefix is this one: the arguments name the shared one.
runner=()
while [[ $# -gt 1 ]]; do
  runner+=("$1")
  shift
done
program=$1
for i in "${!runner[@]}"; do
  [[ "${runner[$i]}" == "--prefix" ]] && runner[i + 1]=$prefix
done
cli() { "${runner[@]}" "$program" "$@"; }
reg() { (cd "$WINEPREFIX/drive_c" && wine reg "$@" 2>/dev/null | tr -d '\r'); }

name='Roundtrip Notes'
publisher='Roundtrip Makers'
title="$name 2.1 (64-bit)"
# Through the runner, which copies a program into the prefix: the fixture copies itself.
"${runner[@]}" "$fixture" install "$name" "$publisher" 2.1 '{5EE1A0F1-ROUND-TRIP}' >/dev/null 2>&1 ||
  fail "the fixture did not install"
"${runner[@]}" "$fixture" install 'Roundtrip Companion' "$publisher" 3.0 '{5EE1A0F1-COMPANION}' >/dev/null 2>&1 ||
  fail "the companion did not install"
c="$prefix/drive_c"
install="$c/Program Files/$publisher/$name"
profile=$(find "$c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -1)
settings="$profile/AppData/Roaming/$publisher/$name"
cache="$profile/AppData/Local/$name"
[[ -f "$install/uninstall.exe" && -f "$settings/settings.ini" && -d "$cache" ]] || fail "the fixture's files are not there"
sums() { (cd "$c" && find "Program Files/$publisher/$name" "${cache#"$c"/}" -type f -print0 | sort -z | xargs -0 md5sum); }
before=$(sums)
own_before=$(reg query "HKCU\\Software\\$publisher\\$name" /s | sort)

cli uninstall "$title" --yes >/dev/null 2>&1 || fail "the uninstall failed"
[[ -f "$install/$name.exe" ]] && fail "the uninstaller did not remove the main program"
after_uninstall=$(sums)

listing=$(cli leftovers "$title" --json 2>/dev/null) || fail "leftovers exited $?"
rows=$(echo "$listing" | json 'for (@{$j->{rows}}) { print "$_->{certainty}|$_->{kind}|$_->{location}\n" }')
win_install="C:\\Program Files\\$publisher\\$name"
expect_row() { grep -qxF "$1" <<<"$rows" || fail "no row '$1' in: $rows"; }
expect_row "sure|Folder|$win_install"
expect_row "sure|Registry key|HKEY_CURRENT_USER\\Software\\$publisher\\$name"
expect_row "sure|Run value|HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\$name Agent"
grep -q "^likely|Folder|.*\\\\$publisher\\\\$name\$" <<<"$rows" || fail "the settings folder is not likely: $rows"
grep -qi "companion" <<<"$rows" && fail "the other program of the publisher was offered: $rows"
grep -q "|.*\\\\$publisher\$" <<<"$rows" && fail "the publisher's shared folder or key was offered: $rows"

removal=$(cli leftovers "$title" --remove --yes --json 2>/dev/null) || fail "the removal exited $?"
id=$(echo "$removal" | json 'print $j->{history_id}')
[[ "$id" =~ ^[0-9]+$ && "$id" -gt 0 ]] || fail "no history entry: $removal"
[[ -e "$install" ]] && fail "the install folder is still there"
[[ -f "$settings/settings.ini" ]] || fail "the likely settings folder went without --all-leftovers"
reg query "HKCU\\Software\\$publisher\\$name" >/dev/null 2>&1 && fail "the program's key is still there"
[[ -d "$c/Program Files/$publisher/Roundtrip Companion" ]] || fail "the companion's folder went"
reg query "HKCU\\Software\\$publisher\\Roundtrip Companion" >/dev/null 2>&1 || fail "the companion's key went"

cli undo "$id" --yes >/dev/null 2>&1 || fail "the undo exited $?"
[[ "$(sums)" == "$after_uninstall" ]] || fail "the files did not come back as they were"
[[ "$(reg query "HKCU\\Software\\$publisher\\$name" /s | sort)" == "$own_before" ]] || fail "the key did not come back as it was"
[[ "$after_uninstall" != "$before" ]] || fail "the check of the files cannot tell a change"
cli undo "$id" --yes >/dev/null 2>&1 && fail "a second undo was not refused"
echo "$rows"
echo "leftovers round trip: ok (history entry $id removed and undone)"
