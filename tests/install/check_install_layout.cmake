# `cmake --install` into a scratch folder: exactly the two programs, their
# decoder helper, the menu entry, the icon, the English catalogue, the documents, the manual pages and the completion, and no
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
  libexec/nuthumb/nuthumb-decoder
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
foreach(program bin/nuthumb bin/nuthumb-cli libexec/nuthumb/nuthumb-decoder)
  execute_process(COMMAND "${READELF}" -d "${STAGE}/${program}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf failed on ${program}")
  endif()
  if(dynamic MATCHES "\\((RPATH|RUNPATH)\\)[^\n]*")
    message(FATAL_ERROR "${program} keeps a library search path: ${CMAKE_MATCH_0}")
  endif()
endforeach()

# The installed command line finds its decoder helper where it was installed:
# a HEIC photo (made by heif-enc from a BMP of the test suite) becomes a thumbnail.
find_program(HEIF_ENC heif-enc)
if(HEIF_ENC)
  set(work "${STAGE}/heic-run")
  file(MAKE_DIRECTORY "${work}/bmp" "${work}/png" "${work}/out")
  file(COPY "${BMP}" DESTINATION "${work}/bmp")
  execute_process(COMMAND "${STAGE}/bin/nuthumb-cli" --quiet --from bmp --to png --convert-only
                          "${work}/bmp" "${work}/png" RESULT_VARIABLE status)
  file(GLOB png "${work}/png/*.png")
  execute_process(COMMAND "${HEIF_ENC}" -q 60 ${png} -o "${work}/photo.heic" OUTPUT_QUIET RESULT_VARIABLE made)
  execute_process(COMMAND "${STAGE}/bin/nuthumb-cli" --from heic "${work}" "${work}/out"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT made EQUAL 0 OR NOT status EQUAL 0 OR NOT EXISTS "${work}/out/photo.jpg")
    message(FATAL_ERROR "the installed nuthumb-cli made no thumbnail of a HEIC photo (${status}): ${out}${err}")
  endif()
endif()
file(REMOVE_RECURSE "${STAGE}")
