# What an installed system gets beside the programs: documentation, manual pages
# and shell completion, where Debian's tools and the shells look for them.
include(GNUInstallDirs)

# Debian wants manual pages and its changelog compressed without a name or a time
# stamp inside, so that two builds give the same bytes.
find_program(GZIP gzip REQUIRED)
set(nuthumb_compressed)
function(nuthumb_gzip source name)
  set(copy ${PROJECT_BINARY_DIR}/compressed/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${GZIP} -9nf ${copy}
    DEPENDS ${source} VERBATIM)
  set(nuthumb_compressed ${nuthumb_compressed} ${copy}.gz PARENT_SCOPE)
endfunction()

nuthumb_gzip(${PROJECT_SOURCE_DIR}/docs/man/nuthumb-cli.1 nuthumb-cli.1)
nuthumb_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian changelog.Debian)
install(FILES ${PROJECT_BINARY_DIR}/compressed/nuthumb-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(NUTHUMB_WINDOW)
  nuthumb_gzip(${PROJECT_SOURCE_DIR}/docs/man/nuthumb.1 nuthumb.1)
  install(FILES ${PROJECT_BINARY_DIR}/compressed/nuthumb.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(nuthumb_compressed_docs ALL DEPENDS ${nuthumb_compressed})

# The package name is lower case, and so is its documentation folder.
set(nuthumb_doc ${CMAKE_INSTALL_DATADIR}/doc/nuthumb)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${nuthumb_doc})
install(FILES ${PROJECT_BINARY_DIR}/compressed/changelog.Debian.gz DESTINATION ${nuthumb_doc})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME nuthumb)

install(FILES ${PROJECT_SOURCE_DIR}/completion/nuthumb-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME nuthumb-cli)
install(FILES ${PROJECT_SOURCE_DIR}/completion/_nuthumb-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
