#include "tools/WavOutput.h"

#include "tools/OutputPath.h"
#include "tools/RenderError.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace render
{
namespace
{
juce::File TargetFile(const std::string& path)
{
    CheckOutputPath(path, "the WAV file");
    return juce::File::getCurrentWorkingDirectory().getChildFile(path);
}
} // namespace

WavOutput::WavOutput(const std::string& outputPath, double sampleRate, int numChannels, int bitsPerSample)
    : path(outputPath),
      temporary(
          std::make_unique<juce::TemporaryFile>(TargetFile(outputPath), juce::TemporaryFile::useHiddenFile))
{
    auto fileStream = std::make_unique<juce::FileOutputStream>(temporary->getFile());
    if (fileStream->failedToOpen())
        throw RenderError("cannot write " + path + ": " +
                          fileStream->getStatus().getErrorMessage().toStdString());
    stream = fileStream.get();

    juce::WavAudioFormat wav;
    writer.reset(wav.createWriterFor(fileStream.get(), sampleRate, static_cast<unsigned>(numChannels),
                                     bitsPerSample, {}, 0));
    if (writer == nullptr)
        throw RenderError("cannot write " + std::to_string(numChannels) + " channels of " +
                          std::to_string(bitsPerSample) + "-bit samples to a WAV file");
    juce::ignoreUnused(fileStream.release()); // the writer owns it now
}

WavOutput::~WavOutput()
{
    // Closes the stream before the temporary file, if still there, is deleted.
    writer.reset();
}

void WavOutput::Write(const std::vector<float*>& channels, int numSamples)
{
    levels.Add(channels, numSamples);
    if (!writer->writeFromFloatArrays(channels.data(), static_cast<int>(channels.size()), numSamples) ||
        stream->getStatus().failed())
        throw RenderError("writing " + path +
                          " failed: " + stream->getStatus().getErrorMessage().toStdString());
}

void WavOutput::Commit()
{
    // The buffered end of the data and the final header reach the disk here; a full disk shows now.
    writer->flush();
    stream->flush();
    if (stream->getStatus().failed())
        throw RenderError("writing " + path +
                          " failed: " + stream->getStatus().getErrorMessage().toStdString());
    writer.reset();
    if (!temporary->overwriteTargetFileWithTemporary())
        throw RenderError("cannot move the finished file into place as " + path);
}
} // namespace render
