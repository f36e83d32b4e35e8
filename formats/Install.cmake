# Where `cmake --install` puts the VST3 and standalone forms: where their hosts and desktops
# look, for the installing user, or for everyone when installing as root.
set(BRUMALUX_VST3_INSTALL_DIR "" CACHE PATH "Folder for Brumalux.vst3 (empty: ~/.vst3, or /usr/local/lib/vst3 as root)")
set(BRUMALUX_APP_INSTALL_PREFIX "" CACHE PATH
  "Prefix for the standalone program, its menu entry and icon (empty: ~/.local, or /usr/local as root)")

brumalux_install_for_user_or_root("\"${BRUMALUX_VST3_BUNDLE}\"" "${BRUMALUX_VST3_INSTALL_DIR}" .vst3 /usr/local/lib/vst3)

# The standalone program, its desktop entry and its icon under one prefix.
set(app_prefix "${BRUMALUX_APP_INSTALL_PREFIX}")
foreach(part "bin;\"$<TARGET_FILE:brumalux_plugin_Standalone>\""
             "share/applications;\"${CMAKE_CURRENT_SOURCE_DIR}/standalone/brumalux.desktop\""
             "share/icons/hicolor/scalable/apps;\"${CMAKE_CURRENT_SOURCE_DIR}/standalone/brumalux.svg\"")
  list(GET part 0 folder)
  list(GET part 1 file)
  set(chosen "")
  if(app_prefix)
    set(chosen "${app_prefix}/${folder}")
  endif()
  brumalux_install_for_user_or_root("${file}" "${chosen}" ".local/${folder}" "/usr/local/${folder}")
endforeach()
