#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

namespace brumalux::Lv2StateText
{

// The state as the LV2 form stores it: the bytes every form saves, written as text in JUCE's own
// base64 encoding ("<byte count>.<characters>"), as the form's first build wrote it into the
// projects that hold it.
juce::String Encode(const juce::MemoryBlock& state);

// Reads up to `size` bytes of `text` (a host need not count the terminating zero). False for text
// that is not such an encoding: a count that is not a plain number, is 0 or is more than the
// characters carry (JUCE would make room for whatever a damaged count says, a negative one as nearly all of
// memory), or characters outside ASCII.
bool Decode(const char* text, std::size_t size, juce::MemoryBlock& state);

} // namespace brumalux::Lv2StateText
