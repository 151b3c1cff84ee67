# Installation: the shared library with its public headers, a CMake package
# (find_package(TXAppendix14) gives TXAppendix14::txappendix14), a pkg-config
# file, and tx14. The package files carry the project's version.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TX14_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TXAppendix14)

install(TARGETS txappendix14 EXPORT TXAppendix14Targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/applications/Appendix14/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT TXAppendix14Targets NAMESPACE TXAppendix14::
  DESTINATION ${TX14_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/package/TXAppendix14Config.cmake.in
  ${PROJECT_BINARY_DIR}/TXAppendix14Config.cmake INSTALL_DESTINATION ${TX14_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TXAppendix14ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TXAppendix14Config.cmake
              ${PROJECT_BINARY_DIR}/TXAppendix14ConfigVersion.cmake
  DESTINATION ${TX14_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place, so that the
# installed tree can move (and cmake --install --prefix works).
get_target_property(TX14_LINK_NAME txappendix14 OUTPUT_NAME)
if(NOT TX14_LINK_NAME)
  set(TX14_LINK_NAME txappendix14)
endif()
file(RELATIVE_PATH TX14_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" TX14_PC_TO_PREFIX "${TX14_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/txappendix14.pc.in
  ${PROJECT_BINARY_DIR}/txappendix14.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/txappendix14.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(TARGET tx14)
  # The installed program finds the installed library beside it.
  file(RELATIVE_PATH bin_to_lib /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LIBDIR})
  set_target_properties(tx14 PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
  install(TARGETS tx14 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
