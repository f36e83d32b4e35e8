#pragma once

#include <cmath>

namespace brumalux
{

// Note 81 sounds the reference, 440 Hz untuned (not 69): the organ's lowest drawbar sounds an octave below
// the key.
inline double NoteFrequency(int noteNumber, double reference = 440.0)
{
    return reference * std::exp2((noteNumber - 81) / 12.0);
}

} // namespace brumalux
