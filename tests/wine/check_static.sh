#!/usr/bin/env bash
# Each Windows program runs with no DLL beside it: it imports only DLLs of Windows itself.
#   check_static.sh OBJDUMP PROGRAM.exe...
set -euo pipefail
objdump=$1
shift
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|shlwapi|wininet|bcrypt|crypt32|msvcrt|ws2_32|version|uxtheme|dwmapi|psapi|winmm|imm32|msimg32|userenv|api-ms-win-.*)\.dll$'
status=0
for exe in "$@"; do
  while read -r dll; do
    if ! [[ "${dll,,}" =~ $system_dlls ]]; then
      echo "FAIL: $(basename "$exe") needs $dll, which Windows does not have" >&2
      status=1
    fi
  done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
[[ $status -eq 0 ]] && echo "only system DLLs imported by: $*"
exit $status
