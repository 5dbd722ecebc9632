# The Win32 adapters and the runnable folder a user unzips.
add_library(orvelle_win32 STATIC
  platform/win32/win32_ini.cpp
  engine/remap_hook_win.cpp
)
target_link_libraries(orvelle_win32 PUBLIC orvelle_core)
target_compile_definitions(orvelle_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

set(ORVELLE_DIST ${CMAKE_BINARY_DIR}/dist)
add_custom_target(orvelle_dist ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ORVELLE_DIST}/skin
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/assets ${ORVELLE_DIST}
  COMMENT "Laying out the runnable folder in ${ORVELLE_DIST}"
)
