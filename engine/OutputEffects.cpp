#include "engine/OutputEffects.h"

#include "engine/ParameterLimits.h"
#include "engine/PerformanceControls.h"

#include "params/OrganParameters.h"

#include <algorithm>
#include <cmath>

namespace brumalux
{

void OutputEffects::Prepare(float newSampleRate, bool rateChanged)
{
    sampleRate = newSampleRate;
    inverseSampleRate = 1.0f / newSampleRate;
    // 1 ms deep around 40 ms.
    vibratoDelay.SetDepth(sampleRate * 0.001f);
    vibratoDelay.SetCentreDelay(sampleRate * 0.04f);
    if (rateChanged || !vibratoDelay.HasBuffer())
        vibratoDelay.AllocateForSweep();
    const int rate = static_cast<int>(sampleRate);
    lfoShape.SetSampleRate(rate);
    speaker.Prepare(sampleRate, rateChanged, &lfoShape);
    for (auto* drift : {&clipDrift, &toneDrift, &vibratoDrift})
    {
        drift->SetSampleRate(rate);
        drift->SetShape(&lfoShape);
    }
    aftertouch = 0.0f;
}

void OutputEffects::Process(float* mix, int numSamples, float* left, float* right, bool accumulate,
                            OrganParameters& parameters, const PerformanceControls& controls)
{
    ApplyBlockSettings(parameters);
    RunSaturationAndVibrato(mix, numSamples, parameters, controls.aftertouchTarget);
    if (Load(parameters.speakerOn) == 0.0f)
        CopyToBothChannels(mix, numSamples, left, right, accumulate);
    else
        speaker.Process(mix, numSamples, left, right, accumulate, parameters, controls.speakerSpeed);
}

void OutputEffects::ApplyBlockSettings(OrganParameters& parameters)
{
    clipDrift.SetFrequency(0.07);
    clipDrift.SetPhaseOffset(0.4f);
    vibratoDrift.SetFrequency(0.08);
    vibratoDrift.SetPhaseOffset(0.0f);
    toneDrift.SetFrequency(0.01);

    // Five vibrations per second, up to 6.25 with full channel pressure.
    vibratoDelay.SetRate((aftertouch * 0.25f + 1.0f) * 5.0f / sampleRate);
    vibratoDelay.SetMix(ParameterLimits::Level(Load(parameters.vibrato)));

    saturation.lowPassQ = 1.0f;
    clipScale = ClipThresholdScale(Load(parameters.distortion));
    parameters.clipThresholdScale.store(clipScale, std::memory_order_relaxed);
    saturation.bandPassCentre = ParameterLimits::FilterFrequency(1500.0f / sampleRate);
    FollowAftertouch(parameters);
}

float OutputEffects::ClipThresholdScale(float distortion) noexcept
{
    return 0.97f - 0.05f * ParameterLimits::Distortion(distortion);
}

void OutputEffects::FollowAftertouch(const OrganParameters& parameters)
{
    const float drive = (aftertouch + 1.0f) * ParameterLimits::Distortion(Load(parameters.distortion)) * 0.5f;
    saturation.bandPassBandwidth = 6.0f - 0.2f * drive;
    saturation.drive = drive;
    saturation.outputGain = 2.0f / drive;
    toneCutoff = inverseSampleRate * Load(parameters.tone);
    clipPressure = aftertouch * 0.5f;
    tonePressure = aftertouch * 0.2f;
}

void OutputEffects::RunSaturationAndVibrato(float* mix, int numSamples, const OrganParameters& parameters,
                                            float aftertouchTarget)
{
    const float vibratoLevel = ParameterLimits::Level(Load(parameters.vibrato));
    // A stretch at a time: the drifts' waves in tight loops of their own, the saturation in runs over
    // which the channel pressure holds (sample by sample while it moves), then the vibrato over the whole
    // stretch at its block rate. A gain ahead of the saturation belongs on mix before the stage reads it.
    constexpr int stretch = 64;
    float toneWanders[stretch], clipWanders[stretch], vibratoWanders[stretch];
    float thresholds[stretch], cutoffs[stretch];
    float saturated[stretch], vibratoMix[stretch], vibratoRates[stretch];
    std::fill(vibratoRates, vibratoRates + stretch, vibratoDelay.Rate());
    for (int first = 0; first < numSamples; first += stretch)
    {
        const int count = std::min(stretch, numSamples - first);
        toneDrift.TicksInto(toneWanders, count);
        clipDrift.TicksInto(clipWanders, count);
        vibratoDrift.TicksInto(vibratoWanders, count);
        for (int k = 0; k < count;)
        {
            int run = count - k;
            if (std::fabs(aftertouch - aftertouchTarget) > 0.001f)
            {
                aftertouch += (aftertouchTarget - aftertouch) * 0.02f;
                FollowAftertouch(parameters);
                run = 1;
            }
            for (int j = k; j < k + run; ++j)
            {
                thresholds[j] = (clipWanders[j] * 0.05f + 0.95f) * (1.0f - clipPressure) * clipScale;
                // "Tone" moved by up to 20 % either way, 24 % with full channel pressure.
                cutoffs[j] = ParameterLimits::FilterFrequency(
                    (toneWanders[j] * 0.2f * (tonePressure + 1.0f) + 1.0f) * toneCutoff);
            }
            saturation.ProcessBlock(mix + first + k, saturated + k, thresholds + k, cutoffs + k, run);
            k += run;
        }
        for (int k = 0; k < count; ++k)
            vibratoMix[k] = (vibratoWanders[k] * 0.1f + 0.9f) * vibratoLevel;
        vibratoDelay.ProcessBlock(saturated, mix + first, count, vibratoRates, vibratoMix);
    }
}

void OutputEffects::CopyToBothChannels(float* mix, int numSamples, float* left, float* right, bool accumulate)
{
    for (int i = 0; i < numSamples; ++i)
    {
        if (accumulate)
        {
            right[i] += mix[i];
            left[i] += mix[i];
        }
        else
        {
            left[i] = mix[i];
            right[i] = mix[i];
        }
        mix[i] = 0.0f;
    }
}

} // namespace brumalux
