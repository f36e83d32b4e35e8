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
    float Process(float x);
    // What count calls of Process give with threshold and lowPassCutoff taken, sample by sample, from
    // thresholds and cutoffs (the public values of the two are left as they were): the band-pass over
    // the whole run, then the clipper and the low-pass. out may be in.
    void ProcessBlock(const float* in, float* out, const float* thresholds, const float* cutoffs, int count);

    float threshold = 0.8f;                    // clipper threshold; negative acts as 0
    float drive = 2.0f;                        // gain into the clipper
    float outputGain = 2.0f;                   // gain after the low-pass
    float bandPassCentre = 2000.0f / 44100.0f; // cycles per sample, kept inside (0, 0.5); above 1 acts as 1
    float lowPassCutoff = 4000.0f / 44100.0f;  // cycles per sample; above 1 acts as 1
    float bandPassBandwidth = 2.2f;            // octaves, above 0
    float lowPassQ = 1.5f;                     // above 0

private:
    void RetuneBandPass();

    SoftClipper clipper;
    SweptLowPass lowPass;
    DSPModule_BandPassFilter bandPass;
    // The design values the band-pass was last tuned to: unchanged values need no new coefficients.
    // NaN compares unequal to everything, so the first Retune always tunes.
    float tunedCentre = NAN, tunedBandwidth = NAN;
};

// Inline: the output chain runs it at every sample.
inline void SaturationStage::RetuneBandPass()
{
    // Recomputing from the same values gives the same coefficients, so skipping it changes no sample.
    if (bandPassCentre != tunedCentre || bandPassBandwidth != tunedBandwidth)
    {
        bandPass.Tune(bandPassCentre, bandPassBandwidth);
        tunedCentre = bandPassCentre;
        tunedBandwidth = bandPassBandwidth;
    }
}

inline void SaturationStage::ProcessBlock(const float* in, float* out, const float* thresholds,
                                          const float* cutoffs, int count)
{
    RetuneBandPass();
    bandPass.ProcessBlock(in, out, count);
    lowPass.SetQ(lowPassQ);
    for (int k = 0; k < count; ++k)
    {
        clipper.SetThreshold(thresholds[k]);
        const float clipped = clipper.Process(out[k] * drive);
        // The tone drift moves the cutoff at every sample, by steps the low-pass follows along its slopes.
        lowPass.Tune(cutoffs[k]);
        out[k] = static_cast<float>(lowPass.Process(clipped)) * outputGain;
    }
}

inline float SaturationStage::Process(float x)
{
    float y;
    ProcessBlock(&x, &y, &threshold, &lowPassCutoff, 1);
    return y;
}

} // namespace brumalux
