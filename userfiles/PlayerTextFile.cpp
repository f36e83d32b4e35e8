#include "userfiles/PlayerTextFile.h"

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

// The length of the well-formed UTF-8 sequence at bytes (RFC 3629: no overlong forms, no
// surrogates, nothing beyond U+10FFFF); 0 for anything else. JUCE's own check lets such
// sequences through, and its strings then miscount their bytes.
size_t SequenceLength(const unsigned char* bytes, size_t available)
{
    const unsigned char lead = bytes[0];
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char lowest = 0x80, highest = 0xbf; // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
    {
        length = 3;
        lowest = lead == 0xe0 ? 0xa0 : lowest;
        highest = lead == 0xed ? 0x9f : highest;
    }
    else if (lead >= 0xf0 && lead <= 0xf4)
    {
        length = 4;
        lowest = lead == 0xf0 ? 0x90 : lowest;
        highest = lead == 0xf4 ? 0x8f : highest;
    }
    if (length == 0 || available < length || bytes[1] < lowest || bytes[1] > highest)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if ((bytes[i] & 0xc0) != 0x80)
            return 0;
    return length;
}

// UTF-8 text without NUL characters.
bool IsText(const unsigned char* bytes, size_t size)
{
    for (size_t at = 0; at < size;)
    {
        const auto length = bytes[at] == 0 ? 0 : SequenceLength(bytes + at, size - at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}
} // namespace

std::optional<juce::String> PlayerTextFile::AsText(const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    // Windows editors start UTF-8 files with a byte order mark.
    if (size >= 3 && bytes[0] == 0xef && bytes[1] == 0xbb && bytes[2] == 0xbf)
    {
        bytes += 3;
        size -= 3;
    }
    if (size > static_cast<size_t>(std::numeric_limits<int>::max()) || !IsText(bytes, size))
        return std::nullopt;
    return juce::String::fromUTF8(reinterpret_cast<const char*>(bytes), static_cast<int>(size));
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
