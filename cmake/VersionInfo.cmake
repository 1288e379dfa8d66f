# Version resources of the Windows programs, all from the project's one version number.

# Adds to `target` a VERSIONINFO resource naming it `file` ("sweepwise.exe") with the
# description `description`.
function(sweepwise_version_resource target file description)
  set(SWEEPWISE_VERSION_FILE "${file}")
  set(SWEEPWISE_VERSION_DESCRIPTION "${description}")
  get_filename_component(SWEEPWISE_VERSION_NAME "${file}" NAME_WE)
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/generated/version_${SWEEPWISE_VERSION_NAME}.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
