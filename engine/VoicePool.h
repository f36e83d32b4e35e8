#pragma once

#include "engine/Voice.h"

#include <vector>

namespace brumalux
{

// The sounding voices, oldest first, in records that are allocated once (by Allocate, in the prepare
// step) and reused, so that note-ons and removals on the audio thread allocate nothing. The capacity is
// far above what any player reaches; a note-on that finds every record in use is not played. A smaller
// voice limit (the organ's polyphony) is kept by taking voices for new notes. Audio thread only, apart
// from Allocate.
class VoicePool
{
public:
    static constexpr int capacity = 256;

    // Prepare step; only the first call allocates.
    void Allocate();

    // A fresh voice appended at the end of the list, or null when every record is in use (or before
    // Allocate).
    Voice* Append();

    // The voice a new note takes once limit voices sound (voices already fading out for earlier notes
    // do not count): the oldest released one, else the oldest held one. Null below the limit.
    Voice* VoiceToTake(int limit) const;

    // Drops every voice for which shouldRemove is true; the others keep their order.
    template <typename Predicate> void RemoveIf(Predicate shouldRemove)
    {
        size_t kept = 0;
        for (Voice* voice : voices)
        {
            if (shouldRemove(*voice))
                freeRecords.push_back(voice);
            else
                voices[kept++] = voice;
        }
        voices.resize(kept);
    }

    void Clear();

    int Size() const { return static_cast<int>(voices.size()); }
    auto begin() const { return voices.begin(); }
    auto end() const { return voices.end(); }

private:
    std::vector<Voice> records;
    std::vector<Voice*> freeRecords; // room for capacity entries, reserved by Allocate
    std::vector<Voice*> voices;      // the list, oldest first; room for capacity entries
};

} // namespace brumalux
