# Helpers shared by the layer, tool and test folders.
#
# catalog_layer(NAME DEPS...)   a static library from every .cpp/.h in the folder; the
#                               folder's parent is the include root, so code includes
#                               "db/query.h", "widgets/data_grid.h" and so on.
# catalog_layer_test(NAME DEPS) one GoogleTest executable from tests/NAME/*.cpp, run by
#                               ctest offscreen.

find_package(GTest)

# Warnings beyond -Wall -Wextra for the layers whose code is clean of them (every layer
# but the reports' library under report/ for now); a layer adds them with
# target_compile_options(<layer> PRIVATE ${CATALOG_STRICT_WARNINGS}). clang's
# -Wconversion also warns of every int used as a size or an index (-Wsign-conversion),
# which GCC's does not in C++: that one is left out, so both compilers hold the same rule.
set(CATALOG_STRICT_WARNINGS -Wshadow -Wold-style-cast -Wconversion -Wno-sign-conversion)

function(catalog_layer name)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
                                   ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  # A folder's main.cpp is the entry point of an executable, not part of the library.
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

function(catalog_layer_test name)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${name}/*.cpp ${CMAKE_SOURCE_DIR}/tests/${name}/*.h)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_tests ${srcs})
  target_link_libraries(${name}_tests PRIVATE test_common ${ARGN} GTest::gtest)
  add_test(NAME ${name}_tests COMMAND ${name}_tests)
  # Every catalogue opened is copied by the helper program.
  if(TARGET catalogue-copy)
    add_dependencies(${name}_tests catalogue-copy)
  endif()
  # The copies of the many catalogues the tests make go to the build folder, not to the
  # user's cache, where nothing would ever remove them.
  set_tests_properties(${name}_tests PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CATALOG_CACHE_DIR=${CMAKE_BINARY_DIR}/test-copies/${name};CATALOG_CHECK_COPIES=1;CATALOG_FIXTURES=${CATALOG_FIXTURES};CATALOG_APPDIR=${CATALOG_APPDIR};CATALOG_BINDIR=${CMAKE_BINARY_DIR};CATALOG_TESTS_DIR=${CMAKE_SOURCE_DIR}/tests;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    TIMEOUT 900)
endfunction()
