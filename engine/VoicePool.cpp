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

void VoicePool::Clear()
{
    RemoveIf([](const Voice&) { return true; });
}

} // namespace brumalux
