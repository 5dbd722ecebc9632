# What a user downloads: orvelle-<version>-win64.zip, made by `cmake --build --preset mingw
# --target package`. It holds one folder with orvelle.exe, what assets/ holds (Main.ini,
# Composite.ini, skin/) and README.txt; nothing of the tests. The native build's package_contents
# test reads it back.

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

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME orvelle)
set(CPACK_PACKAGE_VENDOR ORVELLE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME orvelle-${PROJECT_VERSION}-win64)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};orvelle;program;/")
# One folder inside the zip, so that unzipping never scatters files over the place it lands.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Debug sections of the static C++ runtime are of no use to a user.
set(CPACK_STRIP_FILES ON)
include(CPack)
