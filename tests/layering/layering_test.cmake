# Which folder may include what. The layers, lowest first: platform, db, report, shop,
# widgets, data, catalog, shell; shop/ (the shop's own store) stands beside db/ and report/
# and includes platform/ alone; a layer includes headers of the layers below it only, widgets/
# never sees db/ (it reads results through its record interface), and report/ reads the
# note markup's syntax (widgets/markup/, Qt Core only) but nothing else of widgets/. The engines are db/'s alone:
# outside db/ and its tests nothing includes sqlite3.h or mdbtools.h but the benchmarks'
# floors (bench/floors/, programs doing only the engines' own work, to measure the
# program against), and no other folder includes db/'s private headers (db/*_p.h) but its
# tests, fuzzers and benchmarks. The rules are first tried on a scratch tree that breaks
# each of them once, so a rule that stopped finding anything fails too.
#
# cmake -DSOURCE_DIR=... -DSCRATCH=... -P layering_test.cmake

cmake_policy(VERSION 3.25)

set(layers platform db report shop widgets data catalog shell)

# Appends to `out` one line per include in the tree at `root` that breaks a rule.
function(layering_faults root out)
  set(faults "")
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root}
       ${root}/*.cpp ${root}/*.h)
  foreach(f ${files})
    if(f MATCHES "^build" OR f MATCHES "/build")
      continue()
    endif()
    string(REGEX MATCH "^[^/]+" folder "${f}")
    set(folder_path "${f}")
    file(STRINGS ${root}/${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    list(FIND layers ${folder} rank)
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" header "${line}")
      # The engines.
      if(header MATCHES "^(sqlite3|mdbtools)\\.h$" AND NOT folder STREQUAL "db" AND NOT f MATCHES "^(tests/db|bench/floors)/")
        list(APPEND faults "${f}: includes ${header}, which only db/ may")
      endif()
      # db/'s private headers.
      if(header MATCHES "^db/.*_p\\.h$" AND NOT folder STREQUAL "db" AND NOT f MATCHES "^(tests/db|fuzz|bench)/")
        list(APPEND faults "${f}: includes ${header}, private to db/")
      endif()
      # Upward includes between layers.
      string(REGEX MATCH "^[^/]+" target "${header}")
      list(FIND layers "${target}" target_rank)
      if(folder STREQUAL "report" AND header MATCHES "^widgets/markup/")
        continue()
      endif()
      if(rank GREATER_EQUAL 0 AND target_rank GREATER rank)
        list(APPEND faults "${f}: includes ${header} from a layer above ${folder}/")
      endif()
      if(folder STREQUAL "shop" AND target_rank GREATER_EQUAL 0 AND NOT target MATCHES "^(platform|shop)$")
        list(APPEND faults "${f}: includes ${header}, but shop/ includes platform/ alone")
      endif()
      if(folder STREQUAL "widgets" AND target STREQUAL "db")
        list(APPEND faults "${f}: includes ${header}, but widgets/ never sees the database")
      endif()
    endforeach()
  endforeach()
  set(${out} "${faults}" PARENT_SCOPE)
endfunction()

# The scratch tree: one file per rule, each breaking it once.
file(REMOVE_RECURSE ${SCRATCH})
set(planted
    "catalog/a.cpp|#include <sqlite3.h>|includes sqlite3.h"
    "data/b.cpp|#include \"mdbtools.h\"|includes mdbtools.h"
    "data/c.cpp|#include \"db/engine_p.h\"|private to db/"
    "widgets/d.h|#include \"db/query.h\"|widgets/ never sees"
    "db/e.cpp|#include \"widgets/data_grid.h\"|from a layer above db/"
    "platform/f.cpp|  #  include \"catalog/schema.h\"|from a layer above platform/"
    "report/i.cpp|#include \"catalog/catalog_error.h\"|from a layer above report/"
    "report/j.cpp|#include \"widgets/data_grid.h\"|from a layer above report/"
    "shop/l.cpp|#include \"db/query.h\"|shop/ includes platform/ alone"
    "shop/m.cpp|#include \"report/schema.h\"|shop/ includes platform/ alone"
    "db/n.cpp|#include \"shop/stock_lookup.h\"|from a layer above db/"
    "report/o.cpp|#include \"shop/shop_settings.h\"|from a layer above report/"
    "bench/l.cpp|#include <sqlite3.h>|includes sqlite3.h"
    "bench/floorsx/m.cpp|#include <mdbtools.h>|includes mdbtools.h")
foreach(p ${planted})
  string(REPLACE "|" ";" parts "${p}")
  list(GET parts 0 file)
  list(GET parts 1 text)
  file(WRITE ${SCRATCH}/${file} "// planted\n${text}\n")
endforeach()
file(WRITE ${SCRATCH}/tests/db/g.cpp "#include <sqlite3.h>\n#include \"db/engine_p.h\"\n")
file(WRITE ${SCRATCH}/bench/floors/n.cpp "#include <sqlite3.h>\n#include <mdbtools.h>\n#include \"db/jet_functions_p.h\"\n")
file(WRITE ${SCRATCH}/catalog/h.cpp "#include \"data/data_module.h\"\n#include \"platform/files.h\"\n#include \"report/schema.h\"\n")
file(WRITE ${SCRATCH}/shop/p.cpp "#include \"platform/user_settings.h\"\n#include \"shop/stock_lookup.h\"\n")
file(WRITE ${SCRATCH}/catalog/q.cpp "#include \"shop/stock_lookup.h\"\n")
file(WRITE ${SCRATCH}/report/k.cpp "#include \"widgets/markup/note_markup_syntax.h\"\n#include \"db/query.h\"\n")
layering_faults(${SCRATCH} found)
foreach(p ${planted})
  string(REPLACE "|" ";" parts "${p}")
  list(GET parts 0 file)
  list(GET parts 2 why)
  set(seen FALSE)
  foreach(line ${found})
    string(FIND "${line}" "${file}: " at_file)
    string(FIND "${line}" "${why}" at_why)
    if(at_file EQUAL 0 AND at_why GREATER 0)
      set(seen TRUE)
    endif()
  endforeach()
  if(NOT seen)
    message(FATAL_ERROR "layering test: the rule \"${why}\" missed ${file}; found:\n${found}")
  endif()
endforeach()
foreach(line ${found})
  if(line MATCHES "^(tests/db/g|catalog/h|report/k|shop/p|catalog/q|bench/floors/n)\\.cpp")
    message(FATAL_ERROR "layering test: an allowed include was reported: ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})

layering_faults(${SOURCE_DIR} faults)
if(faults)
  string(JOIN "\n  " text ${faults})
  message(FATAL_ERROR "layering test: includes across the layers' rules:\n  ${text}")
endif()
message(STATUS "layering test: the includes keep to the layers")
