#include "userfiles/KeyValueLine.h"

namespace brumalux
{

std::optional<KeyValueLine> KeyValueLine::Parse(const juce::String& line)
{
    if (!line.containsChar('='))
        return std::nullopt;
    return KeyValueLine{line.upToFirstOccurrenceOf("=", false, false).trim(),
                        line.fromFirstOccurrenceOf("=", false, false).trim()};
}

} // namespace brumalux
