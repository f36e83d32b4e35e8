#pragma once

#include <cmath>

namespace brumalux
{

// Note 81 is the 440 Hz reference (not 69): the organ's lowest drawbar sounds an octave below the key.
inline double NoteFrequency(int noteNumber)
{
    return 440.0 * std::exp2((noteNumber - 81) / 12.0);
}

} // namespace brumalux
