# The JUCE modules compiled once into one static, position-independent library with
# hidden symbols; the plug-in, the tools and the tests all link this instead of
# recompiling the modules for each target.
add_library(brumalux_juce STATIC)
target_link_libraries(brumalux_juce
  PRIVATE
    juce::juce_core juce::juce_events juce::juce_data_structures
    juce::juce_graphics juce::juce_gui_basics
    juce::juce_audio_basics juce::juce_audio_formats
  PUBLIC
    juce::juce_recommended_config_flags)
if(UNIX AND NOT APPLE)
  target_link_libraries(brumalux_juce PRIVATE juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
elseif(WIN32)
  # Debian's JUCE takes zlib, libpng and libjpeg from the system on every platform; for
  # Windows they are static MinGW builds (scripts/install-windows-deps.sh).
  set(ZLIB_USE_STATIC_LIBS ON)
  find_package(ZLIB REQUIRED)
  find_package(PNG REQUIRED)
  find_package(JPEG REQUIRED)
  target_link_libraries(brumalux_juce PRIVATE PNG::PNG JPEG::JPEG ZLIB::ZLIB)
endif()
target_compile_definitions(brumalux_juce
  PUBLIC
    JUCE_USE_CURL=0 JUCE_WEB_BROWSER=0 JUCE_USE_FLAC=0 JUCE_USE_OGGVORBIS=0
    JUCE_USE_MP3AUDIOFORMAT=0 JUCE_USE_LAME_AUDIO_FORMAT=0
    JUCE_MODAL_LOOPS_PERMITTED=0 JUCE_REPORT_APP_USAGE=0 JUCE_DISPLAY_SPLASH_SCREEN=0
  INTERFACE
    $<TARGET_PROPERTY:brumalux_juce,COMPILE_DEFINITIONS>)
target_include_directories(brumalux_juce SYSTEM
  INTERFACE $<TARGET_PROPERTY:brumalux_juce,INCLUDE_DIRECTORIES>)
set_target_properties(brumalux_juce PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  C_VISIBILITY_PRESET hidden
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
