# quarnctl.1 and quarnsim.1 are made at build time from the programs' own
# --help and --version with help2man, so a page never drifts from its program.
# The pages are gzipped as Debian expects; man reads them either way.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(QUARN_HELP2MAN help2man)
find_program(QUARN_GZIP gzip)
if(NOT QUARN_HELP2MAN OR NOT QUARN_GZIP)
  message(WARNING "help2man or gzip not found: the man pages are not made (scripts/install-deps.sh installs them)")
  return()
endif()

set(quarn_man_pages
  "quarnctl|command line for QUARN relay controllers and their state-machine files"
  "quarnsim|a QUARN relay controller simulated on this machine")
set(quarn_man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${quarn_man_dir})

foreach(entry IN LISTS quarn_man_pages)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 program)
  list(GET entry 1 summary)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(extra ${CMAKE_CURRENT_SOURCE_DIR}/man/${program}.h2m)
  set(page ${quarn_man_dir}/${program}.1)
  # A sanitizer build's program must not fail help2man with a leak report.
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${QUARN_HELP2MAN} --no-info --section=1 "--name=${summary}" --include=${extra}
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${QUARN_GZIP} -9nf ${page}
    DEPENDS ${program} ${extra}
    COMMENT "Writing the man page of ${program}"
    VERBATIM)
  add_custom_target(quarn_${program}_man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
