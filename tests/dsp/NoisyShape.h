#pragma once

#include "dsp/MultiOrganShapes.h"
#include "dsp/SingleWaveShapes.h"

namespace brumalux
{

// A prepared 44 100 Hz shape whose value at phase 0 is not 0 and carries fresh noise at every evaluation,
// so its last table entry differs from the first and any read past the table, or any refill, shows.
struct NoisyShape
{
    NoisyShape()
    {
        shape.SetSampleRate(44100);
        shape.SetBaseShape(&base);
        shape.SetDrawbar(1, 1.0f); // partial 1 starts 0.319 cycles into its sine
    }
    OscillatorShape_Sine base;
    OscillatorShape_MultiOrganOctave1 shape;
};

} // namespace brumalux
