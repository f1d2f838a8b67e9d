# Installs the build into a DESTDIR of its own and checks that what users and hosts rely on
# is there: the command runs from its new place, the library, the header hosts include
# (with the one it includes) and, when help2man made it, the man page.
file(REMOVE_RECURSE "${DESTDIR}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DESTDIR} ${CMAKE_COMMAND} --install ${BUILD}
          --prefix /usr/local
  OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(root "${DESTDIR}/usr/local")
set(expected ${BINDIR}/cvn ${LIBDIR}/libcvn_core.so ${INCLUDEDIR}/cvn/component/cvn_automation.h
             ${INCLUDEDIR}/cvn/platform/automation.h)
if(MAN_PAGE)
  list(APPEND expected ${MANDIR}/man1/cvn.1)
endif()
foreach(file IN LISTS expected)
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
execute_process(COMMAND "${root}/${BINDIR}/cvn" --version OUTPUT_VARIABLE version)
if(NOT version STREQUAL "cvn ${VERSION}\n")
  message(FATAL_ERROR "the installed cvn --version says \"${version}\"")
endif()
file(REMOVE_RECURSE "${DESTDIR}")
