# Installation: `cmake --install <build> --prefix P` lays out the installed tree.
#   P/lib/thermobadge/        the program folder as in the build tree: the indicator, its
#                             companions, the server, ThermoBadge.ini, ThermoBadge.png, FotoMark/,
#                             translations/
#   P/bin/                    thermobadge and thermobadge-server, relative links into it, so the
#                             tree works wherever it is put (the indicator finds its folder from
#                             its real path)
#   P/share/                  desktop entry, hicolor icons, AppStream metadata, man pages, copyright
#   P/lib/systemd/user/       thermobadge-server.service, installed but not enabled
# Included from the top-level CMakeLists.txt once every program target exists.
set(THERMOBADGE_INSTALL_PROGRAM_DIR lib/thermobadge)
set(_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_generated ${PROJECT_BINARY_DIR}/packaging)

set(_programs ThermoBadge vershow thermobadge-server)
if(TARGET lookeditor)
  list(APPEND _programs lookeditor)
endif()
install(TARGETS ${_programs} RUNTIME DESTINATION ${THERMOBADGE_INSTALL_PROGRAM_DIR})
# The programs' texts in English (translations/).
install(FILES ${THERMOBADGE_QM_FILES} DESTINATION ${THERMOBADGE_INSTALL_PROGRAM_DIR}/translations)
# Everything the build copies beside the programs (skin list, program icon, skins).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/ DESTINATION ${THERMOBADGE_INSTALL_PROGRAM_DIR})

# The links are made here and installed as links.
file(MAKE_DIRECTORY ${_generated}/bin)
file(CREATE_LINK ../${THERMOBADGE_INSTALL_PROGRAM_DIR}/ThermoBadge ${_generated}/bin/thermobadge SYMBOLIC)
file(CREATE_LINK ../${THERMOBADGE_INSTALL_PROGRAM_DIR}/thermobadge-server ${_generated}/bin/thermobadge-server SYMBOLIC)
install(FILES ${_generated}/bin/thermobadge ${_generated}/bin/thermobadge-server DESTINATION bin)

install(FILES ${_packaging}/thermobadge.desktop DESTINATION share/applications)
install(DIRECTORY ${_packaging}/icons/ DESTINATION share/icons)
install(FILES ${_packaging}/net.example.ThermoBadge.metainfo.xml DESTINATION share/metainfo)

install(FILES ${_packaging}/copyright DESTINATION share/doc/thermobadge)
# The package is native (no Debian revision), so its changelog is changelog.gz.
configure_file(${_packaging}/changelog.in ${_generated}/changelog @ONLY)
add_custom_command(OUTPUT ${_generated}/changelog.gz
  COMMAND gzip -9nkf ${_generated}/changelog
  DEPENDS ${_generated}/changelog)
add_custom_target(thermobadge_changelog ALL DEPENDS ${_generated}/changelog.gz)
install(FILES ${_generated}/changelog.gz DESTINATION share/doc/thermobadge)

# The user unit names the server by its installed path, which only the install step knows
# (`--prefix` may differ from CMAKE_INSTALL_PREFIX).
install(CODE "
  set(THERMOBADGE_UNIT_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${_packaging}/thermobadge-server.service.in\" \"${_generated}/unit/thermobadge-server.service\" @ONLY)
  file(INSTALL \"${_generated}/unit/thermobadge-server.service\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")
")

# Man pages from the programs' own --help and --version, so they never fall out of step. The
# programs are run through links under their installed names, found on PATH, so the usage lines
# name them as a user types them.
find_program(THERMOBADGE_HELP2MAN help2man)
if(THERMOBADGE_HELP2MAN)
  file(MAKE_DIRECTORY ${_generated}/run ${_generated}/man)
  set(_pages)
  foreach(page thermobadge thermobadge-server)
    if(page STREQUAL "thermobadge")
      set(_target ThermoBadge)
      set(_name "indicator of the outdoor temperature")
    else()
      set(_target thermobadge-server)
      set(_name "UDP temperature server for ThermoBadge")
    endif()
    add_custom_command(OUTPUT ${_generated}/man/${page}.1.gz
      COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:${_target}> ${_generated}/run/${page}
      COMMAND ${CMAKE_COMMAND} -E env "PATH=${_generated}/run:$ENV{PATH}" THERMOBADGE_LOOPBACK_ONLY=1
              ${THERMOBADGE_HELP2MAN} --no-info --section=1 "--name=${_name}"
              --include=${_packaging}/${page}.h2m --output=${_generated}/man/${page}.1 ${page}
      COMMAND gzip -9nf ${_generated}/man/${page}.1
      DEPENDS ${_target} ${_packaging}/${page}.h2m
      COMMENT "Writing the man page ${page}(1) from --help")
    list(APPEND _pages ${_generated}/man/${page}.1.gz)
  endforeach()
  add_custom_target(thermobadge_manpages ALL DEPENDS ${_pages})
  install(FILES ${_pages} DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found: no man pages (scripts/install-deps.sh installs it)")
endif()
