# tolvimer_resources(<target> <rc file> [<manifest template>]): what the
# program's .rc file (one of its sources) needs: its application manifest,
# made from res/app.manifest.in (or the template given) as
# <build>/generated/<target>.manifest, and version.h for its version
# information.
function(tolvimer_resources target rc)
  set(TOLVIMER_MANIFEST_NAME ${target})
  set(manifest ${TOLVIMER_GENERATED}/${target}.manifest)
  set(template ${PROJECT_SOURCE_DIR}/res/app.manifest.in)
  if(ARGC GREATER 2)
    set(template ${ARGV2})
  endif()
  configure_file(${template} ${manifest} @ONLY)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/res)
  target_link_libraries(${target} PRIVATE tolvimer_version)
  # windres reports no included files to the build, so name them here.
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS
    "${manifest};${TOLVIMER_GENERATED}/version.h;${PROJECT_SOURCE_DIR}/res/version_info.rc")
endfunction()
