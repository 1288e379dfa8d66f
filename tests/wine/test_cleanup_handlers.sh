# Sourced after tools/wine-env.sh: registers the tests' own Disk Cleanup handlers
# (test_cleanup_handlers.cpp) in the prefix of $WINEPREFIX, as a program registers its
# handlers, and removes them again.
#   register_test_cleanup_handlers 'C:\FOLDER'
#     the DLL is C:\FOLDER\handlers.dll; each handler counts and purges C:\FOLDER\<its name>;
#     every call is logged to C:\FOLDER\calls.log
#   unregister_test_cleanup_handlers
# Each handler: its name, the last byte of its class ID, and its Priority (highest first).
test_cleanup_names=(Sized Administrators Settings "Not Unattended" Fails Hangs)
test_cleanup_numbers=(01 04 05 06 02 03)
test_cleanup_priorities=(100 90 80 70 60 50)
test_cleanup_caches='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\VolumeCaches'
test_cleanup_classes='HKLM\Software\Classes\CLSID'

test_cleanup_reg() { (cd "$WINEPREFIX/drive_c" && wine reg "$@" >/dev/null 2>&1); }
test_cleanup_class() { echo "{5A1C0E01-7B3D-4C52-9E61-3D2F0A7C10$1}"; }

register_test_cleanup_handlers() {
  local folder=$1 i id key
  for i in "${!test_cleanup_names[@]}"; do
    id=$(test_cleanup_class "${test_cleanup_numbers[$i]}")
    key="$test_cleanup_caches\\Sweepwise Test ${test_cleanup_names[$i]}"
    test_cleanup_reg add "$test_cleanup_classes\\$id\\InprocServer32" /ve /d "$folder\\handlers.dll" /f || return 1
    test_cleanup_reg add "$test_cleanup_classes\\$id\\InprocServer32" /v ThreadingModel /d Apartment /f || return 1
    test_cleanup_reg add "$key" /ve /d "$id" /f || return 1
    test_cleanup_reg add "$key" /v Folder /d "$folder\\${test_cleanup_names[$i]}" /f || return 1
    test_cleanup_reg add "$key" /v Log /d "$folder\\calls.log" /f || return 1
    test_cleanup_reg add "$key" /v Priority /t REG_DWORD /d "${test_cleanup_priorities[$i]}" /f || return 1
  done
  # The handler of the older kind leaves its texts to its key.
  test_cleanup_reg add "$test_cleanup_caches\\Sweepwise Test Settings" /v Display /d "Test handler with settings" /f
}

unregister_test_cleanup_handlers() {
  local i
  for i in "${!test_cleanup_names[@]}"; do
    test_cleanup_reg delete "$test_cleanup_caches\\Sweepwise Test ${test_cleanup_names[$i]}" /f
    test_cleanup_reg delete "$test_cleanup_classes\\$(test_cleanup_class "${test_cleanup_numbers[$i]}")" /f
  done
  return 0
}
