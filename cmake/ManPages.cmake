# Every installed program has a manual page. Install programs with mx4_install_program(NAME), which
# installs the target and its page docs/man/NAME.1.md, converted with go-md2man and compressed with
# gzip -9n at build time; configuring fails when the page is missing.
option(MX4_MAN_PAGES "Build and install a manual page for every installed program" ${UNIX})
if(MX4_MAN_PAGES)
  find_program(MX4_GO_MD2MAN go-md2man)
  if(NOT MX4_GO_MD2MAN)
    message(FATAL_ERROR "go-md2man not found (scripts/deps.sh installs it); "
                        "configure with -DMX4_MAN_PAGES=OFF to build without manual pages")
  endif()
  find_program(MX4_GZIP gzip REQUIRED)
endif()

function(mx4_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NOT MX4_MAN_PAGES)
    return()
  endif()
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${target}.1.md)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${target} is installed but has no manual page: write docs/man/${target}.1.md")
  endif()
  set(dir ${PROJECT_BINARY_DIR}/man)
  # The page may name @PROJECT_VERSION@ and @MX4_RELEASE_DATE@.
  configure_file(${source} ${dir}/${target}.1.md @ONLY)
  add_custom_command(
    OUTPUT ${dir}/${target}.1.gz
    COMMAND ${MX4_GO_MD2MAN} -in ${target}.1.md -out ${target}.1
    COMMAND ${MX4_GZIP} -9nf ${target}.1
    DEPENDS ${dir}/${target}.1.md
    WORKING_DIRECTORY ${dir}
    COMMENT "Manual page ${target}(1)"
    VERBATIM)
  add_custom_target(${target}-man ALL DEPENDS ${dir}/${target}.1.gz)
  install(FILES ${dir}/${target}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
