# The installed pictures: asset-maker draws img/ and foto/ into the program folder. The
# battery photos follow the demo catalogue's FOTO names when that table is known
# (CATALOG_DEMO_TECHINFO_CSV); the stamp lets the step rerun only when the maker or the
# table changes.
set(pictures_stamp ${CMAKE_CURRENT_BINARY_DIR}/pictures.stamp)
set(pictures_fixed
    ${CATALOG_APPDIR}/img/intro.jpg ${CATALOG_APPDIR}/img/interna.jpg ${CATALOG_APPDIR}/img/BALL.bmp
    ${CATALOG_APPDIR}/img/bottoneMini.bmp ${CATALOG_APPDIR}/img/bottoneRossoMini.bmp
    ${CATALOG_APPDIR}/foto/vuoto.JPG)
set(pictures_args ${CATALOG_APPDIR})
set(pictures_depends asset-maker)
if(DEFINED CATALOG_DEMO_TECHINFO_CSV)
  list(APPEND pictures_args ${CATALOG_DEMO_TECHINFO_CSV})
  list(APPEND pictures_depends ${CATALOG_DEMO_TECHINFO_CSV})
endif()

# Leak checking is off for the maker: the font libraries keep caches until exit.
add_custom_command(
  OUTPUT ${pictures_stamp} ${pictures_fixed}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:asset-maker> ${pictures_args}
  COMMAND ${CMAKE_COMMAND} -E touch ${pictures_stamp}
  DEPENDS ${pictures_depends}
  COMMENT "Drawing the installed pictures (img/, foto/)"
  VERBATIM)
add_custom_target(pictures ALL DEPENDS ${pictures_stamp})
if(TARGET catalogue_demo_sources)
  add_dependencies(pictures catalogue_demo_sources)
endif()
