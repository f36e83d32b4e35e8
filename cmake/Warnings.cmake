# Warnings for our own targets only, as errors; JUCE's sources are compiled with its own settings
# and its headers are system headers to us.
function(brumalux_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # g++ 12 reports false dangling pointers from inside JUCE's ListenerList.
    target_compile_options(${target} PRIVATE -Wno-dangling-pointer)
  endif()
endfunction()
