// Shared libraries that are no usable VST 2 plug-in, built in variants of this source:
// BROKEN_NO_ENTRY exports a function but no entry point, BROKEN_BAD_MAGIC answers a record
// with the wrong magic number, BROKEN_MAIN_ONLY exports only "main", which refuses to start.

#include "host/Vst2Interface.h"

#define EXPORTED extern "C" __attribute__((visibility("default")))

#if defined(BROKEN_NO_ENTRY)
EXPORTED int NotAPluginEntry()
{
    return 42;
}
#elif defined(BROKEN_BAD_MAGIC)
EXPORTED brumalux::vst2::AEffect* VSTPluginMain(brumalux::vst2::HostCallback)
{
    // No host may call into a record with the wrong magic, so none can close it: it is not
    // allocated, or every refusal would leak it.
    static brumalux::vst2::AEffect notAnEffect{};
    notAnEffect.magic = 0x12345678;
    return &notAnEffect;
}
#elif defined(BROKEN_MAIN_ONLY)
EXPORTED brumalux::vst2::AEffect* PluginMain(brumalux::vst2::HostCallback) asm("main");
brumalux::vst2::AEffect* PluginMain(brumalux::vst2::HostCallback)
{
    return nullptr;
}
#endif
