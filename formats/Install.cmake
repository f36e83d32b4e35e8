# Where `cmake --install` puts the three forms: where their hosts and desktops look,
# for the installing user, or for everyone when installing as root.
set(BRUMALUX_VST3_INSTALL_DIR "" CACHE PATH "Folder for Brumalux.vst3 (empty: ~/.vst3, or /usr/local/lib/vst3 as root)")
set(BRUMALUX_LV2_INSTALL_DIR "" CACHE PATH "Folder for Brumalux.lv2 (empty: ~/.lv2, or /usr/local/lib/lv2 as root)")
set(BRUMALUX_APP_INSTALL_PREFIX "" CACHE PATH
  "Prefix for the standalone program, its menu entry and icon (empty: ~/.local, or /usr/local as root)")

# brumalux_install_for_user_or_root(<what> <chosen dir> <user dir under $HOME> <root dir>)
# Installs the files or folders <what> (a list; folders are copied whole) at install time.
function(brumalux_install_for_user_or_root what chosen user_dir root_dir)
  install(CODE "
    set(destination \"${chosen}\")
    if(NOT destination)
      execute_process(COMMAND id -u OUTPUT_VARIABLE user_id OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(user_id STREQUAL \"0\")
        set(destination \"${root_dir}\")
      else()
        set(destination \"\$ENV{HOME}/${user_dir}\")
      endif()
    endif()
    file(INSTALL ${what} DESTINATION \"\${destination}\" USE_SOURCE_PERMISSIONS)
  ")
endfunction()

brumalux_install_for_user_or_root("\"${BRUMALUX_VST3_BUNDLE}\"" "${BRUMALUX_VST3_INSTALL_DIR}" .vst3 /usr/local/lib/vst3)
brumalux_install_for_user_or_root("\"${BRUMALUX_LV2_BUNDLE}\"" "${BRUMALUX_LV2_INSTALL_DIR}" .lv2 /usr/local/lib/lv2)

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
