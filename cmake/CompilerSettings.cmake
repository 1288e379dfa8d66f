# Settings shared by every target of both configurations.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

# Sources are compiled eight to a unit: most of a file's time went into the same headers
# (the JSON and command-line libraries, GoogleTest) and the same template code, once per
# file. A clean build of both configurations takes half the time it took file by file.
# -DCMAKE_UNITY_BUILD=OFF builds file by file, for the quicker rebuild of one changed file.
if(NOT DEFINED CMAKE_UNITY_BUILD)
  set(CMAKE_UNITY_BUILD ON)
endif()
set(CMAKE_UNITY_BUILD_BATCH_SIZE 8)

# Our own code builds warning-free; third-party headers come in as SYSTEM includes.
add_library(sweepwise_warnings INTERFACE)
target_compile_options(sweepwise_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wimplicit-fallthrough -Werror)
# GCC 12 reports a false -Wrestrict in libstdc++'s own std::string concatenation
# ("[" + text + "]") once it inlines at -O2 and above: GCC bug 105651 (with its twin 105329),
# fixed in GCC 13. Only that compiler version loses the warning.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(sweepwise_warnings INTERFACE -Wno-restrict)
endif()

if(WIN32)
  # Windows 7 is the floor: static winpthread imports GetTickCount64.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
  # One file per program: no libstdc++, libgcc or winpthread DLL beside the .exe.
  add_link_options(-static -static-libgcc -static-libstdc++)
elseif(SWEEPWISE_FUZZ)
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(SWEEPWISE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
