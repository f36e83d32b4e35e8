// The plug-in binary's entry points. Linux hosts look for either name; the version script
// keeps every other symbol of the library (JUCE's included) out of the host's sight.

#include "Vst2InstanceFactory.h"
#include "hostcore/PluginFilterFactory.h"

#define BRUMALUX_EXPORT extern "C" __attribute__((visibility("default")))

BRUMALUX_EXPORT brumalux::vst2::AEffect* VSTPluginMain(brumalux::vst2::HostCallback host);
brumalux::vst2::AEffect* VSTPluginMain(brumalux::vst2::HostCallback host)
{
    return brumalux::CreateVst2Instance(host, &brumalux::CreateBrumalux);
}

// A C++ function cannot be called main with this signature; the label names the symbol.
BRUMALUX_EXPORT brumalux::vst2::AEffect* LegacyMainEntry(brumalux::vst2::HostCallback host) asm("main");
brumalux::vst2::AEffect* LegacyMainEntry(brumalux::vst2::HostCallback host)
{
    return brumalux::CreateVst2Instance(host, &brumalux::CreateBrumalux);
}
