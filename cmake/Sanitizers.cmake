# Sanitizer and fuzzing instrumentation apply to every target, JUCE included, so that
# containers and buffers are checked on both sides of every call.
if(BRUMALUX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()

if(BRUMALUX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "BRUMALUX_FUZZ needs clang (libFuzzer)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# brumalux_signal_path(<target>): <target> computes audio sample by sample. Its comparisons are
# loop bounds and levels that no input byte sets directly, so the fuzzers do not trace them:
# tracing them cost a third of a host-call fuzzing run. Their edges are still covered.
function(brumalux_signal_path target)
  if(BRUMALUX_FUZZ)
    target_compile_options(${target} PRIVATE -fno-sanitize-coverage=trace-cmp)
  endif()
endfunction()
