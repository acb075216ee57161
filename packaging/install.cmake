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
install(FILES ${CMAKE_SOURCE_DIR}/packaging/varno.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

include(${CMAKE_SOURCE_DIR}/packaging/cpack.cmake)
