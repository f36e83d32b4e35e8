# The JUCE modules that only the VST3, LV2 and standalone forms need (audio processors,
# audio devices, audio utilities and the extra GUI classes they depend on), compiled once
# into a static library on top of brumalux_juce. The modules brumalux_juce already holds
# are not compiled again, so the formats link the same JUCE code as the VST 2 plug-in.
#
# brumalux_add_juce_plugin_modules(<target> [HOSTING])
# HOSTING builds only the processors module, with VST3 and LV2 hosting, for test hosts.
function(brumalux_add_juce_plugin_modules target)
  cmake_parse_arguments(ARG "HOSTING" "" "" ${ARGN})
  get_target_property(modules juce::juce_core INTERFACE_JUCE_MODULE_PATH)
  if(NOT modules)
    set(modules /usr/share/juce/modules)
  endif()
  add_library(${target} STATIC
    ${modules}/juce_gui_extra/juce_gui_extra.cpp
    ${modules}/juce_audio_processors/juce_audio_processors.cpp)
  target_link_libraries(${target} PUBLIC brumalux_juce)
  target_compile_definitions(${target} PUBLIC
    JUCE_MODULE_AVAILABLE_juce_gui_extra=1 JUCE_MODULE_AVAILABLE_juce_audio_processors=1)
  if(ARG_HOSTING)
    target_sources(${target} PRIVATE ${modules}/juce_audio_processors/juce_audio_processors_lv2_libs.cpp)
    # JUCE's LV2 hosting calls through function types of its own: the LV2 libraries inside
    # it (C code, compiled here as C++) pass callbacks as functions taking void*, as C
    # allows, and it calls a plug-in's UI entry as answering a non-const descriptor. Clang's
    # check of function types at indirect calls would stop every LV2 test in JUCE's code.
    if(BRUMALUX_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      target_compile_options(${target} PRIVATE -fno-sanitize=function)
    endif()
    target_compile_definitions(${target} PUBLIC JUCE_PLUGINHOST_VST3=1 JUCE_PLUGINHOST_LV2=1)
  else()
    target_sources(${target} PRIVATE
      ${modules}/juce_audio_devices/juce_audio_devices.cpp
      ${modules}/juce_audio_utils/juce_audio_utils.cpp)
    target_compile_definitions(${target} PUBLIC
      JUCE_MODULE_AVAILABLE_juce_audio_devices=1 JUCE_MODULE_AVAILABLE_juce_audio_utils=1
      JUCE_MODULE_AVAILABLE_juce_audio_plugin_client=1
      # The VST3 form is a plug-in of its own, with its own class id.
      JUCE_VST3_CAN_REPLACE_VST2=0)
    if(WIN32)
      # The audio device types JUCE offers under MinGW (ASIO needs Steinberg's SDK).
      target_compile_definitions(${target} PUBLIC JUCE_WASAPI=1 JUCE_DIRECTSOUND=1 JUCE_ASIO=0)
    else()
      target_compile_definitions(${target} PUBLIC JUCE_ALSA=1 JUCE_JACK=1 JUCE_JACK_CLIENT_NAME="Brumalux")
    endif()
  endif()
  # The VST3 interface headers and the LV2 sources that ship inside the processors module.
  target_link_libraries(${target} PUBLIC juce::juce_vst3_headers juce::juce_lilv_headers)
  if(WIN32)
    # What the audio devices module needs from Windows (MIDI and wave devices).
    target_link_libraries(${target} PRIVATE winmm)
  else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(BRUMALUX_ALSA REQUIRED IMPORTED_TARGET alsa)
    target_link_libraries(${target} PRIVATE PkgConfig::BRUMALUX_ALSA ${CMAKE_DL_LIBS})
  endif()
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
