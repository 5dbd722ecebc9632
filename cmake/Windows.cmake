# The Win32 adapters, orvelle.exe and the runnable folder a user unzips, and beside the tests the
# test twin orvelle-e2e.exe (only the HID layer simulated) in a runnable folder of its own.
enable_language(RC)

add_library(orvelle_win32 STATIC
  platform/win32/win32_ini.cpp
  platform/win32/file_store_win.cpp
  platform/win32/skin_pictures_win.cpp
  platform/win32/executable_win.cpp
  platform/win32/dialog_base_win.cpp
  platform/win32/window_place_win.cpp
  platform/win32/file_dialogs_win.cpp
  platform/win32/hook_thread_win.cpp
  engine/remap_hook_win.cpp
  engine/injection_worker_win.cpp
  engine/remap_session_win.cpp
  device/device_notices_win.cpp
)
target_link_libraries(orvelle_win32 PUBLIC orvelle_core)
target_compile_definitions(orvelle_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
target_link_libraries(orvelle_win32 PUBLIC setupapi comctl32 comdlg32 shell32 ole32 oleaut32 taskschd secur32 gdi32 user32 advapi32 version uuid windowscodecs)

set(ORVELLE_DIST ${CMAKE_BINARY_DIR}/dist)
set(ORVELLE_APP_SOURCES
  app/main_skin_win.cpp
  platform/win32/display_scale_win.cpp
  app/window_face_win.cpp
  app/main_window_win.cpp
  app/application_win.cpp
  app/tray_presenter_win.cpp
  app/profile_follower_win.cpp
  app/profile_notice_win.cpp
  app/popup_menus_win.cpp
  app/ui_language_win.cpp
  app/remap_keeper_win.cpp
  app/profile_saver_win.cpp
  app/tray_icon_win.cpp
  app/foreground_watch_win.cpp
  app/elevation_guard_win.cpp
  app/autostart_win.cpp
  app/programs_editor_win.cpp
  app/key_tooltip_win.cpp
  app/program_start_win.cpp
  app/about_box_win.h
  app/about_box_win.cpp
  controls/bit_button_win.cpp
  assign/recording_hook_win.cpp
  assign/assign_dialog_win.cpp
  assign/assign_skin_win.cpp
  assign/assign_view_win.cpp
  assign/gamer_controls_win.cpp
  assign/macro_fields_win.cpp
  assign/assign_frame_win.cpp
  resources/orvelle.rc
)

# The version the resource script stamps into the programs, from project(... VERSION). windres
# reports no dependencies, so the script names what it reads, or a new version would not rebuild it.
configure_file(${CMAKE_SOURCE_DIR}/resources/orvelle_version.h.in ${CMAKE_BINARY_DIR}/generated/orvelle_version.h @ONLY)
set_source_files_properties(resources/orvelle.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_BINARY_DIR}/generated/orvelle_version.h;${CMAKE_SOURCE_DIR}/resources/resource.h;${CMAKE_SOURCE_DIR}/resources/orvelle.manifest;${CMAKE_SOURCE_DIR}/resources/orvelle.ico")

function(orvelle_program name folder)
  add_executable(${name} WIN32 ${ORVELLE_APP_SOURCES} ${ARGN})
  target_link_libraries(${name} PRIVATE orvelle_win32)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources
    ${CMAKE_BINARY_DIR}/generated)
  if(MINGW)
    target_link_options(${name} PRIVATE -static -municode)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${folder})
endfunction()

# What users get: the program and its data files, nothing of the tests.
orvelle_program(orvelle ${ORVELLE_DIST} device/hid_setupapi_win.cpp app/test_control_off_win.cpp)
add_custom_target(orvelle_dist ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/assets ${ORVELLE_DIST}
  COMMENT "Laying out the runnable folder in ${ORVELLE_DIST}"
)

# The test twin with its own copy of the data files, beside the end-to-end tests.
set(ORVELLE_E2E_APP ${CMAKE_BINARY_DIR}/tests/e2e/app)
orvelle_program(orvelle-e2e ${ORVELLE_E2E_APP} device/hid_sim_win.cpp app/test_control_win.cpp)
add_custom_target(orvelle_e2e_app ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/assets ${ORVELLE_E2E_APP}
  COMMENT "Laying out the test twin's folder in ${ORVELLE_E2E_APP}"
)
