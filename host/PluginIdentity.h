#pragma once

#include "Vst2Interface.h"
#include "hostcore/ProductIdentity.h"

namespace brumalux
{

// How the plug-in names itself to a VST 2 host. The filter supplies everything else about
// itself (unique ID, channels, MIDI flags) through PluginProperties.
namespace PluginIdentity
{
constexpr const char* effectName = ProductIdentity::name;
constexpr const char* vendorName = ProductIdentity::vendor;
// The project's version, encoded by the build (host/CMakeLists.txt).
constexpr vst2::VstInt32 vendorVersion = BRUMALUX_VST2_VENDOR_VERSION;
constexpr vst2::VstInt32 vstVersion = 2300;
constexpr vst2::VstInt32 effectRecordVersion = 1;
} // namespace PluginIdentity

} // namespace brumalux
