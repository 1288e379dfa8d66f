#!/usr/bin/env bash
# Plants Sweepwise's demo data in a sandboxed prefix, once: junk files of several kinds below
# C:\junk-demo (temporary files, backup copies, a help index, a broken shortcut beside a
# working one), a file in the recycle bin, registry values naming files that are gone, and
# entries in the list of installed software of each kind (the machine's 64-bit and 32-bit
# programs, and the user's own); the console program is shown Windows 10. Both the headless
# demo and the screenshots show these rows.
#
#   tools/demo-data.sh PREFIX DRIVER.exe [--again]
#     DRIVER: the build's sweepwise-window-driver.exe; --again plants it anew even when it was
#     planted before (a demo that deleted its rows wants them back).
set -euo pipefail
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$(realpath -m "$1")
driver=$2
junk="$prefix/drive_c/junk-demo"
marker="$junk/.planted"
[[ "${3:-}" != "--again" && -e "$marker" ]] && exit 0

"$tools/wine-prefix.sh" "$prefix"
rm -rf "$junk"
mkdir -p "$junk/reports" "$junk/setup" "$junk/programs" "$prefix/drive_c/Recycled"
printf 'draft of the summary' >"$junk/reports/summary.tmp"
printf 'an editor left this copy' >"$junk/reports/draft.~doc"
printf 'help index' >"$junk/setup/manual.gid"
printf 'a deleted letter' >"$prefix/drive_c/Recycled/old letter.doc"
head -c 300000 /dev/zero | tr '\0' 'x' >"$junk/setup/unpacked.tmp"
printf 'the real program' >"$junk/programs/tool.exe"
"$tools/wine-run.sh" --prefix "$prefix" "$driver" \
  shortcut 'C:\junk-demo\programs\Tool.lnk' 'C:\junk-demo\programs\tool.exe' \
  shortcut 'C:\junk-demo\programs\Old tool.lnk' 'C:\junk-demo\programs\removed.exe'
SWEEPWISE_PREFIX=$prefix
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# shellcheck source=wine-env.sh
(source "$tools/wine-env.sh"
 cd "$prefix/drive_c"
 # Programs for the Software page, whose "uninstallers" change nothing: two for everyone in
 # the 64-bit view, one for everyone in the 32-bit view (a 32-bit installer's), one installed
 # for this user only.
 demo_entry() {
   local key=$1 view=$2 name=$3 publisher=$4 version=$5 size=$6 date=$7
   wine reg add "$key" $view /v DisplayName /d "$name" /f
   wine reg add "$key" $view /v UninstallString /d 'cmd.exe /c exit' /f
   wine reg add "$key" $view /v Publisher /d "$publisher" /f
   wine reg add "$key" $view /v DisplayVersion /d "$version" /f
   wine reg add "$key" $view /v EstimatedSize /t REG_DWORD /d "$size" /f
   wine reg add "$key" $view /v InstallDate /d "$date" /f
 }
 demo_entry "$uninstall\{7D3C2A10-5E1B-4C8A-9F00-0000DE0000A1}" /reg:64 'Demo Photo Viewer' 'Demo Imaging' 5.1.0 48213 20250614
 demo_entry "$uninstall\DemoNotes" /reg:64 'Demo Notes 2.4' 'Notes Collective' 2.4 1830 20240302
 demo_entry "$uninstall\{7D3C2A10-5E1B-4C8A-9F00-0000DE0000B2}" /reg:32 'Demo Scanner (32-bit)' 'Demo Devices' 1.9.7 9216 20211120
 demo_entry "${uninstall/HKLM/HKCU}\DemoSync" '' 'Demo Sync (this user)' 'Demo Cloud' 0.8.12 73400 20261201
 # The console program is shown Windows 10 (Wine shows Windows 7 by default), so that the
 # README's tweak examples find the settings of a current system.
 wine reg add 'HKCU\Software\Wine\AppDefaults\sweepwise-cli.exe' /v Version /d win10 /f
 wine reg add 'HKCU\Software\SweepwiseDemo\Recent' /v Document /d 'C:\Gone\report.doc' /f
 wine reg add 'HKCU\Software\SweepwiseDemo\Plugins' /v 'C:\Old Tools\plugin.dll' /d enabled /f
 wine reg add 'HKCU\Software\SweepwiseDemo\Plugins' /v Viewer /d 'C:\Removed\viewer.exe' /f) >/dev/null 2>&1
touch "$marker"
