# What a user downloads, made by `cmake --build --preset mingw --target package`:
# orvelle-<version>-win64.zip, one folder with orvelle.exe, what assets/ holds (Main.ini,
# Composite.ini, skin/) and README.txt, nothing of the tests; and orvelle-<version>-setup.exe,
# a per-user installer of the same files (NSIS, from cmake/NSIS.template.in). The native build's
# package_contents test reads the zip back, its e2e_install test runs the installer under Wine.

# Notepad shows a file without a byte order mark in the ANSI code page, which garbles the Russian
# half; a Windows text file also wants CR LF line ends.
string(ASCII 239 187 191 ORVELLE_UTF8_BOM)
file(READ ${CMAKE_SOURCE_DIR}/package/README.txt ORVELLE_README)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/package/README.txt)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/package/README.txt CONTENT "${ORVELLE_UTF8_BOM}${ORVELLE_README}"
  @ONLY NEWLINE_STYLE CRLF)

# Everything a user gets belongs to the component "program"; the package takes that component
# only, so an install rule some test target might gain later cannot slip into the zip.
install(TARGETS orvelle RUNTIME DESTINATION . COMPONENT program)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/ DESTINATION . COMPONENT program)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION . COMPONENT program)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME orvelle)
set(CPACK_PACKAGE_VENDOR ORVELLE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME orvelle-${PROJECT_VERSION}-win64)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};orvelle;program;/")
# One folder inside the zip, so that unzipping never scatters files over the place it lands.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Debug sections of the static C++ runtime are of no use to a user.
set(CPACK_STRIP_FILES ON)

# The installer: CPack's own NSIS template installs for all users into Program Files, where the
# program could not write set.ini; ours (found through CPACK_MODULE_PATH) installs for the user.
# cmake/CPackOptions.cmake gives it its file name.
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/CPackOptions.cmake)
set(CPACK_NSIS_PACKAGE_NAME ORVELLE)
set(CPACK_NSIS_DISPLAY_NAME ORVELLE)
set(CPACK_PACKAGE_INSTALL_DIRECTORY ORVELLE)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ORVELLE)
set(CPACK_NSIS_INSTALLED_ICON_NAME orvelle.exe)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/resources/orvelle.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/resources/orvelle.ico)
# Header 150x57 and welcome/finish side 164x314, drawn by tools/skin/installer.py.
set(CPACK_NSIS_MUI_HEADERIMAGE ${CMAKE_SOURCE_DIR}/resources/installer_header.bmp)
set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP ${CMAKE_SOURCE_DIR}/resources/installer_side.bmp)
set(CPACK_NSIS_MUI_UNWELCOMEFINISHPAGE_BITMAP ${CMAKE_SOURCE_DIR}/resources/installer_side.bmp)
set(CPACK_ORVELLE_PROGRAM ${ORVELLE_DIST}/orvelle.exe)
include(CPack)
