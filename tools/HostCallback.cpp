#include "tools/HostCallback.h"

#include <cstring>

namespace render
{
namespace
{
thread_local const HostContext* contextInEntry = nullptr;

// What our host can do for a plug-in: it plays MIDI to it and nothing else.
vst2::VstIntPtr CanDo(const char* feature)
{
    if (feature == nullptr)
        return 0;
    if (std::strcmp(feature, "sendVstEvents") == 0 || std::strcmp(feature, "sendVstMidiEvent") == 0)
        return 1;
    return 0;
}

const HostContext* ContextOf(vst2::AEffect* effect)
{
    if (effect != nullptr && effect->resvd1 != 0)
        return reinterpret_cast<const HostContext*>(effect->resvd1);
    return contextInEntry;
}
} // namespace

vst2::VstIntPtr HostAnswer(const HostContext& context, vst2::VstInt32 opcode, void* ptr)
{
    switch (opcode)
    {
        case vst2::audioMasterVersion:
            return kHostVstVersion;
        case vst2::audioMasterCanDo:
            return CanDo(static_cast<const char*>(ptr));
        case vst2::audioMasterGetSampleRate:
            return static_cast<vst2::VstIntPtr>(context.sampleRate);
        case vst2::audioMasterGetBlockSize:
            return context.blockSize;
        case vst2::audioMasterWantMidi:
            return 1;
        // Accepted and nothing to do: automation is not recorded, and idle time is the plug-in's own.
        case vst2::audioMasterAutomate:
        case vst2::audioMasterIdle:
        default:
            return 0;
    }
}

vst2::VstIntPtr HostCallback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr,
                             void* ptr, float)
{
    const HostContext* context = ContextOf(effect);
    if (context == nullptr)
        return opcode == vst2::audioMasterVersion ? kHostVstVersion : 0;
    return HostAnswer(*context, opcode, ptr);
}

void AttachHostContext(vst2::AEffect& effect, const HostContext& context)
{
    effect.resvd1 = reinterpret_cast<vst2::VstIntPtr>(&context);
}

ScopedHostContext::ScopedHostContext(const HostContext& context) : previous(contextInEntry)
{
    contextInEntry = &context;
}

ScopedHostContext::~ScopedHostContext()
{
    contextInEntry = previous;
}
} // namespace render
