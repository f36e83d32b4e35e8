#include "HostText.h"

#include <string_view>

namespace brumalux
{

namespace HostText
{
namespace
{
// The host's text up to its zero byte, never looking further than maxChars bytes.
std::string_view HostBytes(const void* source, int maxChars)
{
    const std::string_view limited(static_cast<const char*>(source), static_cast<size_t>(maxChars));
    return limited.substr(0, limited.find('\0'));
}
} // namespace

bool CopyToHost(void* destination, const juce::String& text, int maxChars)
{
    if (destination == nullptr)
        return false;
    // Writes whole characters only, and always the zero byte.
    text.copyToUTF8(static_cast<char*>(destination), static_cast<size_t>(juce::jmax(0, maxChars)) + 1);
    return true;
}

juce::String ReadFromHost(const void* source, int maxChars)
{
    if (source == nullptr || maxChars <= 0)
        return {};
    const auto bytes = HostBytes(source, maxChars);
    const auto length = static_cast<int>(bytes.size());
    if (juce::CharPointer_UTF8::isValidString(bytes.data(), length))
        return juce::String::fromUTF8(bytes.data(), length);
    // Each byte as the character of the same number.
    juce::String latin1;
    latin1.appendCharPointer(juce::CharPointer_ASCII(bytes.data()),
                             juce::CharPointer_ASCII(bytes.data() + bytes.size()));
    return latin1;
}

bool Equals(const void* hostText, const char* expected)
{
    if (hostText == nullptr)
        return false;
    // One byte past the expected text is as far as the host's text needs reading: its zero, or
    // the difference.
    const std::string_view wanted(expected);
    return HostBytes(hostText, static_cast<int>(wanted.size()) + 1) == wanted;
}
} // namespace HostText

} // namespace brumalux
