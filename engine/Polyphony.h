#pragma once

#include "engine/VoicePool.h"

namespace brumalux
{

// How many voices may sound at once: a setting of the organ, not an automatable parameter, saved with its
// state when it is not the default. The default is the whole voice pool, where a note beyond it is not
// played. A smaller limit keeps a small processor within its time: a new note then takes a voice
// (VoicePool::VoiceToTake).
namespace Polyphony
{
constexpr int minVoices = 8;
constexpr int maxVoices = VoicePool::capacity;
constexpr int defaultVoices = maxVoices;

constexpr bool IsValid(int voices)
{
    return voices >= minVoices && voices <= maxVoices;
}
} // namespace Polyphony

} // namespace brumalux
