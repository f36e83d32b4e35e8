#pragma once

#include "dsp/BiQuadFilters.h"
#include "dsp/SoftClipper.h"
#include "dsp/SweptLowPass.h"

#include <cmath>

namespace brumalux
{

// The overdrive of the output chain: a band-pass emphasis driven into the soft clipper, smoothed by a
// resonant low-pass and brought back up. The owner may change the public parameters before any sample
// (audio thread only); the filters follow at the very next sample and keep their history.
class SaturationStage
{
public:
    SaturationStage();

    float Process(float x);

    float threshold = 0.8f;                    // clipper threshold; negative acts as 0
    float drive = 2.0f;                        // gain into the clipper
    float outputGain = 2.0f;                   // gain after the low-pass
    float bandPassCentre = 2000.0f / 44100.0f; // cycles per sample, kept inside (0, 0.5); above 1 acts as 1
    float lowPassCutoff = 4000.0f / 44100.0f;  // cycles per sample; above 1 acts as 1
    float bandPassBandwidth = 2.2f;            // octaves, above 0
    float lowPassQ = 1.5f;                     // above 0

private:
    void Retune();

    SoftClipper clipper;
    SweptLowPass lowPass;
    DSPModule_BandPassFilter bandPass;
    // The design values the band-pass was last tuned to: unchanged values need no new coefficients.
    // NaN compares unequal to everything, so the first Retune always tunes.
    float tunedCentre = NAN, tunedBandwidth = NAN;
};

// Inline: the output chain runs it at every sample.
inline void SaturationStage::Retune()
{
    clipper.SetThreshold(threshold);
    // Recomputing from the same values gives the same coefficients, so skipping it changes no sample.
    if (bandPassCentre != tunedCentre || bandPassBandwidth != tunedBandwidth)
    {
        bandPass.Tune(bandPassCentre, bandPassBandwidth);
        tunedCentre = bandPassCentre;
        tunedBandwidth = bandPassBandwidth;
    }
    // The tone drift moves the cutoff at every sample, by steps the low-pass follows along its slopes.
    lowPass.Tune(lowPassCutoff, lowPassQ);
}

inline float SaturationStage::Process(float x)
{
    Retune();
    const auto emphasised = static_cast<float>(bandPass.Process(x));
    const float clipped = clipper.Process(emphasised * drive);
    return static_cast<float>(lowPass.Process(clipped)) * outputGain;
}

} // namespace brumalux
