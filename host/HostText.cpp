#include "HostText.h"

#include <cstring>

namespace HostText
{
namespace
{
bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xc0) == 0x80;
}

// The length of text cut to at most maxBytes without splitting a UTF-8 sequence.
size_t CutLength(const char* utf8, size_t length, size_t maxBytes)
{
    if (length <= maxBytes)
        return length;
    auto cut = maxBytes;
    while (cut > 0 && IsContinuationByte(utf8[cut]))
        --cut;
    return cut;
}
} // namespace

bool CopyToHost(void* destination, const juce::String& text, int maxChars)
{
    if (destination == nullptr)
        return false;
    auto* out = static_cast<char*>(destination);
    const auto utf8 = text.toRawUTF8();
    const auto length = CutLength(utf8, std::strlen(utf8), static_cast<size_t>(juce::jmax(0, maxChars)));
    std::memcpy(out, utf8, length);
    out[length] = 0;
    return true;
}

juce::String ReadFromHost(const void* source, int maxChars)
{
    if (source == nullptr || maxChars <= 0)
        return {};
    const auto* bytes = static_cast<const char*>(source);
    const auto length = strnlen(bytes, static_cast<size_t>(maxChars));
    if (juce::CharPointer_UTF8::isValidString(bytes, static_cast<int>(length)))
        return juce::String::fromUTF8(bytes, static_cast<int>(length));

    juce::String latin1;
    latin1.preallocateBytes(length * 2);
    for (size_t i = 0; i < length; ++i)
        latin1 += static_cast<juce::juce_wchar>(static_cast<unsigned char>(bytes[i]));
    return latin1;
}

bool Equals(const void* hostText, const char* expected)
{
    if (hostText == nullptr)
        return false;
    // strncmp stops at the first difference, so a host text without a final zero is never
    // read further than one byte past the expected text.
    return std::strncmp(static_cast<const char*>(hostText), expected, std::strlen(expected) + 1) == 0;
}
} // namespace HostText
