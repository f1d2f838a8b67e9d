# What "cmake --install" puts in place and what "cpack -G DEB" packs: the cvn command, its
# man page, the shared library hosts load and the header they use. POSIX only.
include(GNUInstallDirs)

install(TARGETS cvn_core_shared LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# cvn_automation.h reaches automation.h as "../platform/automation.h": both keep their
# folders, and hosts add include/cvn/component to their include path.
install(FILES src/component/cvn_automation.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cvn/component)
install(FILES src/platform/automation.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cvn/platform)

if(CVN_BUILD_CLI)
  install(TARGETS cvn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  find_program(HELP2MAN help2man)
  if(HELP2MAN)
    set(cvn_man_page ${CMAKE_BINARY_DIR}/cvn.1)
    add_custom_command(
      OUTPUT ${cvn_man_page}
      COMMAND ${CMAKE_COMMAND} -DCVN=$<TARGET_FILE:cvn> -DHELP2MAN=${HELP2MAN}
              -DOUTPUT=${cvn_man_page} -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
      DEPENDS cvn ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
      COMMENT "Writing the man page cvn.1 from the help"
      VERBATIM)
    add_custom_target(cvn_man_page ALL DEPENDS ${cvn_man_page})
    install(FILES ${cvn_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "help2man not found: the man page cvn.1 is not made")
  endif()
endif()

# The Debian package. Its dependencies are what the installed files load: the binary's and
# the library's NEEDED entries (objdump -p) name the C and C++ runtimes, SQLite and, unless
# fmt was linked in, libfmt. libpq is opened at run time, only for a PostgreSQL database;
# zenity shows the Save dialog of cvn export and git serves --git.
set(CPACK_PACKAGE_NAME cvn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "measures how the source code of a project changed between two versions")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "CVN developers")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(cvn_depends "libc6, libgcc-s1, libstdc++6")
if(CVN_BUILD_CLI)
  string(APPEND cvn_depends ", libsqlite3-0")
  find_package(fmt REQUIRED)  # its target is seen only where it was found
  get_target_property(cvn_fmt_type fmt::fmt TYPE)
  if(cvn_fmt_type STREQUAL "SHARED_LIBRARY")
    string(APPEND cvn_depends ", libfmt${fmt_VERSION_MAJOR}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libpq5)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zenity, git")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS ${cvn_depends})
include(CPack)
