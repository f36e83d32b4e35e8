#pragma once

#include "dsp/OscillatorShape_Base.h"

namespace brumalux
{

// The one sine wavetable of the process (192 kHz resolution, 3839 intervals), from which every sine-based
// shape builds its own wave. It is built when the library loads, before any plug-in instance exists, and
// is only read afterwards, so any thread may read it.
const OscillatorShape_Base& SharedSineTable();

// sin(2 pi phase) read from the shared table, for any phase.
float SharedSine(float phase);

// SharedSine with the table looked up once, for shapes that read it several times per sample of their
// own while a table fill calls them for every entry. Any thread.
struct SharedSineReader
{
    const float* table;
    int intervals;

    float operator()(float phase) const
    {
        return OscillatorShape_Base::InterpolateCycle(table, intervals,
                                                      OscillatorShape_Base::ReducePhase(phase));
    }
};

SharedSineReader ReadSharedSine();

} // namespace brumalux
