#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace brumalux
{

// One "key = value" line, as presets and the editor's settings hold them: split at the
// first "=", both sides trimmed. None for a line without "=".
struct KeyValueLine
{
    juce::String key;
    juce::String value;

    static std::optional<KeyValueLine> Parse(const juce::String& line);
};

} // namespace brumalux
