# The layering rule: every folder of src/ includes only from itself and the folders below it.
#
#   cmake -DSRC=src -P cmake/CheckLayers.cmake          checks, fails naming every upward include
#   cmake -DSRC=src -DGRAPH=ON -P cmake/CheckLayers.cmake   also prints the folder include graph
#
# The build runs the check before it compiles any layer, so an upward include fails the build.
#
# Every form of include is looked at: "view/x.h" and <view/x.h> name a file under src/ (the one
# include folder); a quoted path with a ./ or ../ in it is resolved against the including
# file's folder ("../view/x.h" from src/race/ is src/view/x.h, from src/race/tracks/ it is
# src/race/view/x.h). The layer is the first folder of the path under src/; paths that leave
# src/ or name no layer (<QString>, <gtest/gtest.h>, "tracks/readers.h") are not layers.

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

# layer_of_include(<var> <file> <path> <quoted>): the layer an include of <path> in <file>
# (relative to SRC) reaches, or empty; in <var>_resolved the path under SRC when it differs
# from <path>.
function(layer_of_include var file path quoted)
  set(${var} "" PARENT_SCOPE)
  set(${var}_resolved "" PARENT_SCOPE)
  if(quoted AND path MATCHES "(^|/)\\.\\.?/")
    get_filename_component(folder "${SRC}/${file}" DIRECTORY)
    cmake_path(APPEND folder "${path}" OUTPUT_VARIABLE full)
  else()
    cmake_path(APPEND SRC "${path}" OUTPUT_VARIABLE full)
  endif()
  cmake_path(NORMAL_PATH full)
  cmake_path(RELATIVE_PATH full BASE_DIRECTORY "${SRC}" OUTPUT_VARIABLE under)
  if(under MATCHES "^\\.\\./" OR NOT under MATCHES "^([^/]+)/")
    return()
  endif()
  if(DEFINED rank_${CMAKE_MATCH_1})
    set(${var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
    if(NOT under STREQUAL path)
      set(${var}_resolved "${under}" PARENT_SCOPE)
    endif()
  endif()
endfunction()

set(errors "")
set(edges "")
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
list(SORT files)
set(include_line "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
foreach(f IN LISTS files)
  string(REGEX MATCH "^[^/]+" from "${f}")
  if(NOT DEFINED rank_${from})
    list(APPEND errors "${f}: folder '${from}' is not a known layer (add it to cmake/CheckLayers.cmake)")
    continue()
  endif()
  file(STRINGS "${SRC}/${f}" includes REGEX "${include_line}")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "${include_line}" line "${line}")
    string(STRIP "${line}" line)
    set(quoted OFF)
    if(CMAKE_MATCH_1 STREQUAL "\"")
      set(quoted ON)
    endif()
    layer_of_include(to "${f}" "${CMAKE_MATCH_2}" ${quoted})
    if(to STREQUAL "" OR to STREQUAL from)
      continue()
    endif()
    list(APPEND edges "${from} -> ${to}")
    if(NOT rank_${to} LESS rank_${from})
      if(to_resolved)
        string(APPEND line " (${to_resolved})")
      endif()
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
