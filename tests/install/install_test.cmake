# Installs the build into a scratch prefix and checks what a desktop needs: the program
# folder identical to the build's, the launcher starting the installed executable, the
# menu entry and the icons. Then the UI script driver opens the installed program folder
# with its db/ and foto/ made read-only (as another user when run as root, since root
# writes through any permission) and the dump must show the KORVA catalogue, while the
# program folder stays byte for byte as installed. Everything that other user runs or reads
# (the prefix, a copy of the driver, the leak suppressions) lies in a work folder under the
# system's temporary folder, since the checkout may sit where only its owner can reach
# (a clone in root's home folder).
#
# cmake -DBUILD_DIR=... -DAPP_DIR=... -DDRIVER=... -DLSAN_SUPPRESSIONS=... -P install_test.cmake

cmake_policy(VERSION 3.25)

function(fail)
  string(JOIN "" text ${ARGN})
  file(REMOVE_RECURSE ${WORK_DIR})
  message(FATAL_ERROR "install test: ${text}")
endfunction()

# Lists every file under `dir` relative to it, with a checksum, into `out`.
function(folder_manifest dir out)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${dir} ${dir}/*)
  list(SORT files)
  set(lines "")
  foreach(f ${files})
    file(SHA256 ${dir}/${f} sum)
    list(APPEND lines "${f} ${sum}")
  endforeach()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

set(tmp_root /tmp)
if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(tmp_root $ENV{TMPDIR})
endif()
string(RANDOM LENGTH 10 tag)
set(WORK_DIR ${tmp_root}/dazozizizavuv-install-test-${tag})
set(prefix ${WORK_DIR}/prefix)
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND chmod 0755 ${WORK_DIR})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  fail("cmake --install failed (${rc}): ${err}")
endif()

# --- the program folder is the build's, file for file
set(appdir ${prefix}/lib/dazozizizavuv)
folder_manifest(${APP_DIR} built)
folder_manifest(${appdir} installed)
if(NOT built STREQUAL installed)
  fail("the installed program folder differs from ${APP_DIR}")
endif()
foreach(f dazozizizavuv catalogue-copy db/vc_korva.mdb db/system.mdw img/interna.jpg img/intro.jpg foto/vuoto.JPG)
  if(NOT EXISTS ${appdir}/${f})
    fail("the program folder lacks ${f}")
  endif()
endforeach()

# --- the launcher runs the installed executable: without a display, the program itself
# answers with its own notice and status 2.
execute_process(COMMAND env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${prefix}/bin/dazozizizavuv
                RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT rc EQUAL 2 OR NOT err MATCHES "No display found")
  fail("the launcher did not start the installed program (status ${rc}): ${err}")
endif()

# --- menu entry and icons
set(desktop ${prefix}/share/applications/dazozizizavuv.desktop)
file(STRINGS ${desktop} entry)
foreach(line "Type=Application" "Exec=dazozizizavuv" "Icon=dazozizizavuv" "Terminal=false")
  if(NOT line IN_LIST entry)
    fail("the menu entry lacks ${line}")
  endif()
endforeach()
find_program(validate desktop-file-validate)
if(validate)
  execute_process(COMMAND ${validate} ${desktop} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    fail("desktop-file-validate: ${out}${err}")
  endif()
endif()
foreach(size 16 32 48 64 128 256)
  set(icon ${prefix}/share/icons/hicolor/${size}x${size}/apps/dazozizizavuv.png)
  if(NOT EXISTS ${icon})
    fail("no ${size}x${size} icon")
  endif()
  file(READ ${icon} head LIMIT 24 HEX)
  # The PNG signature, then the width in the IHDR chunk.
  string(SUBSTRING "${head}" 32 8 width_hex)
  math(EXPR width "0x${width_hex}" OUTPUT_FORMAT DECIMAL)
  if(NOT head MATCHES "^89504e470d0a1a0a" OR NOT width EQUAL size)
    fail("${icon} is no ${size} pixel wide PNG")
  endif()
endforeach()

# --- the installed program on a catalogue nobody may write to
execute_process(COMMAND chmod -R a-w ${appdir}/db ${appdir}/foto)
set(temp ${WORK_DIR}/temp)
set(cache ${WORK_DIR}/cache)
file(MAKE_DIRECTORY ${temp} ${cache})
execute_process(COMMAND chmod 0777 ${temp} ${cache})
file(WRITE ${WORK_DIR}/steps.txt "brand KORVA\ndump\n")
get_filename_component(driver_name ${DRIVER} NAME)
file(COPY ${DRIVER} ${LSAN_SUPPRESSIONS} DESTINATION ${WORK_DIR}/bin)
get_filename_component(suppressions_name ${LSAN_SUPPRESSIONS} NAME)
execute_process(COMMAND chmod -R a+rX ${WORK_DIR}/steps.txt ${WORK_DIR}/bin)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
set(as_user "")
if(uid STREQUAL "0")
  set(as_user setpriv --reuid=nobody --regid=nogroup --clear-groups)
endif()
execute_process(
  COMMAND ${as_user} env QT_QPA_PLATFORM=offscreen TEMP=${temp} HOME=${temp} CATALOG_CACHE_DIR=${cache}
          CATALOG_COPY_HELPER=${appdir}/catalogue-copy
          LSAN_OPTIONS=suppressions=${WORK_DIR}/bin/${suppressions_name}:print_suppressions=0
          ${WORK_DIR}/bin/${driver_name} ${appdir} ${WORK_DIR}/steps.txt
  WORKING_DIRECTORY ${temp}
  RESULT_VARIABLE rc OUTPUT_VARIABLE dump ERROR_VARIABLE err)
execute_process(COMMAND chmod -R u+w ${appdir}/db ${appdir}/foto)
if(NOT rc EQUAL 0)
  fail("the driver ended with ${rc}: ${err}")
endif()

string(JSON windows GET "${dump}" windows)
string(JSON front GET "${windows}" 0 name)
string(JSON caption GET "${dump}" windows 0 caption)
string(JSON makes GET "${dump}" grids gridMarca RowCount)
string(JSON first_make GET "${dump}" grids gridMarca rows 0 cells 1)
string(JSON batteries GET "${dump}" grids GridOutput RowCount)
string(JSON battery_list GET "${dump}" grids GridOutput current 0)
string(JSON battery GET "${dump}" grids GridOutput current 3)
string(JSON marker GET "${dump}" grids gridMarca rows 0 cells 0)
string(JSON listino GET "${dump}" combos ComboListino selected)
string(JSON messages LENGTH "${dump}" messages)
string(JSON photo GET "${dump}" photo path)
if(NOT caption STREQUAL "Dazozizizavuv Korva")
  fail("the catalogue window is not on screen: ${windows}")
endif()
if(NOT listino STREQUAL "KORVA")
  fail("the price list KORVA is not selected, but \"${listino}\"")
endif()
if(makes LESS 3 OR first_make STREQUAL "" OR batteries LESS 2 OR battery STREQUAL "" OR NOT battery_list STREQUAL "KORVA")
  fail("the drill-down did not fill the grids: ${makes} makes (first \"${first_make}\"), ${batteries} battery rows, "
       "first battery \"${battery}\" of list \"${battery_list}\"")
endif()
if(NOT marker MATCHES "file://${appdir}/img/BALL.bmp")
  fail("the make marker does not come from the installed img/: ${marker}")
endif()
if(NOT messages EQUAL 0)
  string(JSON shown GET "${dump}" messages)
  fail("messages were shown: ${shown}")
endif()
file(TO_CMAKE_PATH "${photo}" photo)
if(NOT photo MATCHES "^${appdir}/foto/")
  fail("the photo does not come from the installed foto/: ${photo}")
endif()

# --- shop-data on the PATH finds the installed program's catalogue by itself
file(WRITE ${WORK_DIR}/stock.csv "codice;giacenza\nKP064;3\nNOT-A-BATTERY;1\n")
execute_process(
  COMMAND env HOME=${temp} XDG_CONFIG_HOME=${temp}/config CATALOG_CACHE_DIR=${cache}
          ${prefix}/bin/shop-data --database ${WORK_DIR}/shop.sqlite import-stock ${WORK_DIR}/stock.csv --branch Centro
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^2 righe, 1 codice non in catalogo")
  fail("the installed shop-data did not import against the installed catalogue (${rc}): ${out}${err}")
endif()
if(NOT EXISTS ${prefix}/share/man/man1/shop-data.1.gz)
  fail("shop-data's manual page is not installed")
endif()

# Nothing was written into the program folder; the exchange file went to TEMP.
folder_manifest(${appdir} after)
if(NOT after STREQUAL installed)
  fail("the program folder changed while the program ran")
endif()
if(NOT IS_DIRECTORY ${temp}/kelpStone)
  fail("the grid exchange file was not made under TEMP")
endif()
message(STATUS "install test: ${makes} makes, battery ${battery}, photo ${photo}")
file(REMOVE_RECURSE ${WORK_DIR})
