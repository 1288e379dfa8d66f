# The MinGW build runs its programs, the tests among them, in a sandboxed Wine prefix that
# lives in the build folder. tools/wine-run.sh creates the prefix on first use.

set(SWEEPWISE_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Sandboxed Wine prefix of this build")
# The tests that change what every program of a prefix sees (its registry's invalid values,
# its junk, its uninstall entries, its settings, its cleanup handlers, its RunOnce) run one
# after another in a prefix of their own, while the other tests go on in the shared one.
set(SWEEPWISE_SOLO_WINEPREFIX "${CMAKE_BINARY_DIR}/solo-wineprefix" CACHE PATH
    "Sandboxed Wine prefix of the tests that take a prefix to themselves")
set(SWEEPWISE_WINE_RUN "${PROJECT_SOURCE_DIR}/tools/wine-run.sh")
# CTest waits for its tests' output to close: the programs' output is collected (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR "${SWEEPWISE_WINE_RUN};--prefix;${SWEEPWISE_WINEPREFIX};--collect-output")
