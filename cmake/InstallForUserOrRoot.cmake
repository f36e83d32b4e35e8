# brumalux_install_for_user_or_root(<what> <chosen dir> <user dir under $HOME> <root dir>)
# Installs the files or folders <what> (a list; folders are copied whole) at install time: into
# <chosen dir> when one was configured, else where hosts and desktops look, for the installing
# user or, when installing as root, for everyone.
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
