#include "dsp/DSPModule_ADSR.h"

void DSPModule_ADSR::Configure(int attackSamples, int decaySamples, float sustainLevel, int releaseSamples)
{
    attackLength = attackSamples;
    decayLength = decaySamples;
    sustain = sustainLevel;
    releaseLength = releaseSamples;
    released = false;
    releaseStart = 0;
}

void DSPModule_ADSR::ReleaseAt(int t)
{
    releaseLevel = LevelAt(t);
    releaseStart = t;
    releasedAgain = released;
    released = true;
}
