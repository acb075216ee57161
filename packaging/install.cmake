# Installation: the program, varno-batch and the demo Veltra.par side by side
# in lib/varno (the program looks for the parameter file beside its real
# executable), commands in bin, a desktop entry and an icon; CPack makes a
# .deb of it. Included from src/app once the targets exist.
include(GNUInstallDirs)
set(VARNO_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/varno)

install(TARGETS varno RUNTIME DESTINATION ${VARNO_INSTALL_DIR})
set(_varno_commands varno)
if(TARGET varno-batch)
  install(TARGETS varno-batch RUNTIME DESTINATION ${VARNO_INSTALL_DIR})
  list(APPEND _varno_commands varno-batch)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/data/Veltra.par)
  install(FILES ${CMAKE_SOURCE_DIR}/data/Veltra.par DESTINATION ${VARNO_INSTALL_DIR})
endif()

# bin/varno -> ../lib/varno/varno (relative, so DESTDIR and packages keep it).
foreach(cmd ${_varno_commands})
  install(CODE "
    set(_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${_bin}\")
    file(CREATE_LINK \"../${VARNO_INSTALL_DIR}/${cmd}\" \"\${_bin}/${cmd}\" SYMBOLIC)
    message(STATUS \"Installing: \${_bin}/${cmd} -> ../${VARNO_INSTALL_DIR}/${cmd}\")
  ")
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/varno.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Manual pages (with the project's version filled in) and the changelog
# compressed as Debian keeps them (gzip -9n: no name or time stamp, so the
# package is reproducible); the copyright file as it is.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog _varno_top LIMIT_COUNT 1)
if(NOT _varno_top MATCHES "^varno \\(${PROJECT_VERSION}\\)")
  message(WARNING "packaging/changelog has no entry for version ${PROJECT_VERSION}")
endif()
find_program(VARNO_GZIP gzip REQUIRED)
set(_varno_gz)
foreach(src man/varno.1 man/varno-batch.1 changelog)
  get_filename_component(_name ${src} NAME)
  set(_text ${CMAKE_BINARY_DIR}/packaging/${_name})
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${src} ${_text} @ONLY)
  add_custom_command(
    OUTPUT ${_text}.gz
    COMMAND ${VARNO_GZIP} -9n -c ${_text} > ${_text}.gz
    DEPENDS ${_text}
    VERBATIM)
  list(APPEND _varno_gz ${_text}.gz)
endforeach()
add_custom_target(varno_docs ALL DEPENDS ${_varno_gz})
install(FILES ${CMAKE_BINARY_DIR}/packaging/varno.1.gz ${CMAKE_BINARY_DIR}/packaging/varno-batch.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/varno.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

include(${CMAKE_SOURCE_DIR}/packaging/cpack.cmake)
