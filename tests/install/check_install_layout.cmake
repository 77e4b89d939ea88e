# `cmake --install` into a scratch folder: exactly the two programs, the menu
# entry, the icon, the English catalogue, the documents, the manual pages and the completion, and no
# build path left in a program's library search path; the Debian changelog's
# newest entry is the version being built.
file(STRINGS "${CHANGELOG}" newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^nuthumb \\(${VERSION}-[0-9]+\\) ")
  message(FATAL_ERROR "${CHANGELOG} does not start with version ${VERSION}: ${newest}")
endif()
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${STAGE}"
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}): ${err}")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT installed)
set(expected
  bin/nuthumb
  bin/nuthumb-cli
  share/applications/nuthumb.desktop
  share/bash-completion/completions/nuthumb-cli
  share/doc/nuthumb/README.md
  share/doc/nuthumb/changelog.Debian.gz
  share/doc/nuthumb/copyright
  share/icons/hicolor/scalable/apps/nuthumb.svg
  share/lintian/overrides/nuthumb
  share/locale/en/LC_MESSAGES/nuthumb.mo
  share/man/man1/nuthumb-cli.1.gz
  share/man/man1/nuthumb.1.gz
  share/zsh/vendor-completions/_nuthumb-cli)
if(NOT installed STREQUAL expected)
  string(REPLACE ";" "\n  " installed "${installed}")
  message(FATAL_ERROR "installed files:\n  ${installed}")
endif()

find_program(READELF readelf REQUIRED)
foreach(program nuthumb nuthumb-cli)
  execute_process(COMMAND "${READELF}" -d "${STAGE}/bin/${program}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf failed on ${program}")
  endif()
  if(dynamic MATCHES "\\((RPATH|RUNPATH)\\)[^\n]*")
    message(FATAL_ERROR "${program} keeps a library search path: ${CMAKE_MATCH_0}")
  endif()
endforeach()
file(REMOVE_RECURSE "${STAGE}")
