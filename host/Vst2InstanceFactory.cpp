#include "Vst2InstanceFactory.h"

#include "JuceVSTWrapper.h"
#include "hostcore/JuceRuntimeHolder.h"
#include "hostcore/SharedMessageThread.h"

namespace brumalux
{

vst2::AEffect* CreateVst2Instance(vst2::HostCallback host, FilterFactory createFilter) noexcept
{
    if (host == nullptr || createFilter == nullptr)
        return nullptr;
    try
    {
        const ScopedHostMessageThread messageThread;
        // Keeps JUCE up while we talk to the host; if no instance comes of it, JUCE and
        // the message loop go away with it.
        const JuceRuntimeHolder runtime;
        if (host(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;
        std::unique_ptr<AudioFilterBase> filter(createFilter());
        if (filter == nullptr)
            return nullptr;
        return (new JuceVSTWrapper(host, std::move(filter)))->GetEffect();
    }
    catch (...)
    {
        return nullptr;
    }
}

} // namespace brumalux
