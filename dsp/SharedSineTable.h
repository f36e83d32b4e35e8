#pragma once

namespace brumalux
{

class OscillatorShape_Base;

// The one sine wavetable of the process (192 kHz resolution, 3839 intervals), from which every sine-based
// shape builds its own wave. It is built when the library loads, before any plug-in instance exists, and
// is only read afterwards, so any thread may read it.
const OscillatorShape_Base& SharedSineTable();

// sin(2 pi phase) read from the shared table, for any phase.
float SharedSine(float phase);

} // namespace brumalux
