# Installation of the two tools beside the program (the program installs
# itself in app/), and the Debian package:
#
#   cmake --build build --target deb      (builds the three programs, then packs)
#   cpack -G DEB                          (in build/, once the programs are built)
include(GNUInstallDirs)

# The package holds the three programs only; installing or packing must not
# first build the whole test suite and the benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

foreach(tool tarel-report tarel-demo-db)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarel")
set(CPACK_PACKAGE_CONTACT "Tarel maintainers <tarel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Statistical reports of a primary-care institution from its patient-administration database")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarel reads the database of the institution's patient-administration program and fills the six statutory report forms (three morbidity reports, three visit reports), shown in a print preview. Includes tarel-report, which writes the reports without a window, and tarel-demo-db, which writes a synthetic source database.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The shared libraries the executables link come from dpkg-shlibdeps; what is
# loaded at run time is listed here: the SQLite driver of Qt SQL and the
# fonts that draw the MAC C texts in Cyrillic and replace MS Sans Serif.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-liberation, fonts-dejavu-core")

include(CPack)

add_custom_target(deb
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing the Debian package"
  VERBATIM)
foreach(target tarel tarel-report tarel-demo-db)
  if(TARGET ${target})
    add_dependencies(deb ${target})
  endif()
endforeach()
