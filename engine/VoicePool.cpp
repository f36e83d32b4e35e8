#include "engine/VoicePool.h"

namespace brumalux
{

void VoicePool::Allocate()
{
    if (!records.empty())
        return;
    records.resize(capacity);
    freeRecords.reserve(capacity);
    voices.reserve(capacity);
    // Handed out from the back: the first voice gets the first record.
    for (auto record = records.rbegin(); record != records.rend(); ++record)
        freeRecords.push_back(&*record);
}

Voice* VoicePool::Append()
{
    if (freeRecords.empty())
        return nullptr;
    Voice* voice = freeRecords.back();
    freeRecords.pop_back();
    *voice = Voice();
    voices.push_back(voice);
    return voice;
}

Voice* VoicePool::VoiceToTake(int limit) const
{
    int sounding = 0;
    Voice* oldestReleased = nullptr;
    Voice* oldestHeld = nullptr;
    for (Voice* voice : voices)
    {
        if (voice->IsFadingOut())
            continue;
        ++sounding;
        Voice*& oldest = voice->IsReleased() ? oldestReleased : oldestHeld;
        if (oldest == nullptr)
            oldest = voice;
    }
    if (sounding < limit)
        return nullptr;
    return oldestReleased != nullptr ? oldestReleased : oldestHeld;
}

void VoicePool::Clear()
{
    RemoveIf([](const Voice&) { return true; });
}

} // namespace brumalux
