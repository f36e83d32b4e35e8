#pragma once

#include <algorithm>

namespace brumalux
{

// What the player's controllers last said, as the MIDI of the blocks leaves it. Audio thread only.
struct PerformanceControls
{
    static constexpr int swellPedal = 11;
    static constexpr int sustainPedal = 64;

    float pitchBend = 0.0f;        // -1 to just under +1: one semitone each way
    float aftertouchTarget = 0.0f; // last channel pressure, 0 to 1
    int controllers[128] = {};     // last value of every controller number
    int speakerSpeed = 0;          // the rotors' speed, 0 slow to 127 fast, as the controller map sets it

    bool PedalDown() const { return controllers[sustainPedal] != 0; }
    // Everything back to rest: no bend, no pressure, every controller at 0, the rotors slow.
    void Clear()
    {
        pitchBend = 0.0f;
        aftertouchTarget = 0.0f;
        std::fill(std::begin(controllers), std::end(controllers), 0);
        speakerSpeed = 0;
    }
};

} // namespace brumalux
