# The demo catalogue of the program folder: catalogue-demo writes its CSV sources into
# <build>/demo-sources, catalogue-build turns them into db/vc_korva.mdb and db/system.mdw;
# the maker's tables it writes beside them (demo-sources/maker-tables/) are copied to db/.
# Both steps are custom commands with outputs, so they rerun only when a tool changes.
#
# CATALOG_DEMO_TECHINFO_CSV names the generated battery table: the picture part reads its
# FOTO column and draws one photo per name (depend on it, or on catalogue_demo_sources).
#
# catalogue-build is a tool of its own; while it is not part of the build, the sources
# are still generated and the db/ step is left out (with a configure-time notice).
set(CATALOG_DEMO_SOURCES ${CMAKE_BINARY_DIR}/demo-sources)
set(catalogue_demo_csv
    ${CATALOG_DEMO_SOURCES}/CP_Veicoli.csv
    ${CATALOG_DEMO_SOURCES}/CP_Veicoli_Rel_Korva_Master.csv
    ${CATALOG_DEMO_SOURCES}/TabDistintaBatterie.csv
    ${CATALOG_DEMO_SOURCES}/TabTechInfo.csv
    ${CATALOG_DEMO_SOURCES}/Tab1riga.csv)
set(catalogue_demo_tables
    ${CATALOG_DEMO_SOURCES}/maker-tables/tecnologie.csv
    ${CATALOG_DEMO_SOURCES}/maker-tables/registrazione.csv)
set(CATALOG_DEMO_TECHINFO_CSV ${CATALOG_DEMO_SOURCES}/TabTechInfo.csv
    CACHE INTERNAL "The demo catalogue's battery table (CSV), for the photo maker")

add_custom_command(
  OUTPUT ${catalogue_demo_csv} ${catalogue_demo_tables}
  COMMAND catalogue-demo --scale demo ${CATALOG_DEMO_SOURCES}
  DEPENDS catalogue-demo
  COMMENT "Writing the demo catalogue sources"
  VERBATIM)
add_custom_target(catalogue_demo_sources ALL DEPENDS ${catalogue_demo_csv} ${catalogue_demo_tables})

if(TARGET catalogue-build)
  # The creation date is fixed so that the same sources always give the same bytes,
  # however often the sources are written again.
  set(catalogue_demo_db ${CATALOG_APPDIR}/db/vc_korva.mdb ${CATALOG_APPDIR}/db/system.mdw
      ${CATALOG_APPDIR}/db/tecnologie.csv ${CATALOG_APPDIR}/db/registrazione.csv)
  add_custom_command(
    OUTPUT ${catalogue_demo_db}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CATALOG_APPDIR}/db
    COMMAND catalogue-build --date 2024-01-15 ${CATALOG_DEMO_SOURCES} ${CATALOG_APPDIR}/db
    COMMAND ${CMAKE_COMMAND} -E copy ${catalogue_demo_tables} ${CATALOG_APPDIR}/db
    DEPENDS catalogue-build ${catalogue_demo_csv} ${catalogue_demo_tables}
    COMMENT "Building the demo catalogue db/vc_korva.mdb"
    VERBATIM)
  add_custom_target(catalogue_demo_db ALL DEPENDS ${catalogue_demo_db})
else()
  message(STATUS "catalogue-build is not in the build yet: db/vc_korva.mdb is not made")
endif()
