# Installing the program like a desktop program, and the Debian package made from it.
#
#   <prefix>/lib/dazozizizavuv/         the program folder: dazozizizavuv, img/, foto/, db/
#                                       exactly as the build's program folder holds them
#   <prefix>/bin/dazozizizavuv          launcher on the PATH (packaging/dazozizizavuv.sh)
#   <prefix>/share/applications/        the desktop menu entry
#   <prefix>/share/icons/hicolor/<n>x<n>/apps/dazozizizavuv.png   drawn by asset-maker
#
# The program folder lives under lib/ because it holds the executable beside its data: the
# program finds img/, foto/ and db/ next to itself, so they cannot be split into share/.
# The catalogue there is only read; the program writes nothing but its exchange file
# (under TEMP) and its catalogue copies (in the user's cache folder).

set(CATALOG_INSTALL_APPDIR lib/dazozizizavuv)

install(TARGETS dazozizizavuv RUNTIME DESTINATION ${CATALOG_INSTALL_APPDIR})
# img/, foto/ and db/ are made by build steps (see assets/), so a build must come first.
install(DIRECTORY ${CATALOG_APPDIR}/img ${CATALOG_APPDIR}/foto ${CATALOG_APPDIR}/db
        DESTINATION ${CATALOG_INSTALL_APPDIR})
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/dazozizizavuv.sh DESTINATION bin RENAME dazozizizavuv)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/dazozizizavuv.desktop DESTINATION share/applications)

set(catalog_icon_dir ${CMAKE_BINARY_DIR}/icons/hicolor)
set(catalog_icons "")
foreach(size 16 32 48 64 128 256)
  list(APPEND catalog_icons ${catalog_icon_dir}/${size}x${size}/apps/dazozizizavuv.png)
endforeach()
add_custom_command(
  OUTPUT ${catalog_icons}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:asset-maker> --icon ${catalog_icon_dir}
  DEPENDS asset-maker
  COMMENT "Drawing the desktop icon"
  VERBATIM)
add_custom_target(program_icon ALL DEPENDS ${catalog_icons})
install(DIRECTORY ${catalog_icon_dir} DESTINATION share/icons)

# The Debian package: `cpack -G DEB` in a release build folder (scripts/package.sh).
# The dependencies are declared by hand, one runtime package per library the program
# links, plus the platform plugins Qt needs to open a window on a desktop.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dazozizizavuv)
set(CPACK_PACKAGE_VENDOR "Dazozizizavuv")
set(CPACK_PACKAGE_CONTACT "Dazozizizavuv maintainers <catalogue@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Battery catalogue for shop counters and workshops")
set(CPACK_PACKAGE_DESCRIPTION
    "Pick a brand, drill down vehicle make, model and version and get the batteries that fit, or search batteries by code, ratings, dimensions or container and see the vehicles each one fits. Ships with a demo catalogue that a maker's catalogue replaces.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), qt6-qpa-plugins, libmdb3, libsqlite3-0, libjpeg62-turbo")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
# Only files, no maintainer scripts: dpkg's own triggers refresh the menu and icon caches,
# and removing the package removes exactly the files it installed.
include(CPack)
