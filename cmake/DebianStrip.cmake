# Run by CPack on the staged files, before it packs them (CPACK_PRE_BUILD_SCRIPTS):
# the programs and their decoder helper lose their symbols and the compiler's
# notes (.comment), as Debian's own packaging tools strip them.
set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
file(GLOB programs "${staged}/bin/*" "${staged}/libexec/nuthumb/*")
if(NOT programs)
  message(FATAL_ERROR "no programs staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_NUTHUMB_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip failed on ${program}")
  endif()
endforeach()
