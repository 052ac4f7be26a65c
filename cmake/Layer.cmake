# Helpers shared by the layer, tool and test folders.
#
# catalog_layer(NAME DEPS...)   a static library from every .cpp/.h in the folder; the
#                               folder's parent is the include root, so code includes
#                               "db/query.h", "widgets/data_grid.h" and so on.
# catalog_layer_test(NAME DEPS... [DEMO_WINDOW] [SLOW Suite.Test...])
#                               one GoogleTest executable from tests/NAME/ (subfolders
#                               too), each of its tests one ctest test, run offscreen;
#                               the SLOW ones start first and may take longer. DEMO_WINDOW:
#                               its tests open the window on the build's program folder.

find_package(GTest)
include(GoogleTest)

# The longest one test may take, in seconds: far above what any ordinary test takes under
# the sanitizers on a busy machine, so that only a hang reaches it. The tests named SLOW
# (a day of the window played through the UI script driver, the huge catalogue's rows)
# take minutes; they start first, so that they do not run on alone after the rest.
set(CATALOG_TEST_TIMEOUT 300 CACHE STRING "Seconds one test may take before ctest stops it")
set(CATALOG_SLOW_TEST_TIMEOUT 1500 CACHE STRING "Seconds a test named SLOW may take before ctest stops it")

# Warnings beyond -Wall -Wextra, which every layer and every tool holds to; each adds them
# with target_compile_options(<target> PRIVATE ${CATALOG_STRICT_WARNINGS}). clang's
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
  cmake_parse_arguments(PARSE_ARGV 1 arg "DEMO_WINDOW" "" "SLOW")
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${name}/*.cpp ${CMAKE_SOURCE_DIR}/tests/${name}/*.h)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_tests ${srcs})
  target_link_libraries(${name}_tests PRIVATE test_common ${arg_UNPARSED_ARGUMENTS} GTest::gtest)
  # Every catalogue opened is copied by the helper program.
  if(TARGET catalogue-copy)
    add_dependencies(${name}_tests catalogue-copy)
  endif()
  # ctest asks the executable for its tests when it runs (the list is kept until the
  # executable changes), so a build never runs a test binary, and runs each test as a
  # process of its own: ctest -j spreads them over the cores and times each. Listing makes
  # no application (tests/common/test_main.cpp), so it needs neither a display nor the
  # environment below. Names are <layer>_tests.<Suite>.<Test> (a parameter by its name or
  # number, never its bytes), so `ctest -R db_tests` still picks a layer's tests; the label
  # is the layer's name (`ctest -L db`).
  gtest_discover_tests(${name}_tests
    TEST_PREFIX "${name}_tests."
    TEST_LIST ${name}_test_list
    NO_PRETTY_VALUES
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120)
  # The copies of the many catalogues the tests make go to the build folder, not to the
  # user's cache, where nothing would ever remove them; the folder outlives each test's
  # process, so a catalogue is copied once per layer, not once per test.
  set(env
      QT_QPA_PLATFORM=offscreen
      CATALOG_CACHE_DIR=${CMAKE_BINARY_DIR}/test-copies/${name}
      CATALOG_CHECK_COPIES=1
      CATALOG_FIXTURES=${CATALOG_FIXTURES}
      CATALOG_APPDIR=${CATALOG_APPDIR}
      CATALOG_BINDIR=${CMAKE_BINARY_DIR}
      CATALOG_TESTS_DIR=${CMAKE_SOURCE_DIR}/tests
      # The shop's store and the settings file of the tests' own, never the user's.
      XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data/${name}
      XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config/${name}
      LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
  # The window keeps the catalogue it opened last beside the copies, to tell what is new
  # when a different one is opened. Two tests opening the demo catalogue first, at once,
  # could each find the other's half-kept one and report news; so the program opens it
  # once before them (the demo catalogue's first brand), and after that every test finds
  # it kept and the same.
  set(fixture "")
  if(arg_DEMO_WINDOW AND TARGET catalogue-script)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_tests_demo_window.txt)
    file(WRITE ${script} "brand KORVA\n")
    add_test(NAME ${name}_tests.DemoCatalogueOpenedOnce COMMAND catalogue-script ${CATALOG_APPDIR} ${script})
    set_tests_properties(${name}_tests.DemoCatalogueOpenedOnce PROPERTIES
      ENVIRONMENT "${env}" TIMEOUT ${CATALOG_TEST_TIMEOUT} LABELS ${name} FIXTURES_SETUP ${name}_demo_window)
    set(fixture "FIXTURES_REQUIRED ${name}_demo_window")
  endif()
  # The discovered tests get their properties from a script ctest reads after the list:
  # gtest_discover_tests would split a list-valued ENVIRONMENT into separate properties.
  set(props ${CMAKE_CURRENT_BINARY_DIR}/${name}_tests_properties.cmake)
  file(GENERATE OUTPUT ${props} CONTENT
"if(${name}_test_list)
  set_tests_properties(\${${name}_test_list} PROPERTIES
    ENVIRONMENT [==[${env}]==]
    TIMEOUT ${CATALOG_TEST_TIMEOUT}
    LABELS ${name} ${fixture})
endif()
foreach(slow IN ITEMS ${arg_SLOW})
  list(FIND ${name}_test_list ${name}_tests.\${slow} found)
  if(NOT found EQUAL -1)
    set_tests_properties(${name}_tests.\${slow} PROPERTIES COST 1000 TIMEOUT ${CATALOG_SLOW_TEST_TIMEOUT})
  endif()
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${props})
endfunction()
