# The layering rule: every folder of src/ includes only from itself and the folders below it.
#
#   cmake -DSRC=src -P cmake/CheckLayers.cmake          checks, fails naming every upward include
#   cmake -DSRC=src -DGRAPH=ON -P cmake/CheckLayers.cmake   also prints the folder include graph
#
# The build runs the check before it compiles any layer, so an upward include fails the build.

# Bottom first. Folders of the same rank (the two programs) may not include each other.
set(layers race analysis view session output app cli)
set(rank_race 0)
set(rank_analysis 1)
set(rank_view 2)
set(rank_session 3)
set(rank_output 4)
set(rank_app 5)
set(rank_cli 5)

if(NOT SRC)
  message(FATAL_ERROR "CheckLayers: give -DSRC=<the src folder>")
endif()

get_filename_component(SRC "${SRC}" ABSOLUTE)
set(errors "")
set(edges "")
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
list(SORT files)
foreach(f IN LISTS files)
  string(REGEX MATCH "^[^/]+" from "${f}")
  if(NOT DEFINED rank_${from})
    list(APPEND errors "${f}: folder '${from}' is not a known layer (add it to cmake/CheckLayers.cmake)")
    continue()
  endif()
  file(STRINGS "${SRC}/${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*$" "\\1" to "${line}")
    if(NOT DEFINED rank_${to} OR to STREQUAL from)
      continue()
    endif()
    list(APPEND edges "${from} -> ${to}")
    if(NOT rank_${to} LESS rank_${from})
      string(STRIP "${line}" line)
      list(APPEND errors "${f}: ${line}: '${from}' may include only from the layers below it")
    endif()
  endforeach()
endforeach()

if(GRAPH)
  list(REMOVE_DUPLICATES edges)
  list(SORT edges)
  foreach(e IN LISTS edges)
    message(STATUS "${e}")
  endforeach()
endif()

if(errors)
  list(JOIN errors "\n  " text)
  message(FATAL_ERROR "Layering broken (order, bottom first: ${layers}):\n  ${text}")
endif()
