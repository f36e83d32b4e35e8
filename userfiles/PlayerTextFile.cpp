#include "userfiles/PlayerTextFile.h"

#include <cstring>
#include <limits>

namespace brumalux
{

namespace
{
juce::String Quoted(const juce::File& file)
{
    return "\"" + file.getFullPathName() + "\"";
}

juce::Result WriteFailure(const juce::File& file, const juce::String& reason)
{
    return juce::Result::fail(PlayerTextFile::Describe(file, {0, "cannot be written: " + reason}));
}

juce::String Sentence(const juce::String& reason)
{
    return reason.endsWithChar('.') ? reason : reason + ".";
}
} // namespace

std::optional<juce::String> PlayerTextFile::AsText(const void* data, size_t size)
{
    if (size == 0)
        return juce::String();
    const auto* characters = static_cast<const char*>(data);
    if (size > static_cast<size_t>(std::numeric_limits<int>::max()) ||
        std::memchr(characters, 0, size) != nullptr ||
        !juce::CharPointer_UTF8::isValidString(characters, static_cast<int>(size)))
        return std::nullopt;
    return juce::String::fromUTF8(characters, static_cast<int>(size));
}

juce::String PlayerTextFile::Describe(const juce::File& file, const TextFault& fault)
{
    const auto where = fault.line > 0 ? Quoted(file) + ", line " + juce::String(fault.line) : Quoted(file);
    return where + ": " + Sentence(fault.reason);
}

FileReading<juce::MemoryBlock> PlayerTextFile::ReadBytes(const juce::File& file, const PlayerFileKind& kind)
{
    const auto failure = [&file](const juce::String& reason) {
        return FileReading<juce::MemoryBlock>{std::nullopt, Describe(file, {0, reason})};
    };
    const auto tooLarge = juce::String("too large for a ") + kind.name + " (over " +
                          juce::String(kind.largestSize / 1024) + " KB)";
    if (!file.existsAsFile())
        return failure("no such file");
    if (file.getSize() > kind.largestSize)
        return failure(tooLarge);
    juce::FileInputStream stream(file);
    if (stream.failedToOpen())
        return failure("cannot be read (" + stream.getStatus().getErrorMessage() + ")");
    juce::MemoryBlock bytes;
    // Read no further than the limit, should the file have grown since it was measured.
    stream.readIntoMemoryBlock(bytes, kind.largestSize + 1);
    if (static_cast<juce::int64>(bytes.getSize()) > kind.largestSize)
        return failure(tooLarge);
    return {std::move(bytes), {}};
}

juce::Result PlayerTextFile::WriteText(const juce::File& file, const juce::String& text)
{
    if (const auto made = file.getParentDirectory().createDirectory(); made.failed())
        return WriteFailure(file, "its folder cannot be made (" + made.getErrorMessage() + ")");
    const juce::TemporaryFile temporary(file);
    {
        juce::FileOutputStream stream(temporary.getFile());
        if (stream.failedToOpen())
            return WriteFailure(file, stream.getStatus().getErrorMessage());
        stream.writeText(text, false, false, "\n");
        stream.flush();
        if (stream.getStatus().failed())
            return WriteFailure(file, stream.getStatus().getErrorMessage());
    }
    if (!temporary.overwriteTargetFileWithTemporary())
        return WriteFailure(file, "the folder may be read-only or the disk full");
    return juce::Result::ok();
}

std::optional<KeyValueLine> KeyValueLine::Parse(const juce::String& line)
{
    if (!line.containsChar('='))
        return std::nullopt;
    return KeyValueLine{line.upToFirstOccurrenceOf("=", false, false).trim(),
                        line.fromFirstOccurrenceOf("=", false, false).trim()};
}

} // namespace brumalux
