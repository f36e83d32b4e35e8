#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <utility>

namespace brumalux
{

// What a reader found wrong with a text: the line at fault (1 for the first, 0 when the
// fault lies in the text as a whole) and why, in words for the player.
struct TextFault
{
    int line = 0;
    juce::String reason;
};

// A reader's answer for a text: the value, or the fault that stopped it.
template <typename Value> struct TextReading
{
    std::optional<Value> value;
    TextFault fault;
};

// A player's file read: the value, or a message for the player that names the file (and
// the line at fault, when there is one).
template <typename Value> struct FileReading
{
    std::optional<Value> value;
    juce::String error;
};

// One kind of the player's files: what messages call it, and the size beyond which a
// file cannot be one (so a wrong choice of file never fills the memory).
struct PlayerFileKind
{
    const char* name;
    juce::int64 largestSize;
};

// How every file the player keeps is read and written: presets, controller maps, the
// editor's and the standalone program's settings. Reading takes the whole file at once,
// refuses one larger than its kind allows or that is no UTF-8 text, and changes nothing
// when it fails; writing goes to a temporary file beside the target, renamed over it when
// complete, so a failure never leaves half a file. Every failure is one message:
//
//   "/home/me/.config/Brumalux/ControllerMap.txt", line 3: controller 70 is listed twice.
//
// Message thread or a host's control thread; never the audio thread.
namespace PlayerTextFile
{
// The bytes as text when they are well-formed UTF-8 without NUL characters (after a byte
// order mark, if there is one).
std::optional<juce::String> AsText(const void* data, size_t size);

// The message for a fault in the file.
juce::String Describe(const juce::File& file, const TextFault& fault);

// The file's bytes, or why they cannot be one of kind.
FileReading<juce::MemoryBlock> ReadBytes(const juce::File& file, const PlayerFileKind& kind);

// What parse (juce::String -> TextReading<Value>) makes of the bytes, once they are text.
template <typename Value, typename Parse>
TextReading<Value> FromBytes(const void* data, size_t size, Parse&& parse)
{
    const auto text = AsText(data, size);
    if (!text)
        return {std::nullopt, {0, "not a text file"}};
    return std::forward<Parse>(parse)(*text);
}

// The file read whole and parsed.
template <typename Value, typename Parse>
FileReading<Value> Read(const juce::File& file, const PlayerFileKind& kind, Parse&& parse)
{
    const auto bytes = ReadBytes(file, kind);
    if (!bytes.value)
        return {std::nullopt, bytes.error};
    auto reading =
        FromBytes<Value>(bytes.value->getData(), bytes.value->getSize(), std::forward<Parse>(parse));
    if (!reading.value)
        return {std::nullopt, Describe(file, reading.fault)};
    return {std::move(reading.value), {}};
}

// Writes the text (UTF-8, "\n" line ends) whole, creating the file's folder when needed.
juce::Result WriteText(const juce::File& file, const juce::String& text);
} // namespace PlayerTextFile

// One "key = value" line, as presets and the editor's settings hold them: split at the
// first "=", both sides trimmed. None for a line without "=".
struct KeyValueLine
{
    juce::String key;
    juce::String value;

    static std::optional<KeyValueLine> Parse(const juce::String& line);
};

} // namespace brumalux
