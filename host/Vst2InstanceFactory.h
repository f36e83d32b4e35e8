#pragma once

#include "Vst2Interface.h"

namespace brumalux
{

class AudioFilterBase;

// Makes the filter an instance wraps; null when it cannot be created.
using FilterFactory = AudioFilterBase* (*)();

// What the exported entry point does: creates one instance for the host around a filter from
// createFilter and answers its effect record, or null when the host gives no VST version or the
// instance cannot be created (then nothing is left behind). Never throws. Host's control thread.
vst2::AEffect* CreateVst2Instance(vst2::HostCallback host, FilterFactory createFilter) noexcept;

} // namespace brumalux
