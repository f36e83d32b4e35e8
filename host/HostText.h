#pragma once

#include <juce_core/juce_core.h>

namespace brumalux
{

// Text exchanged with the host through raw char buffers. The host promises room for a
// stated number of characters plus the final zero; nothing more may be written or read.
namespace HostText
{
// The most characters ever copied into a host buffer, by kind of text.
constexpr int maxParameterNameChars = 8;
constexpr int maxParameterDisplayChars = 64;
constexpr int maxProgramNameChars = 24;
constexpr int maxNameStringChars = 64; // effect, product and vendor names

// Writes at most maxChars bytes of text and a zero byte. A multi-byte character that does
// not fit whole is left out. Answers false (writing nothing) when destination is null.
bool CopyToHost(void* destination, const juce::String& text, int maxChars);

// Reads a host text of at most maxChars bytes (less when a zero byte comes first). Bytes
// that are not valid UTF-8 are taken as Latin-1. A null pointer reads as empty text.
juce::String ReadFromHost(const void* source, int maxChars);

// Whether the host's text equals the given one as a whole. A null pointer equals nothing.
bool Equals(const void* hostText, const char* expected);
} // namespace HostText

} // namespace brumalux
