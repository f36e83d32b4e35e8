#pragma once

#include "host/Vst2Interface.h"

namespace render
{
// What our host tells a plug-in about itself when asked.
struct HostContext
{
    double sampleRate = 44100.0;
    int blockSize = 512;
};

constexpr vst2::VstIntPtr kHostVstVersion = 2300;

// The answer to one request a plug-in sends through the host callback.
vst2::VstIntPtr HostAnswer(const HostContext& context, vst2::VstInt32 opcode, void* ptr);

// The callback handed to a plug-in's entry point. A plug-in may call it from inside its entry point,
// before its effect record is tied to a context, so the context being created is found through
// ScopedHostContext; afterwards through the record itself (AttachHostContext). A plug-in may call it
// from any of its threads: it only reads the context, which does not change while the instance lives,
// and the context in the entry point belongs to the thread that runs the entry point.
vst2::VstIntPtr HostCallback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                             vst2::VstIntPtr value, void* ptr, float opt);

// Ties an effect record to the context that answers its requests, in the field the interface
// reserves for the host.
void AttachHostContext(vst2::AEffect& effect, const HostContext& context);

// Makes a context the one that answers while a plug-in's entry point runs.
class ScopedHostContext
{
public:
    explicit ScopedHostContext(const HostContext& context);
    ~ScopedHostContext();
    ScopedHostContext(const ScopedHostContext&) = delete;
    ScopedHostContext& operator=(const ScopedHostContext&) = delete;

private:
    const HostContext* previous;
};
} // namespace render
