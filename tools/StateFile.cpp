#include "tools/StateFile.h"

#include "tools/OutputFile.h"
#include "tools/RenderError.h"

#include <juce_core/juce_core.h>

namespace brumalux::render
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
    OutputFile file(path, "the state file");
    file.NewStream()->write(state.data(), state.size());
    file.Commit();
}
} // namespace brumalux::render
