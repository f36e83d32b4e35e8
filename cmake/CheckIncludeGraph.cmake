cmake_minimum_required(VERSION 3.22)

# Fails when a product source file includes upwards: a folder that its own folder's library does
# not link, a test, or a path that climbs out of its folder with "../". Run by ctest (include_graph)
# and scripts/lint.sh:  cmake -DSOURCE_DIR=<source tree> -P cmake/CheckIncludeGraph.cmake

# Which folders each folder builds on directly; a folder may include itself and everything these
# reach. The test folders, bench/ and fuzz/ sit on top and may include anything.
set(uses_framework "")
set(uses_dsp "")
set(uses_params framework)
set(uses_engine params dsp framework)
set(uses_editor engine params framework)
set(uses_host engine framework)
set(uses_formats engine editor params framework)
set(uses_plugin host engine editor)
set(uses_tools "")
set(checked_folders framework dsp params engine editor host formats plugin tools)
set(include_prefixes ${checked_folders} tests bench fuzz)
# Single headers a folder may include without building on their folder: the render tool talks to a
# plug-in only through the VST 2 interface declarations.
set(also_tools host/Vst2Interface.h)

function(reachable_from folder result)
  set(reached ${folder})
  set(queue ${uses_${folder}})
  while(queue)
    list(POP_FRONT queue next)
    if(NOT next IN_LIST reached)
      list(APPEND reached ${next})
      list(APPEND queue ${uses_${next}})
    endif()
  endwhile()
  set(${result} ${reached} PARENT_SCOPE)
endfunction()

set(violations "")
foreach(folder IN LISTS checked_folders)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder})
    continue()
  endif()
  reachable_from(${folder} allowed)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*$" "\\1" path "${line}")
      if(path MATCHES "\\.\\./")
        list(APPEND violations "${source}: ${path} (climbs out of its folder)")
      elseif(folder STREQUAL "dsp" AND path MATCHES "^juce")
        list(APPEND violations "${source}: ${path} (dsp/ is plain C++)")
      elseif(path MATCHES "^([A-Za-z0-9_]+)/")
        set(prefix ${CMAKE_MATCH_1})
        if(prefix IN_LIST include_prefixes AND NOT prefix IN_LIST allowed
           AND NOT path IN_LIST also_${folder})
          list(APPEND violations "${source}: ${path}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " listed)
  message(FATAL_ERROR "Includes against the layering:\n  ${listed}")
endif()
message(STATUS "Include graph: every include runs downwards")
