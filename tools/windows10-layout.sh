#!/usr/bin/env bash
# Plants a Windows 10 user's junk in a sandboxed prefix, with what must stay beside it: the
# temporary folders (files two days old, one written a minute ago, the Low folder), two
# Chrome profiles' caches and an Edge and a Firefox cache beside the profiles' cookies,
# history, bookmarks, passwords and places.sqlite, crash dumps, error reports, thumbnails,
# the user's part of the Recycle Bin (with a folder link in it that leads to the user's
# documents), update downloads, and a program's cleanup handler in the registry.
#
#   tools/windows10-layout.sh PREFIX [--drive LETTER HOST-FOLDER]
#
# With --drive, the Recycle Bin of that drive (mapped by the caller) gets junk too. Writes
# two lists into PREFIX: windows10-junk.txt ("WINDOWS-PATH|CATEGORY" per junk file that is a
# row, "WINDOWS-PATH|CATEGORY|ROW-PATH" per junk file that goes with the row ROW-PATH, as the
# halves of a Recycle Bin item do) and windows10-keep.txt (one WINDOWS-PATH per file that
# must stay).
set -euo pipefail
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$(realpath -m "$1")
shift
drive_letter=""
drive_folder=""
if [[ "${1:-}" == "--drive" ]]; then
  drive_letter=${2^^}
  drive_folder=$(realpath -m "$3")
fi
export SWEEPWISE_PREFIX=$prefix
# shellcheck source=wine-env.sh
source "$tools/wine-env.sh"
c="$prefix/drive_c"
in_c() { (cd "$c" && wine "$@" 2>/dev/null | tr -d '\r'); }
variable() { in_c cmd /c echo "%$1%" | sed 's/ *$//'; }

local_app_data=$(variable LOCALAPPDATA)
app_data=$(variable APPDATA)
temp=$(variable TEMP)
profile=$(variable USERPROFILE)
sid=$(in_c reg query 'HKU' | sed -nE 's/^HKEY_USERS\\(S-1-5-21-[0-9-]+)$/\1/p' | head -1)
[[ -n "$sid" && "$local_app_data" == C:\\* ]] || { echo "windows10-layout: no user folders in $prefix" >&2; exit 1; }

junk_list="$prefix/windows10-junk.txt"
keep_list="$prefix/windows10-keep.txt"
: >"$junk_list"
: >"$keep_list"

# The host path of a Windows path on C: or the mapped drive, each existing name spelt as on
# the disk (Windows names ignore case, Linux names do not: C:\windows\Temp is windows/temp).
host() {
  local path=$1 folder name found
  case "${path:0:1}" in
    C | c) folder=$c ;;
    "$drive_letter") folder=$drive_folder ;;
    *) echo "windows10-layout: no drive for $path" >&2; exit 1 ;;
  esac
  IFS='\' read -r -a names <<<"${path:3}"
  for name in "${names[@]}"; do
    found=$(find "$folder" -mindepth 1 -maxdepth 1 -iname "$(sed 's/[][*?\\]/\\&/g' <<<"$name")" -print -quit 2>/dev/null)
    folder=${found:-$folder/$name}
  done
  echo "$folder"
}
# plant PATH AGE: a file of its own contents, last written and read AGE ago.
plant() {
  local file
  file=$(host "$1")
  mkdir -p "$(dirname "$file")"
  { printf '%s\n' "$1"; head -c $((RANDOM % 3000 + 10)) /dev/urandom; } >"$file"
  touch -d "$2" "$file"
}
junk() { plant "$2" "${3:-2 days ago}"; echo "$2|$1" >>"$junk_list"; }
# part CATEGORY PATH ROW: junk that goes with the row ROW, not a row of its own.
part() { plant "$2" "2 days ago"; echo "$2|$1|$3" >>"$junk_list"; }
keep() { plant "$1" "${2:-2 days ago}"; echo "$1" >>"$keep_list"; }

junk temporary-folders "$temp\\setup-1234.log"
junk temporary-folders "$temp\\unpacked\\data.bin"
junk temporary-folders 'C:\windows\Temp\service.log'
keep "$temp\\written-a-minute-ago.log" '1 minute ago'
keep "$temp\\Low\\protected.dat"

chrome="$local_app_data\\Google\\Chrome\\User Data"
for p in Default 'Profile 1'; do
  junk browser-caches "$chrome\\$p\\Cache\\Cache_Data\\f_000001"
  junk browser-caches "$chrome\\$p\\Code Cache\\js\\index"
  junk browser-caches "$chrome\\$p\\GPUCache\\data_0"
  for kept in Cookies 'Network\Cookies' History Bookmarks 'Login Data' Preferences 'Local Storage\leveldb\000003.log'; do
    keep "$chrome\\$p\\$kept"
  done
done
junk browser-caches "$chrome\\ShaderCache\\data_1"
junk browser-caches "$chrome\\GrShaderCache\\data_2"
keep "$chrome\\Local State"
edge="$local_app_data\\Microsoft\\Edge\\User Data"
junk browser-caches "$edge\\Default\\Cache\\Cache_Data\\f_00000a"
keep "$edge\\Default\\History"
junk browser-caches "$local_app_data\\Mozilla\\Firefox\\Profiles\\k3x9.default-release\\cache2\\entries\\0A1B2C"
keep "$app_data\\Mozilla\\Firefox\\Profiles\\k3x9.default-release\\places.sqlite"
keep "$app_data\\Mozilla\\Firefox\\Profiles\\k3x9.default-release\\cookies.sqlite"

junk crash-dumps "$local_app_data\\CrashDumps\\editor.exe.4711.dmp"
junk crash-dumps 'C:\windows\Minidump\120926-01.dmp'
junk crash-dumps 'C:\windows\MEMORY.DMP'
junk error-reports "$local_app_data\\Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_editor\\Report.wer"
junk error-reports 'C:\ProgramData\Microsoft\Windows\WER\ReportQueue\AppHang_viewer\Report.wer'
junk thumbnails "$local_app_data\\Microsoft\\Windows\\Explorer\\thumbcache_256.db"
keep "$local_app_data\\Microsoft\\Windows\\Explorer\\iconcache_256.db"

bin="C:\\\$Recycle.Bin\\$sid"
# Each deleted item is one row: a file's "$I" half goes with its "$R" row, and a "$R" folder
# is the row of all it holds.
junk recycle-bin "$bin\\\$RC0FFEE.docx"
part recycle-bin "$bin\\\$IC0FFEE.docx" "$bin\\\$RC0FFEE.docx"
part recycle-bin "$bin\\\$RC0F0LD\\chapter one.txt" "$bin\\\$RC0F0LD"
part recycle-bin "$bin\\\$IC0F0LD" "$bin\\\$RC0F0LD"
keep "$bin\\desktop.ini"
keep 'C:\$Recycle.Bin\S-1-5-21-0-0-0-1001\$RSOMEONE.txt'
if [[ -n "$drive_letter" ]]; then
  junk recycle-bin "$drive_letter:\\\$RECYCLE.BIN\\$sid\\\$RE00001.txt"
fi
# A folder link in the Recycle Bin that leads to the user's documents.
keep "$profile\\Documents\\thesis.docx"
keep "$profile\\Documents\\notes\\ideas.txt"
ln -sfn "$(host "$profile\\Documents")" "$(host "$bin")/\$RLINKED"
keep "$profile\\Downloads\\setup.exe"

junk windows-update 'C:\windows\SoftwareDistribution\Download\a1b2\windows10.0-kb1.cab'
keep 'C:\windows\SoftwareDistribution\DataStore\DataStore.edb'

# A program's cleanup list for the system's Disk Cleanup, and one of its own that is no list.
caches='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\VolumeCaches'
in_c reg add "$caches\\Demo Tool Cache" /ve /d '{C0E13E61-0CC6-11d1-BBB6-0060978B2AE6}' /f >/dev/null
in_c reg add "$caches\\Demo Tool Cache" /v Folder /t REG_EXPAND_SZ /d '%LOCALAPPDATA%\DemoTool\Cache' /f >/dev/null
in_c reg add "$caches\\Demo Tool Cache" /v FileList /d '*.cache|*.part' /f >/dev/null
in_c reg add "$caches\\Demo Tool Cache" /v Flags /t REG_DWORD /d 1 /f >/dev/null
# What the handler would have run afterwards: never run (it would leave this file).
in_c reg add "$caches\\Demo Tool Cache" /v CleanupString /d 'cmd.exe /c echo ran>C:\cleanup-string-ran.txt' /f >/dev/null
junk cleanup-handlers "$local_app_data\\DemoTool\\Cache\\page.cache"
junk cleanup-handlers "$local_app_data\\DemoTool\\Cache\\deep\\video.part"
keep "$local_app_data\\DemoTool\\Cache\\settings.ini"
in_c reg add "$caches\\Demo Tool Own" /ve /d '{00000000-1111-2222-3333-444444444444}' /f >/dev/null
in_c reg add "$caches\\Demo Tool Own" /v Folder /d "$local_app_data\\DemoTool\\Data" /f >/dev/null
in_c reg add "$caches\\Demo Tool Own" /v FileList /d '*.*' /f >/dev/null
keep "$local_app_data\\DemoTool\\Data\\library.db"
