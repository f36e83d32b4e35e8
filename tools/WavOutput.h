#pragma once

#include "tools/BlockRenderer.h"
#include "tools/OutputLevels.h"

#include <memory>
#include <string>

namespace juce
{
class AudioFormatWriter;
class FileOutputStream;
class TemporaryFile;
} // namespace juce

namespace render
{
// A WAV file written block by block to a hidden temporary file next to its final place and renamed
// into place by Commit, so that a failed or interrupted render never leaves a half-written file or
// spoils an older one. Destroyed without Commit, it removes the temporary file.
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
    std::string path;
    std::unique_ptr<juce::TemporaryFile> temporary;
    juce::FileOutputStream* stream = nullptr; // owned by the writer
    std::unique_ptr<juce::AudioFormatWriter> writer;
    OutputLevels levels;
};
} // namespace render
