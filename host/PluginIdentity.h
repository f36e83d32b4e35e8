#pragma once

#include "Vst2Interface.h"

namespace brumalux
{

// How the plug-in names itself to a host. The filter supplies everything else about
// itself (unique ID, channels, MIDI flags) through PluginProperties.
namespace PluginIdentity
{
constexpr const char* effectName = "Brumalux";
constexpr const char* vendorName = "Quellmark music";
// The project's version, encoded by the build (host/CMakeLists.txt).
constexpr vst2::VstInt32 vendorVersion = BRUMALUX_VST2_VENDOR_VERSION;
constexpr vst2::VstInt32 vstVersion = 2300;
constexpr vst2::VstInt32 effectRecordVersion = 1;
} // namespace PluginIdentity

} // namespace brumalux
