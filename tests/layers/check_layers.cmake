# The host's folders use only the folders below them, as the README's folder table says: its last
# column names, for each folder of host/, the folders of host/ its files may include from. Every
# folder of host/ must have a row; the SDK's headers (bakkesmod/...) and the files at the top of
# host/ (its one error type, printable text) are for everyone.
#
#   cmake -DSOURCE_DIR=... -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

file(STRINGS ${SOURCE_DIR}/README.md rows REGEX "^\\| `host/[a-z_]+/` \\|")
set(folders "")
foreach(row IN LISTS rows)
  string(REGEX MATCH "^\\| `host/([a-z_]+)/`" _ "${row}")
  set(folder ${CMAKE_MATCH_1})
  # The last column: the folders it may use, each as `name/`.
  string(REGEX REPLACE "^.*\\|([^|]*)\\|[ ]*$" "\\1" uses "${row}")
  string(REGEX MATCHALL "`[a-z_]+/`" used "${uses}")
  list(TRANSFORM used REPLACE "`([a-z_]+)/`" "\\1")
  set(may_use_${folder} ${folder} ${used})
  list(APPEND folders ${folder})
endforeach()

set(problems "")
file(GLOB entries LIST_DIRECTORIES true ${SOURCE_DIR}/host/*)
foreach(entry IN LISTS entries)
  if(NOT IS_DIRECTORY ${entry})
    continue()
  endif()
  get_filename_component(folder ${entry} NAME)
  if(NOT folder IN_LIST folders)
    string(APPEND problems "host/${folder}/ has no row in the README's folder table\n")
    continue()
  endif()
  file(GLOB_RECURSE sources ${entry}/*.h ${entry}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"[a-z_]+/")
    foreach(include IN LISTS includes)
      string(REGEX MATCH "^#include \"([a-z_]+)/" _ "${include}")
      set(used ${CMAKE_MATCH_1})
      if(used STREQUAL "bakkesmod" OR used IN_LIST may_use_${folder})
        continue()
      endif()
      file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
      string(APPEND problems "${shown}: ${include}: host/${folder}/ may not use host/${used}/\n")
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "folders of host/ reach past the README's folder table:\n${problems}")
endif()
list(LENGTH folders count)
message(STATUS "the ${count} folders of host/ use only what the README's folder table allows")
