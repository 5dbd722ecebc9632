# Read by cpack once for each generator of cmake/Package.cmake, before it installs and strips the
# files.

# strip writes the time of its run into the PE header of what it strips, unless SOURCE_DATE_EPOCH
# gives one: each generator strips its own copy, so the zip's orvelle.exe and the installer's
# would differ whenever the two runs straddle a second. The program's link time serves both, and
# packaging the same build again gives the same bytes.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  file(TIMESTAMP "${CPACK_ORVELLE_PROGRAM}" ORVELLE_LINK_TIME "%s" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${ORVELLE_LINK_TIME}")
endif()

# The installer gets its own name, orvelle-<version>-setup.exe, beside the zip, and no top folder
# (it installs into one).
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "orvelle-${CPACK_PACKAGE_VERSION}-setup")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
