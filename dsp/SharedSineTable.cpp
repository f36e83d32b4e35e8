#include "dsp/SharedSineTable.h"

#include "dsp/SingleWaveShapes.h"

namespace brumalux
{

namespace
{
OscillatorShape_PureSine& Instance()
{
    // Built on first use as well, in case another library-load initialiser reads it before ours runs.
    static OscillatorShape_PureSine sine = []
    {
        OscillatorShape_PureSine prepared;
        prepared.SetSampleRate(192000);
        return prepared;
    }();
    return sine;
}

// Builds the table while the library loads, so no audio thread ever pays for it.
[[maybe_unused]] const OscillatorShape_Base& builtAtLoad = Instance();
} // namespace

const OscillatorShape_Base& SharedSineTable()
{
    return Instance();
}

float SharedSine(float phase)
{
    return ReadSharedSine()(phase);
}

SharedSineReader ReadSharedSine()
{
    const OscillatorShape_Base& sine = Instance();
    return {sine.Table().data(), sine.TableCount()};
}

} // namespace brumalux
