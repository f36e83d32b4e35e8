#include "dsp/SaturationStage.h"

SaturationStage::SaturationStage()
{
    Retune();
}

void SaturationStage::Retune()
{
    clipper.SetThreshold(threshold);
    // Recomputing from the same values gives the same coefficients, so skipping it changes no sample.
    if (bandPassCentre != tunedCentre || bandPassBandwidth != tunedBandwidth)
    {
        bandPass.Tune(bandPassCentre, bandPassBandwidth);
        tunedCentre = bandPassCentre;
        tunedBandwidth = bandPassBandwidth;
    }
    if (lowPassCutoff != tunedCutoff || lowPassQ != tunedQ)
    {
        lowPass.Tune(lowPassCutoff, lowPassQ);
        tunedCutoff = lowPassCutoff;
        tunedQ = lowPassQ;
    }
}

float SaturationStage::Process(float x)
{
    Retune();
    const auto emphasised = static_cast<float>(bandPass.Process(x));
    const float clipped = clipper.Process(emphasised * drive);
    return static_cast<float>(lowPass.Process(clipped)) * outputGain;
}
