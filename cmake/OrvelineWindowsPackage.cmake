# Release archive of a Windows build: `cmake --build --preset win32 --target package` gives
# Orveline-<version>-win32.zip (win64 likewise): the two programs and a short read-me.
if(ORVELINE_WINE_ARCH STREQUAL "win64")
  set(ORVELINE_ARCH_NOTE "This is the 64-bit pair, for 64-bit Windows (the 32-bit one runs on all).")
else()
  set(ORVELINE_ARCH_NOTE "This is the 32-bit pair: it runs on every Windows, 32-bit or 64-bit.")
endif()
# Notepad of older Windows shows a read-me with Unix line ends as one line.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in
  ${CMAKE_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS orveline_scr Orveline.dll RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Orveline)
set(CPACK_PACKAGE_VENDOR Orveline)
set(CPACK_PACKAGE_FILE_NAME Orveline-${PROJECT_VERSION}-${ORVELINE_WINE_ARCH})
include(CPack)
