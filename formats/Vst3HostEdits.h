#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <mutex>
#include <vector>

namespace Steinberg
{
class FUnknown;
namespace Vst
{
class IComponentHandler;
} // namespace Vst
} // namespace Steinberg

namespace brumalux
{

class OrganParameter;

// The VST3 host's edit interface, which JUCE's VST3 client hands the organ (no other form
// has one). A program the host chooses, or a state it loads, from its own thread is told
// to it here, as values the host itself set, inside the host's call: JUCE's client tells a host only from
// JUCE's message thread, which on Linux is a thread of the client's own until an editor opens, and values
// that arrive after the host's call read to it as the user's edit (a program just chosen shows as modified).
class Vst3HostEdits
{
public:
    Vst3HostEdits() = default;
    ~Vst3HostEdits();
    Vst3HostEdits(const Vst3HostEdits&) = delete;
    Vst3HostEdits& operator=(const Vst3HostEdits&) = delete;

    // The host's thread; null forgets the host.
    void SetHandler(Steinberg::FUnknown* handler);
    // Tells the host each parameter's value. The host's thread, never the audio thread.
    void Report(const std::vector<OrganParameter*>& parameters);

    // The id JUCE's VST3 client gives a parameter: the hash of its JUCE id, without the
    // sign bit (the client's default, which some hosts need).
    static unsigned int ParameterId(const juce::AudioProcessorParameterWithID& parameter);

private:
    std::mutex mutex;
    Steinberg::Vst::IComponentHandler* handler = nullptr;
};

} // namespace brumalux
