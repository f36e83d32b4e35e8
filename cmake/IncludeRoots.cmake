# Every library exports one include root of its own: a folder in the build tree that holds a single
# symbolic link, named like the source folder and pointing at it. So `#include "engine/Brumalux.h"`
# resolves for the engine itself and for whatever links it, and for nothing else; a file that
# includes a folder its library does not link fails to compile.
set(BRUMALUX_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include-roots)

function(brumalux_link_into_root root source name)
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${name})
    file(CREATE_LINK ${source} ${root}/${name} SYMBOLIC)
  endif()
endfunction()

# brumalux_export_folder(<target> <folder>): <target> owns the source folder <folder>.
function(brumalux_export_folder target folder)
  set(root ${BRUMALUX_INCLUDE_ROOTS}/${folder})
  brumalux_link_into_root(${root} ${CMAKE_SOURCE_DIR}/${folder} ${folder})
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# The VST 2 interface declarations alone, as `host/Vst2Interface.h`, for code that talks to a
# plug-in binary from outside (the render tool) and shares nothing else with the plug-in.
add_library(brumalux_vst2_interface INTERFACE)
brumalux_link_into_root(${BRUMALUX_INCLUDE_ROOTS}/vst2-interface/host
  ${CMAKE_SOURCE_DIR}/host/Vst2Interface.h Vst2Interface.h)
target_include_directories(brumalux_vst2_interface INTERFACE ${BRUMALUX_INCLUDE_ROOTS}/vst2-interface)

# The include graph: which folders each folder's files may include. A ctest test fails on any
# include that runs upwards.
function(brumalux_add_include_graph_test)
  add_test(NAME include_graph
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludeGraph.cmake)
endfunction()
