#include "Vst3HostEdits.h"

#include "OrganParameter.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wshadow", "-Wold-style-cast", "-Wcast-align", "-Wsign-conversion",
                                    "-Wzero-as-null-pointer-constant", "-Wextra-semi", "-Wnon-virtual-dtor",
                                    "-Wuseless-cast", "-Wpedantic", "-Wconversion")
#include <pluginterfaces/vst/ivsteditcontroller.h>
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

namespace brumalux
{

Vst3HostEdits::~Vst3HostEdits()
{
    SetHandler(nullptr);
}

void Vst3HostEdits::SetHandler(Steinberg::FUnknown* newHandler)
{
    // JUCE's client hands over the host's IComponentHandler itself (no interface query: the
    // interface ids are defined only inside the VST3 client).
    auto* found = static_cast<Steinberg::Vst::IComponentHandler*>(newHandler);
    if (found != nullptr)
        found->addRef();
    const std::lock_guard<std::mutex> lock(mutex);
    if (handler != nullptr)
        handler->release();
    handler = found;
}

void Vst3HostEdits::Report(const std::vector<OrganParameter*>& parameters)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (handler == nullptr)
        return;
    for (auto* parameter : parameters)
        handler->performEdit(ParameterId(*parameter), static_cast<double>(parameter->getValue()));
}

unsigned int Vst3HostEdits::ParameterId(const juce::AudioProcessorParameterWithID& parameter)
{
    constexpr unsigned int signBit = 1u << 31;
    return static_cast<unsigned int>(parameter.paramID.hashCode()) & ~signBit;
}

} // namespace brumalux
