# Installation and packages. On Linux and other POSIX systems: the programs in bin, the man
# pages, README and LICENSE under share; `cmake --build build --target package` makes a Debian
# package and a .tar.gz. On Windows: quenlo-win64.zip with both programs, README.txt and
# LICENSE.
include(GNUInstallDirs)
set(CPACK_PACKAGE_NAME quenlo)
set(CPACK_PACKAGE_VENDOR "the Quenlo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set and check the average character width of fonts")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS quenlo quenlo-check RUNTIME DESTINATION .)
  # The zip's own guide for people who only use the programs, with Windows' line ends.
  configure_file(${PROJECT_SOURCE_DIR}/docs/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quenlo-${PROJECT_VERSION}-win64)
  include(CPack)
  return()
endif()

set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quenlo)
install(TARGETS quenlo quenlo-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md LICENSE DESTINATION ${doc_dir})

# Man pages and the Debian changelog are installed compressed, as Debian's policy asks; -n keeps
# the time stamp out, so that the package is the same from build to build.
find_program(QUENLO_GZIP gzip)
if(QUENLO_GZIP)
  set(compressed)
  foreach(source docs/quenlo.1 docs/quenlo-check.1 docs/changelog.Debian)
    get_filename_component(name ${source} NAME)
    set(target ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz)
    add_custom_command(OUTPUT ${target}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/compressed
      COMMAND ${QUENLO_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${source} > ${target}
      DEPENDS ${PROJECT_SOURCE_DIR}/${source})
    list(APPEND compressed ${target})
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/quenlo.1.gz
                ${CMAKE_CURRENT_BINARY_DIR}/compressed/quenlo-check.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # A native package's changelog is changelog.gz.
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.Debian.gz
          DESTINATION ${doc_dir} RENAME changelog.gz COMPONENT debian EXCLUDE_FROM_ALL)
else()
  install(FILES docs/quenlo.1 docs/quenlo-check.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# What only the Debian package carries: its copyright file, its changelog, and the note that
# the programs are static on purpose.
install(FILES LICENSE DESTINATION ${doc_dir} RENAME copyright COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES docs/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
        RENAME quenlo COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_per_generator.cmake)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PACKAGE_CONTACT "Quenlo developers <quenlo@example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
# CPack puts the summary above as the synopsis; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Windows programs (Notepad, the font viewer, terminals, Wine) size text cells
from the xAvgCharWidth field of a font's OS/2 table. quenlo sets that field in
a TrueType font in place, changing only its two bytes. quenlo-check tells
which value each face of a font needs (the half-width advance for fixed-pitch
and CJK fonts with 1:2 widths) and prints the quenlo command that sets it.")
include(CPack)
