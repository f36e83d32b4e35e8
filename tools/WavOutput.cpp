#include "tools/WavOutput.h"

#include "tools/RenderError.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace brumalux::render
{
WavOutput::WavOutput(const std::string& path, double sampleRate, int numChannels, int bitsPerSample)
    : file(path, "the WAV file")
{
    auto stream = file.NewStream();
    juce::WavAudioFormat wav;
    writer.reset(wav.createWriterFor(stream.get(), sampleRate, static_cast<unsigned>(numChannels),
                                     bitsPerSample, {}, 0));
    if (writer == nullptr)
        throw RenderError("cannot write " + std::to_string(numChannels) + " channels of " +
                          std::to_string(bitsPerSample) + "-bit samples to a WAV file");
    juce::ignoreUnused(stream.release()); // the writer owns it now
    file.ThrowIfFailed();
}

WavOutput::~WavOutput() = default;

void WavOutput::Write(const std::vector<float*>& channels, int numSamples)
{
    levels.Add(channels, numSamples);
    const bool written =
        writer->writeFromFloatArrays(channels.data(), static_cast<int>(channels.size()), numSamples);
    file.ThrowIfFailed();
    if (!written)
        throw RenderError("cannot write the WAV file " + file.Path() +
                          ": the WAV writer refused the samples");
}

void WavOutput::Commit()
{
    // The writer finishes the header when it goes.
    writer.reset();
    file.Commit();
}
} // namespace brumalux::render
