# What `cmake --install` and the Debian package put in place: the command and its man page (from
# cli/), the combined libraries with their supported headers, CMake package and pkg-config file,
# and the documentation, which the home page and help links point at.
include(CMakePackageConfigHelpers)

install(TARGETS valdrex_shared valdrex_static EXPORT ValdrexTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Only the supported headers, listed in valdrex/public_headers.txt: the job and its outcome, the
# automation class and its member table, the host interfaces they use, the C interface. Every
# other header is internal to the library and stays in the source tree.
file(STRINGS ${PROJECT_SOURCE_DIR}/valdrex/public_headers.txt public_headers REGEX "^valdrex/")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/valdrex/public_headers.txt)
foreach(header IN LISTS public_headers)
  cmake_path(GET header PARENT_PATH folder)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder})
endforeach()

set(cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Valdrex)
install(EXPORT ValdrexTargets NAMESPACE Valdrex:: DESTINATION ${cmake_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ValdrexConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/ValdrexConfig.cmake INSTALL_DESTINATION ${cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ValdrexConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ValdrexConfig.cmake ${PROJECT_BINARY_DIR}/ValdrexConfigVersion.cmake
        DESTINATION ${cmake_dir})

# The .pc file names the prefix it is installed to, which `cmake --install --prefix` may change:
# the prefix is filled in when installing.
set(pc_prefix "@CMAKE_INSTALL_PREFIX@")
configure_file(${CMAKE_CURRENT_LIST_DIR}/valdrex.pc.in ${PROJECT_BINARY_DIR}/valdrex.pc.in @ONLY)
install(CODE "configure_file(${PROJECT_BINARY_DIR}/valdrex.pc.in
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/valdrex.pc\" @ONLY)
  message(STATUS \"Installing: \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/valdrex.pc\")")

install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
        PATTERN "valdrex.1" EXCLUDE)

# The Calc extension, for `unopkg add`; LibreOffice itself stays optional.
if(TARGET valdrex_oxt)
  install(FILES ${VALDREX_OXT} DESTINATION ${CMAKE_INSTALL_DATADIR}/valdrex)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc")
endif()

# The browser page, when scripts/build-web.sh has built it: one file a teacher opens in her
# browser. The package builds without it; whether it is there is seen when the package is made.
set(VALDREX_WEB_PAGE ${PROJECT_SOURCE_DIR}/build-web/valdrex.html
    CACHE FILEPATH "The single-file page installed as share/valdrex/web/valdrex.html, if it exists")
install(FILES ${VALDREX_WEB_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/valdrex/web OPTIONAL)

# The Debian package: `cpack` in a build configured with CMAKE_INSTALL_PREFIX=/usr.
set(VALDREX_MAINTAINER "Valdrex maintainers <maintainers@valdrex.invalid>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME valdrex)
set(CPACK_PACKAGE_CONTACT "${VALDREX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "年级考试成绩统计 / compiles a school grade's exam results from an .xlsx workbook")
set(CPACK_PACKAGE_DESCRIPTION
    "Valdrex scales and totals every score of a grade's examination workbook, ranks each student \
within the class and the grade, and writes nine report sheets (ranking lists, the class \
comparison, completion rates, score and rank bands). The package holds the valdrex command with \
its manual page and teacher's guide, and the C++ library with its headers, CMake package and \
pkg-config file.")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The static library, the CMake package and the .pc file name libzip, expat and libdeflate for
# linking.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libzip-dev, libexpat1-dev, libdeflate-dev")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
include(CPack)
