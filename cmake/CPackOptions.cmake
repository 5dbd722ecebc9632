# Read by cpack once for each generator of cmake/Package.cmake: the installer gets its own name,
# orvelle-<version>-setup.exe, beside the zip, and no top folder (it installs into one).
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "orvelle-${CPACK_PACKAGE_VERSION}-setup")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
