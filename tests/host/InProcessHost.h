#pragma once

#include "FakeInstrument.h"
#include "host/JuceVSTWrapper.h"
#include "hostcore/SharedMessageThread.h"
#include "vst2host/PluginInstance.h"

#include <memory>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;

// A wrapper around a fake instrument with the given options, created in this process as the entry
// point creates one, and hosted by the host library (which closes it as effClose does).
inline std::unique_ptr<PluginInstance> HostWrapped(FakeInstrument::Options options)
{
    return std::make_unique<PluginInstance>(
        [options](vst2::HostCallback callback)
        {
            const ScopedHostMessageThread messageThread;
            return (new JuceVSTWrapper(callback, std::make_unique<FakeInstrument>(options)))->GetEffect();
        });
}

} // namespace brumalux
