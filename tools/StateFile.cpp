#include "tools/StateFile.h"

#include "tools/OutputPath.h"
#include "tools/RenderError.h"

#include <juce_core/juce_core.h>

namespace render
{
std::vector<uint8_t> ReadStateFile(const std::string& path)
{
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);
    if (!file.existsAsFile())
        throw RenderError("state file not found: " + path);
    juce::MemoryBlock bytes;
    if (!file.loadFileAsData(bytes))
        throw RenderError("cannot read the state file " + path);
    if (bytes.isEmpty())
        throw RenderError("the state file " + path + " is empty");
    const auto* data = static_cast<const uint8_t*>(bytes.getData());
    return {data, data + bytes.getSize()};
}

void WriteStateFile(const std::string& path, const std::vector<uint8_t>& state)
{
    CheckOutputPath(path, "the state file");
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);
    juce::TemporaryFile temporary(file, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream stream(temporary.getFile());
        const bool written = !stream.failedToOpen() && stream.write(state.data(), state.size());
        stream.flush();
        if (!written || stream.getStatus().failed())
            throw RenderError("cannot write the state file " + path + ": " +
                              stream.getStatus().getErrorMessage().toStdString());
    }
    if (!temporary.overwriteTargetFileWithTemporary())
        throw RenderError("cannot move the state file into place as " + path);
}
} // namespace render
