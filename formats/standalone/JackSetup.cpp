#include "JackSetup.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <jack/jack.h>

namespace brumalux
{

void JackSetup::SilenceLibjack()
{
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
}

juce::String JackSetup::DefaultOutput()
{
    const std::unique_ptr<juce::AudioIODeviceType> jack(
        juce::AudioIODeviceType::createAudioIODeviceType_JACK());
    if (jack == nullptr)
        return {};
    jack->scanForDevices();
    const auto outputs = jack->getDeviceNames(false);
    return outputs[jack->getDefaultDeviceIndex(false)];
}

} // namespace brumalux
