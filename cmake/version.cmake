# The version header, <build>/generated/version.h: the project's version and
# the copyright line of LICENSE. Any target reaches it by linking
# tolvimer_version (launcher_core passes it on to everything built on it) and
# includes it as "version.h"; the .rc files include it too.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TOLVIMER_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
set(TOLVIMER_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${TOLVIMER_GENERATED}/version.h @ONLY)
add_library(tolvimer_version INTERFACE)
target_include_directories(tolvimer_version INTERFACE ${TOLVIMER_GENERATED})
