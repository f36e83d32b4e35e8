#pragma once

#include "Vst2Interface.h"

// What the exported entry point does: creates one instance for the host and answers its
// effect record, or null when the host gives no VST version or the instance cannot be
// created (then nothing is left behind). Never throws. Host's control thread.
vst2::AEffect* CreateVst2Instance(vst2::HostCallback host) noexcept;
