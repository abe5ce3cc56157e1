# Install rules: headers, both libraries shared and static, kt-util with the
# examples its demo reads, its manual page and bash completion, a CMake
# package (find_package(kt_util): kt::util, kt::corvane, kt::util_static,
# kt::corvane_static) and a pkg-config file.
# Every file finds the others relative to itself, so an install with
# --prefix, or one moved elsewhere, stays usable.
include(CMakePackageConfigHelpers)

set(KT_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kt_util)

install(DIRECTORY include/kt DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_BINARY_DIR}/include/kt/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kt)
install(TARGETS kt_corvane kt_corvane_static kt_util kt_util_static
        EXPORT kt_util_targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET kt-util)
  install(TARGETS kt-util RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES tools/kt-util/kt-util.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES tools/kt-util/kt-util.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME kt-util)
  install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kt_util/examples
          PATTERN CMakeLists.txt EXCLUDE)
endif()

install(EXPORT kt_util_targets NAMESPACE kt:: DESTINATION ${KT_PACKAGE_DIR})
configure_package_config_file(cmake/kt_utilConfig.cmake.in
  ${PROJECT_BINARY_DIR}/kt_utilConfig.cmake
  INSTALL_DESTINATION ${KT_PACKAGE_DIR})
# While the major version is 0 a new minor version may break the ABI.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kt_utilConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kt_utilConfig.cmake ${PROJECT_BINARY_DIR}/kt_utilConfigVersion.cmake
        DESTINATION ${KT_PACKAGE_DIR})

# A static link needs the C++ runtime too (Libs.private).
set(KT_PC_LIBS_PRIVATE "")
foreach(library ${KT_CXX_RUNTIME})
  if(IS_ABSOLUTE ${library})
    string(APPEND KT_PC_LIBS_PRIVATE " ${library}")
  else()
    string(APPEND KT_PC_LIBS_PRIVATE " -l${library}")
  endif()
endforeach()
string(STRIP "${KT_PC_LIBS_PRIVATE}" KT_PC_LIBS_PRIVATE)
file(RELATIVE_PATH KT_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" KT_PC_TO_PREFIX "${KT_PC_TO_PREFIX}")
configure_file(cmake/kt_util.pc.in ${PROJECT_BINARY_DIR}/kt_util.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kt_util.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
