# Building only a program's target (as scripts/run.sh and scripts/run-cli.sh do)
# must also build the catalogue the program loads: otherwise the program of a
# fresh build speaks Japanese to an English session. Asks Ninja for every command
# that building the target from nothing would run.
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${NINJA} -C ${BUILD_DIR} -t commands ${program}
                  OUTPUT_VARIABLE commands RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "ninja -t commands ${program} failed")
  endif()
  if(NOT commands MATCHES "msgfmt[^\n]*nuthumb\\.mo")
    message(FATAL_ERROR "building ${program} alone does not build the catalogue nuthumb.mo")
  endif()
endforeach()
