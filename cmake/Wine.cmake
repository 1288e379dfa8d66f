# The MinGW build runs its programs, the tests among them, in a sandboxed Wine prefix that
# lives in the build folder. tools/wine-run.sh creates the prefix on first use.

set(SWEEPWISE_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Sandboxed Wine prefix of this build")
set(SWEEPWISE_WINE_RUN "${PROJECT_SOURCE_DIR}/tools/wine-run.sh")
# CTest waits for its tests' output to close: the programs' output is collected (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR "${SWEEPWISE_WINE_RUN};--prefix;${SWEEPWISE_WINEPREFIX};--collect-output")
