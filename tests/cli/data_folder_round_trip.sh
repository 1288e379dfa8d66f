#!/usr/bin/env bash
# Where the real programs keep their files, under Wine, in a fresh sandboxed prefix of their
# own under Xvfb. Wine has no access control, so a program folder the user cannot write (an
# install below %ProgramFiles% on a current Windows) is made real on the host: C:\Sweepwise is
# made immutable with chattr +i (this needs root, as CI runs). Then:
#   - "paths --json" names %LOCALAPPDATA%\Sweepwise and says why;
#   - "delete files --backup", "delete registry --backup", "tweaks apply" (a copy shown
#     Windows XP) and "restore tweaks" keep their archive, .reg backup and default.reg there;
#   - the window saves language.txt there at Exit and reads it at its next start, with the
#     archive counter the console program advanced;
#   - a portable copy in a folder it can write keeps everything beside itself, as always;
#   - with the data folder made unwritable too, every command that must write says so,
#     exits 1, and deletes nothing.
#   data_folder_round_trip.sh PREFIX BIN-DIR
# (BIN-DIR holds the build's sweepwise.exe, sweepwise-cli.exe and sweepwise-window-driver.exe.)
set -uo pipefail
if [[ -z "${SWEEPWISE_GUI_DISPLAY:-}" ]]; then
  exec env SWEEPWISE_GUI_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
prefix=$(realpath -m "$1")
bin=$2
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ $(id -u) == 0 ]] || { echo "SKIP: making a folder unwritable to Wine (chattr +i) needs root"; exit 77; }

c="$prefix/drive_c"
program="$c/Sweepwise"
portable="$c/Portable"
finish() {
  chattr -R -i "$c" 2>/dev/null
  wineserver -k 2>/dev/null
  rm -rf "$prefix"
}
chattr -R -i "$prefix/drive_c" 2>/dev/null
rm -rf "$prefix"
"$tools/wine-desktop.sh" "$prefix" 1024x768 >/dev/null || fail "no prefix"
export SWEEPWISE_PREFIX=$prefix
# shellcheck source=../../tools/wine-env.sh
source "$tools/wine-env.sh"
trap finish EXIT
[[ -n "${SWEEPWISE_KEEP_PREFIX:-}" ]] && trap - EXIT

in_c() { (cd "$c" && wine "$@" 2>/dev/null | tr -d '\r'); }
reg() { in_c reg "$@"; }
cli() { in_c 'C:\Sweepwise\sweepwise-cli.exe' "$@"; }
# The console program's own messages on stderr, into FILE.
cli_to() { local file=$1; shift; (cd "$c" && wine 'C:\Sweepwise\sweepwise-cli.exe' "$@" 2>"$OLDPWD/$file" | tr -d '\r'); }
cli_xp() { in_c 'C:\Sweepwise\sweepwise-cli-xp.exe' "$@"; }
driver() { "$tools/wine-run.sh" --prefix "$prefix" "$bin/sweepwise-window-driver.exe" "$@" | tr -d '\r'; }
json() { python3 -c "import json,sys; print(json.load(sys.stdin)$1)"; }

local_app_data=$(in_c cmd /c echo '%LOCALAPPDATA%')
[[ "$local_app_data" == *:\\* ]] || fail "no %LOCALAPPDATA% in the prefix: $local_app_data"
data_windows="$local_app_data\\Sweepwise"
data=$(winepath -u "$data_windows" 2>/dev/null)
[[ -n "$data" ]] || fail "no host path for $data_windows"

mkdir -p "$program" "$portable"
cp "$bin/sweepwise.exe" "$bin/sweepwise-cli.exe" "$program/"
cp "$bin/sweepwise-cli.exe" "$program/sweepwise-cli-xp.exe"
cp "$bin/sweepwise-cli.exe" "$portable/"
printf '3.5\r\n' >"$program/version.txt"
reg add 'HKCU\Software\Wine\AppDefaults\sweepwise-cli-xp.exe' /v Version /t REG_SZ /d winxp /f >/dev/null
chattr +i "$program"
touch "$program/probe" 2>/dev/null && fail "chattr +i did not make the program folder unwritable"

# 1. The data folder and why.
paths=$(cli paths --json) || fail "paths exited $?: $paths"
[[ "$(json '["program_folder"]' <<<"$paths")" == 'C:\Sweepwise' ]] || fail "program folder: $paths"
[[ "$(json '["data_folder"]' <<<"$paths")" == "$data_windows" ]] || fail "data folder: $paths"
[[ "$(json '["why"]' <<<"$paths")" == *"cannot be written"* ]] || fail "why: $paths"
[[ -d "$data" ]] || fail "the data folder was not made"

# 2. Junk files: the archive and the counter in the data folder, the files deleted.
mkdir -p "$c/junk"
printf 'first' >"$c/junk/one.tmp"
printf 'second' >"$c/junk/two.tmp"
cli delete files --backup --yes >delete.out 2>delete.err || fail "delete files exited $?: $(cat delete.err)"
[[ -f "$data/zq0.bck" ]] || fail "no archive in the data folder: $(cat delete.out)"
[[ ! -e "$c/junk/one.tmp" && ! -e "$c/junk/two.tmp" ]] || fail "the junk was not deleted"
cli archive list "$data_windows\\zq0.bck" | grep -q 'one.tmp' || fail "the archive lacks one.tmp"
[[ "$(sed -n 2p "$data/language.txt" | tr -d '\r')" == 1 ]] || fail "the counter: $(cat "$data/language.txt")"
cli archive unpack "$data_windows\\zq0.bck" 'C:\restored' >/dev/null || fail "the archive does not unpack"
[[ "$(cat "$c/restored/junk/one.tmp")" == first ]] || fail "one.tmp came back different"

# 3. An invalid registry value: its backup in the data folder, and back again from it.
key='HKCU\Software\SweepwiseDataFolderTest'
reg add "$key" /v gone /t REG_SZ /d 'C:\windows\NotThere.dll' /f >/dev/null
cli delete registry --backup --yes >registry.out 2>registry.err || fail "delete registry exited $?: $(cat registry.err)"
backup=$(ls "$data"/regbackup*.reg 2>/dev/null | head -1)
[[ -n "$backup" ]] || fail "no registry backup in the data folder: $(cat registry.out)"
reg query "$key" /v gone >/dev/null && fail "the invalid value was not deleted"
cli restore registry "$data_windows\\$(basename "$backup")" --yes >/dev/null || fail "restore registry exited $?"
[[ "$(reg query "$key" /v gone)" == *'C:\windows\NotThere.dll'* ]] || fail "the value did not come back"

# 4. A tweak, as Windows XP: default.reg in the data folder, and Restore reads it there.
desktop='HKCU\Control Panel\Desktop'
old_delay=400
reg add "$desktop" /v MenuShowDelay /t REG_SZ /d "$old_delay" /f >/dev/null
cli_xp tweaks apply "Speed up menu display" --yes >tweak.out 2>tweak.err || fail "tweaks apply exited $?: $(cat tweak.err)"
[[ -f "$data/default.reg" ]] || fail "no default.reg in the data folder"
[[ "$(reg query "$desktop" /v MenuShowDelay)" == *"REG_SZ    0"* ]] || fail "MenuShowDelay was not set"
cli_xp restore tweaks --yes >restore.out 2>restore.err || fail "restore tweaks exited $?: $(cat restore.err)"
[[ "$(reg query "$desktop" /v MenuShowDelay)" == *"REG_SZ    $old_delay"* ]] || fail "MenuShowDelay did not come back"
[[ "$(tr -d '\r' <restore.out)" == *"All tasks were restored"* ]] || fail "restore said: $(cat restore.out)"

# 5. The window: language.txt in the data folder at Exit, read again at the next start.
(cd "$program" && wine 'C:\Sweepwise\sweepwise.exe' -splash >/dev/null 2>&1) &
driver wait >/dev/null || fail "Sweepwise did not reach the tray"
driver language turkish exit >/dev/null || fail "the window did not exit"
[[ "$(tr -d '\r' <"$data/language.txt")" == $'0\n1\nN' ]] || fail "language.txt at Exit: $(cat "$data/language.txt")"
(cd "$program" && wine 'C:\Sweepwise\sweepwise.exe' -splash >/dev/null 2>&1) &
driver wait exit >/dev/null || fail "the second start did not reach the tray and exit"
[[ "$(tr -d '\r' <"$data/language.txt")" == $'0\n1\nN' ]] || fail "the second start did not read the settings back"

# 6. A portable copy keeps everything beside itself.
printf 'third' >"$c/junk/three.tmp"
portable_paths=$(in_c 'C:\Portable\sweepwise-cli.exe' paths --json) || fail "portable paths exited $?"
[[ "$(json '["data_folder"]' <<<"$portable_paths")" == 'C:\Portable' ]] || fail "portable: $portable_paths"
in_c 'C:\Portable\sweepwise-cli.exe' delete files --backup --yes >/dev/null || fail "portable delete exited $?"
[[ -f "$portable/zq0.bck" && -f "$portable/language.txt" ]] || fail "the portable copy wrote elsewhere"

# 7. The data folder unwritable too: nothing is deleted, and every command says why.
printf 'fourth' >"$c/junk/four.tmp"
reg add "$key" /v gone-again /t REG_SZ /d 'C:\windows\AlsoNotThere.dll' /f >/dev/null
chattr +i "$data"
for command in "delete files --backup --yes" "delete files --yes" "delete registry --backup --yes" "paths"; do
  # shellcheck disable=SC2086
  cli_to refused.err $command >refused.out && fail "$command succeeded in an unwritable data folder"
  grep -qF "$data_windows" refused.err || fail "$command did not name the data folder: $(cat refused.err)"
done
[[ -e "$c/junk/four.tmp" ]] || fail "a file was deleted without a place for its backup or batch"
reg query "$key" /v gone-again >/dev/null || fail "a registry value was deleted without its backup"
# A tweak default.reg holds no record of yet: its previous state has nowhere to go.
explorer='HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer'
reg query "$explorer" /v NoCDBurning >/dev/null && fail "NoCDBurning is set in the fresh prefix"
cli_xp tweaks apply "Disable CD Burning" --yes >/dev/null 2>tweak.err && fail "tweaks apply succeeded"
reg query "$explorer" /v NoCDBurning >/dev/null && fail "a tweak was applied unrecorded"
echo "data folder round trip: ok ($data_windows)"
