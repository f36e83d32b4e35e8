#pragma once

#include "tools/BlockRenderer.h"
#include "tools/OutputFile.h"
#include "tools/OutputLevels.h"

#include <memory>
#include <string>

namespace juce
{
class AudioFormatWriter;
} // namespace juce

namespace brumalux::render
{
// A WAV file written block by block as an OutputFile: whole or not at all.
class WavOutput : public AudioSink
{
public:
    // bitsPerSample 16 or 24 writes integers, 32 writes floats. Throws RenderError when the file
    // cannot be written there.
    WavOutput(const std::string& path, double sampleRate, int numChannels, int bitsPerSample);
    ~WavOutput() override;

    void Write(const std::vector<float*>& channels, int numSamples) override;
    void Commit();

    const OutputLevels& Levels() const { return levels; }

private:
    OutputFile file;
    std::unique_ptr<juce::AudioFormatWriter> writer;
    OutputLevels levels;
};
} // namespace brumalux::render
