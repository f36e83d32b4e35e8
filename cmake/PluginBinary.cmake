# brumalux_plugin_binary(<target> <exports map>): a plug-in binary that a host loads beside others
# built on the same toolkit. Only the entry points the version script names leave it (visibility
# presets alone leak symbols), and it links completely.
function(brumalux_plugin_binary target exports)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${exports})
  target_link_options(${target} PRIVATE -Wl,--version-script=${exports})
  # Clang leaves the sanitizer and coverage runtimes undefined in shared libraries; the
  # executable that loads the plug-in provides them.
  if(NOT ((BRUMALUX_SANITIZE OR BRUMALUX_FUZZ) AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  brumalux_warnings(${target})
endfunction()
