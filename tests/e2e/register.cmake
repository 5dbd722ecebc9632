# The end-to-end scenarios as CTest tests of the native build: each runs orvelle-e2e.exe from the
# Windows build's test folder under Wine on a private Xvfb display (tests/e2e/run.py). All Wine tests
# share one prefix and one wineserver, which is bound to one display, hence the lock.
# Needs ORVELLE_WINDOWS_TESTS_DIR, the mingw build folder.
find_program(ORVELLE_PYTHON3 NAMES python3 HINTS /usr/bin REQUIRED)

foreach(scenario remap presence profiles figures window dialog other gui_figures files stuck hooks timing tray kinds window_state editor messages gamer dialog20 dpi osd lang)
  add_test(NAME e2e_${scenario}
    COMMAND ${ORVELLE_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/run.py
      --dist ${ORVELLE_WINDOWS_TESTS_DIR}/tests/e2e/app
      --tools ${ORVELLE_WINDOWS_TESTS_DIR}/tests/e2e
      --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work
      ${scenario})
  # 77: orvelle-e2e.exe is not built. The timeout leaves room for creating the Wine prefix.
  set_tests_properties(e2e_${scenario} PROPERTIES
    RESOURCE_LOCK wine TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS e2e)
endforeach()

# The installer users download, run under Wine in the same prefix: installs into the prefix's
# per-user program folder and removes it all again. 77: the installer (the mingw build's package
# target) or orvelle-e2e.exe is not built.
add_test(NAME e2e_install
  COMMAND ${ORVELLE_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/run.py
    --dist ${ORVELLE_WINDOWS_TESTS_DIR}/tests/e2e/app
    --tools ${ORVELLE_WINDOWS_TESTS_DIR}/tests/e2e
    --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work
    --setup ${ORVELLE_WINDOWS_TESTS_DIR}/orvelle-${PROJECT_VERSION}-setup.exe
    install)
set_tests_properties(e2e_install PROPERTIES
  RESOURCE_LOCK wine TIMEOUT 120 SKIP_RETURN_CODE 77 LABELS e2e)
