// The plug-in binary's entry points. Linux hosts look for either name; the version script
// keeps every other symbol of the library (JUCE's included) out of the host's sight.

#include "PluginFilterFactory.h"
#include "Vst2InstanceFactory.h"

#define BRUMALUX_EXPORT extern "C" __attribute__((visibility("default")))

BRUMALUX_EXPORT vst2::AEffect* VSTPluginMain(vst2::HostCallback host);
vst2::AEffect* VSTPluginMain(vst2::HostCallback host)
{
    return CreateVst2Instance(host, &CreateBrumalux);
}

// A C++ function cannot be called main with this signature; the label names the symbol.
BRUMALUX_EXPORT vst2::AEffect* LegacyMainEntry(vst2::HostCallback host) asm("main");
vst2::AEffect* LegacyMainEntry(vst2::HostCallback host)
{
    return CreateVst2Instance(host, &CreateBrumalux);
}
