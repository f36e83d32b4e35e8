#include "Lv2StateText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brumalux::Lv2StateText
{

namespace
{
// Ten digits hold any count an int can; JUCE reads the count as an int. A state is never empty.
constexpr std::size_t longestCount = 10;
constexpr int bitsPerCharacter = 6;

bool ReadCount(std::string_view digits, std::uint64_t& count)
{
    if (digits.empty() || digits.size() > longestCount)
        return false;
    count = 0;
    for (const char digit : digits)
    {
        if (digit < '0' || digit > '9')
            return false;
        count = count * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    return count > 0;
}
} // namespace

juce::String Encode(const juce::MemoryBlock& state)
{
    return state.toBase64Encoding();
}

bool Decode(const char* text, std::size_t size, juce::MemoryBlock& state)
{
    const std::string_view whole(text, strnlen(text, size));
    const auto dot = whole.find('.');
    std::uint64_t count = 0;
    if (dot == std::string_view::npos || !ReadCount(whole.substr(0, dot), count))
        return false;
    const auto characters = whole.substr(dot + 1);
    if (std::any_of(characters.begin(), characters.end(), [](char c) { return (c & 0x80) != 0; }) ||
        count > characters.size() * bitsPerCharacter / 8)
        return false;
    return state.fromBase64Encoding(juce::String(whole.data(), whole.size()));
}

} // namespace brumalux::Lv2StateText
