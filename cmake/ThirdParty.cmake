# Libraries from Debian's packages, found the same way in both configurations.

if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

# nlohmann-json and CLI11 are header-only and live in /usr/include. The MinGW build must not
# see /usr/include itself (Linux headers would shadow the Windows ones), so both builds reach
# them through a folder that links just these two.
set(SWEEPWISE_HEADER_LIBS_DIR "${CMAKE_BINARY_DIR}/third_party/include")
file(MAKE_DIRECTORY "${SWEEPWISE_HEADER_LIBS_DIR}")
foreach(lib nlohmann CLI)
  if(NOT EXISTS "/usr/include/${lib}")
    message(FATAL_ERROR "/usr/include/${lib} is missing: run tools/install-deps.sh")
  endif()
  if(NOT EXISTS "${SWEEPWISE_HEADER_LIBS_DIR}/${lib}")
    file(CREATE_LINK "/usr/include/${lib}" "${SWEEPWISE_HEADER_LIBS_DIR}/${lib}" SYMBOLIC)
  endif()
endforeach()
add_library(sweepwise_header_libs INTERFACE)
target_include_directories(sweepwise_header_libs SYSTEM INTERFACE "${SWEEPWISE_HEADER_LIBS_DIR}")

if(SWEEPWISE_BUILD_TESTS)
  if(WIN32)
    # Debian ships GoogleTest as source; build it with the cross compiler.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    # (It defines the same GTest:: targets as the installed package.)
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
