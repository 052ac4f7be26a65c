# Installing the program like a desktop program, and the Debian package made from it.
#
#   <prefix>/lib/dazozizizavuv/         the program folder: dazozizizavuv, catalogue-copy (the
#                                       helper that reads a catalogue), img/, foto/, db/,
#                                       exactly as the build's program folder holds them
#   <prefix>/bin/dazozizizavuv          launcher on the PATH (packaging/dazozizizavuv.sh)
#   <prefix>/share/applications/        the desktop menu entry
#   <prefix>/share/icons/hicolor/<n>x<n>/apps/dazozizizavuv.png   drawn by asset-maker
#   <prefix>/bin/jet-query, catalogue-build, ...   the catalogue makers' tools, and shop-data, the
#                                       shop's stock tool
#   <prefix>/share/man/man1/*.1.gz      their manual pages, and the program's
#   <prefix>/share/doc/dazozizizavuv/   copyright and changelog
#
# bin/, share/, share/man/ and share/doc/dazozizizavuv/ are GNUInstallDirs' BINDIR,
# DATADIR, MANDIR and DOCDIR, so a distribution's layout can move them. The program folder
# is not LIBDIR (lib/<multiarch> on Debian): the launcher, the package's maintainer scripts
# and the manual name lib/dazozizizavuv.
#
# In the Debian package (CATALOG_DEBIAN_LAYOUT) db/ and foto/ of the program folder are
# links to /var/lib/dazozizizavuv/, img/ a link to share/dazozizizavuv/img, and the demo
# catalogue is under share/dazozizizavuv/demo/.
#
# The program folder lives under lib/ because it holds the executable beside its data: the
# program finds img/, foto/ and db/ next to itself, so they cannot be split into share/.
# The catalogue there is only read; the program writes nothing but its exchange file
# (under TEMP) and its catalogue copies (in the user's cache folder).

include(GNUInstallDirs)
set(CATALOG_INSTALL_APPDIR lib/dazozizizavuv)
set(CATALOG_INSTALL_SHAREDIR ${CMAKE_INSTALL_DATADIR}/dazozizizavuv)
option(CATALOG_DEBIAN_LAYOUT "Keep the catalogue data under /var/lib, as the Debian package does" OFF)

install(TARGETS dazozizizavuv catalogue-copy RUNTIME DESTINATION ${CATALOG_INSTALL_APPDIR})
# img/, foto/ and db/ are made by build steps (see assets/), so a build must come first.
if(CATALOG_DEBIAN_LAYOUT)
  # A maker's catalogue replaces the demo, so it is the machine's data, not the package's:
  # it lives in /var/lib/dazozizizavuv, which the package never owns (its maintainer scripts
  # put the demo there when nothing is there yet), and db/ and foto/ of the program folder
  # are links to it. The demo itself and the pictures, which are the same on every
  # architecture, are shipped under share/, as Debian keeps such files.
  install(DIRECTORY ${CATALOG_APPDIR}/db ${CATALOG_APPDIR}/foto DESTINATION ${CATALOG_INSTALL_SHAREDIR}/demo)
  install(DIRECTORY ${CATALOG_APPDIR}/img DESTINATION ${CATALOG_INSTALL_SHAREDIR})
  # img/ is linked relative to the program folder, so the installation can be moved.
  if(IS_ABSOLUTE ${CATALOG_INSTALL_SHAREDIR})
    set(catalog_img ${CATALOG_INSTALL_SHAREDIR}/img)
  else()
    file(RELATIVE_PATH catalog_img /prefix/${CATALOG_INSTALL_APPDIR} /prefix/${CATALOG_INSTALL_SHAREDIR}/img)
  endif()
  set(catalog_links "db=/var/lib/dazozizizavuv/db" "foto=/var/lib/dazozizizavuv/foto" "img=${catalog_img}")
  foreach(link ${catalog_links})
    string(REPLACE "=" ";" parts ${link})
    list(GET parts 0 name)
    list(GET parts 1 target)
    install(CODE "file(CREATE_LINK ${target}
                   \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CATALOG_INSTALL_APPDIR}/${name}\" SYMBOLIC)")
  endforeach()
else()
  install(DIRECTORY ${CATALOG_APPDIR}/img ${CATALOG_APPDIR}/db ${CATALOG_APPDIR}/foto
          DESTINATION ${CATALOG_INSTALL_APPDIR})
endif()
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/dazozizizavuv.sh DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME dazozizizavuv)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/dazozizizavuv.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The tools for people who build and check catalogues go on the PATH beside the launcher.
foreach(tool jet-query catalogue-build catalogue-diff catalogue-check shop-data)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Manual pages and the changelog are installed compressed, as Debian keeps them; gzip -n
# leaves out the name and time, so the same sources give the same package.
set(catalog_gz_dir ${CMAKE_BINARY_DIR}/gz)
function(catalog_gzip source out_var)
  get_filename_component(name ${source} NAME)
  set(out ${catalog_gz_dir}/${name}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${catalog_gz_dir}
                     COMMAND sh -c "gzip -9nc '${source}' > '${out}'"
                     DEPENDS ${source} VERBATIM)
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()
file(GLOB catalog_man_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/man/*.1)
set(catalog_gz_files "")
foreach(page ${catalog_man_sources})
  catalog_gzip(${page} gz)
  list(APPEND catalog_gz_files ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
catalog_gzip(${CMAKE_SOURCE_DIR}/packaging/debian/changelog changelog_gz)
add_custom_target(compressed_docs ALL DEPENDS ${catalog_gz_files} ${changelog_gz})
install(FILES ${changelog_gz} ${CMAKE_SOURCE_DIR}/packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

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
install(DIRECTORY ${catalog_icon_dir} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The Debian package: `cpack -G DEB` in a release build folder configured with
# CATALOG_DEBIAN_LAYOUT (scripts/package.sh, which also runs lintian on it).
# Depends is computed from the binaries by dpkg-shlibdeps; what Qt loads at run time
# without linking it is added by hand: the platform plugins that open a window on a
# desktop (the printing plugin comes with libqt6printsupport6, which the program links),
# and the SQL drivers of the shop's store, embedded (SQLite) or on a server (PostgreSQL),
# which the program and shop-data open by name.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dazozizizavuv)
set(CPACK_PACKAGE_VENDOR "Dazozizizavuv")
set(CPACK_PACKAGE_CONTACT "Dazozizizavuv maintainers <maintainers@dazozizizavuv.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://dazozizizavuv.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "battery catalogue for shop counters and workshops")
# Lines of the long description must fit 80 columns; CPack indents each one.
set(CPACK_PACKAGE_DESCRIPTION "Pick a brand, drill down vehicle make, model and version and get the
batteries that fit, or search batteries by code, ratings, dimensions or
container and see the vehicles each one fits, with the battery's data,
photo and note.
.
The catalogue is an Access 2000 database kept in /var/lib/dazozizizavuv,
where a maker's catalogue replaces the demo catalogue the package ships and
stays across upgrades. The package also installs the command-line tools
that build, query and check catalogues, and the one that imports a till's
stock into the shop's own store.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/preinst
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst
    ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
