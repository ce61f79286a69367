# The release archive, built by the target "package" (CPack, ZIP):
# tolvimer_launch-<version>-win32.zip from the 32-bit build (win64 from the
# 64-bit one) holding the three programs (the launcher, the dry run and the
# settings editor), the example settings file, README.txt,
# LICENSE.txt and the AutoPlay handler's two registry files, with Windows line
# ends, unpacked straight into the emulator's folder (no folder of its own
# inside the archive). The example goes under a name no user edits,
# tolvimer_launch.example.ini: unpacking an update over an installed launcher,
# with "Replace" for every file, never touches the user's own
# tolvimer_launch.ini.
set(TOLVIMER_PACKAGE_TEXT ${CMAKE_BINARY_DIR}/package-text)
configure_file(${PROJECT_SOURCE_DIR}/examples/tolvimer_launch.ini
  ${TOLVIMER_PACKAGE_TEXT}/tolvimer_launch.example.ini @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/package/README.txt
  ${TOLVIMER_PACKAGE_TEXT}/README.txt @ONLY NEWLINE_STYLE CRLF)
# The AutoPlay handler's registry value, named by the CLSID the launcher
# registers under (platform/autoplay_handler_id.h).
file(STRINGS ${PROJECT_SOURCE_DIR}/platform/autoplay_handler_id.h TOLVIMER_AUTOPLAY_CLSID
  REGEX "kAutoPlayHandlerClsidText")
string(REGEX MATCH "[0-9A-F]+-[0-9A-F]+-[0-9A-F]+-[0-9A-F]+-[0-9A-F]+" TOLVIMER_AUTOPLAY_CLSID
  "${TOLVIMER_AUTOPLAY_CLSID}")
foreach(reg autoplay_cancel autoplay_cancel_undo)
  configure_file(${PROJECT_SOURCE_DIR}/package/${reg}.reg
    ${TOLVIMER_PACKAGE_TEXT}/${reg}.reg @ONLY NEWLINE_STYLE CRLF)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/LICENSE
  ${TOLVIMER_PACKAGE_TEXT}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS tolvimer_launch tolvimer_plan tolvimer_settings RUNTIME DESTINATION .)
install(FILES
  ${TOLVIMER_PACKAGE_TEXT}/tolvimer_launch.example.ini
  ${TOLVIMER_PACKAGE_TEXT}/README.txt
  ${TOLVIMER_PACKAGE_TEXT}/LICENSE.txt
  ${TOLVIMER_PACKAGE_TEXT}/autoplay_cancel.reg
  ${TOLVIMER_PACKAGE_TEXT}/autoplay_cancel_undo.reg
  DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TOLVIMER_PACKAGE_PLATFORM win64)
else()
  set(TOLVIMER_PACKAGE_PLATFORM win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tolvimer_launch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tolvimer_launch-${PROJECT_VERSION}-${TOLVIMER_PACKAGE_PLATFORM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
