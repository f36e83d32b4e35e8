#include "dsp/BiQuadFilters.h"
#include "dsp/SweptLowPass.h"

#include "SignalMeasurement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace brumalux
{

using dsptest::DbFromGain;
using dsptest::SineGainDb;

namespace
{
template <class Filter> double GainDb(float frequency, float q, double probe)
{
    Filter filter;
    filter.SetFrequency(frequency);
    filter.SetQ(q);
    return SineGainDb([&](float x) { return filter.Process(x); }, probe);
}

template <class Filter> double SettledOutput(Filter& filter, float input, int samples = 20000)
{
    double y = 0.0;
    for (int n = 0; n < samples; ++n)
        y = filter.Process(input);
    return y;
}
} // namespace

TEST(LowPassFilter, UnityAtDcForAnyTuning)
{
    for (float f : {0.01f, 0.1f, 0.3f, 0.45f})
        for (float q : {0.5f, 0.7071f, 2.0f})
        {
            DSPModule_LowPassFilter filter;
            filter.SetFrequency(f);
            filter.SetQ(q);
            EXPECT_NEAR(SettledOutput(filter, 1.0f), 1.0, 1e-9) << f << " " << q;
        }
}

TEST(LowPassFilter, GainAtCutoffIsQ)
{
    // The bilinear transform maps the cutoff exactly, where a second-order low-pass has gain Q.
    EXPECT_NEAR(GainDb<DSPModule_LowPassFilter>(0.1f, 0.70710678f, 0.1), -3.0103, 0.02);
    EXPECT_NEAR(GainDb<DSPModule_LowPassFilter>(0.05f, 2.0f, 0.05), DbFromGain(2.0), 0.02);
    EXPECT_LT(GainDb<DSPModule_LowPassFilter>(0.05f, 0.70710678f, 0.2), -20.0);
}

TEST(LowPassFilter, QuarterRateImpulseResponse)
{
    DSPModule_LowPassFilter filter;
    filter.SetFrequency(0.25f);
    filter.SetQ(0.5f);
    const double expected[] = {0.25, 0.5, 0.25, 0.0, 0.0, 0.0};
    for (int n = 0; n < 6; ++n)
        EXPECT_NEAR(filter.Process(n == 0 ? 1.0f : 0.0f), expected[n], 1e-6) << n;
}

TEST(LowPassFilter, FrequenciesAboveOneActAsOne)
{
    DSPModule_LowPassFilter clamped, atOne;
    clamped.SetQ(0.7f);
    atOne.SetQ(0.7f);
    clamped.SetFrequency(1.5f);
    atOne.SetFrequency(1.0f);
    for (int n = 0; n < 50; ++n)
    {
        const float x = static_cast<float>(n % 7) - 3.0f;
        ASSERT_EQ(clamped.Process(x), atOne.Process(x)) << n;
    }
}

TEST(LowPassFilter, RetuningKeepsTheHistory)
{
    DSPModule_LowPassFilter filter;
    filter.SetFrequency(0.05f);
    filter.SetQ(0.7f);
    SettledOutput(filter, 1.0f);
    // With every past input and output at 1 the next output is 1 for any tuning; a cleared history would
    // give b0 / a0 instead.
    filter.SetFrequency(0.2f);
    EXPECT_NEAR(filter.Process(1.0f), 1.0, 1e-9);
    filter.SetQ(3.0f);
    EXPECT_NEAR(filter.Process(1.0f), 1.0, 1e-9);
    filter.Tune(0.01f, 0.5f);
    EXPECT_NEAR(filter.Process(1.0f), 1.0, 1e-9);
}

TEST(HighPassFilter, UnityAtHalfTheSampleRateAndBlocksDc)
{
    for (float f : {0.01f, 0.1f, 0.3f})
    {
        DSPModule_HighPassFilter filter;
        filter.SetFrequency(f);
        filter.SetQ(0.7071f);
        double y = 0.0;
        for (int n = 0; n < 20000; ++n)
            y = filter.Process(n % 2 == 0 ? 1.0f : -1.0f);
        EXPECT_NEAR(std::fabs(y), 1.0, 1e-9) << f;
        EXPECT_NEAR(SettledOutput(filter, 1.0f), 0.0, 1e-9) << f;
    }
    EXPECT_NEAR(GainDb<DSPModule_HighPassFilter>(0.1f, 0.70710678f, 0.1), -3.0103, 0.02);
}

TEST(BandPassFilter, UnityAtCentreAndMinusThreeDbHalfAnOctaveEitherSide)
{
    // The bandwidth correction is exact only far below half the sample rate; at 0.1 cycles per sample the
    // edges sit within 0.15 dB of -3 dB.
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.1f, 1.0f, 0.1), 0.0, 0.01);
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.1f, 1.0f, 0.1 / std::sqrt(2.0)), -3.0103, 0.2);
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.1f, 1.0f, 0.1 * std::sqrt(2.0)), -3.0103, 0.2);
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.01f, 1.0f, 0.01 / std::sqrt(2.0)), -3.0103, 0.03);
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.01f, 1.0f, 0.01 * std::sqrt(2.0)), -3.0103, 0.03);
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.02f, 2.0f, 0.02), 0.0, 0.01);
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.02f, 2.0f, 0.01), -3.0103, 0.05);
    EXPECT_NEAR(GainDb<DSPModule_BandPassFilter>(0.02f, 2.0f, 0.04), -3.0103, 0.05);
}

TEST(BandPassFilter, BlocksDc)
{
    DSPModule_BandPassFilter filter;
    filter.SetFrequency(0.1f);
    filter.SetQ(3.0f);
    EXPECT_NEAR(SettledOutput(filter, 1.0f), 0.0, 1e-9);
}

TEST(BiQuadFilter, BlocksAndPairsGiveWhatSingleSamplesGive)
{
    // A low-pass and a band-pass fed their own signals: one sample at a time, as blocks, and as a pair
    // in blocks of uneven lengths, the pair retuned between blocks as the owners retune theirs.
    std::vector<float> lowIn(600), bandIn(600);
    for (size_t n = 0; n < lowIn.size(); ++n)
    {
        lowIn[n] = static_cast<float>(std::sin(0.3 * static_cast<double>(n)));
        bandIn[n] = static_cast<float>(std::sin(0.011 * static_cast<double>(n * n % 997)));
    }
    DSPModule_LowPassFilter low[3];
    DSPModule_BandPassFilter band[3];
    std::vector<float> lowOut[3], bandOut[3];
    for (int way = 0; way < 3; ++way)
    {
        lowOut[way].assign(lowIn.size(), 0.0f);
        bandOut[way].assign(bandIn.size(), 0.0f);
    }
    for (int start = 0, count = 1; start < 600; start += count, count = count % 37 + 3)
    {
        count = std::min(count, 600 - start);
        const float frequency = 0.01f + 0.0001f * static_cast<float>(start % 50);
        for (int way = 0; way < 3; ++way)
        {
            low[way].Tune(frequency, 0.7f);
            band[way].Tune(frequency * 3.0f, 2.0f);
        }
        for (int k = start; k < start + count; ++k)
        {
            lowOut[0][k] = static_cast<float>(low[0].Process(lowIn[k]));
            bandOut[0][k] = static_cast<float>(band[0].Process(bandIn[k]));
        }
        low[1].ProcessBlock(&lowIn[start], &lowOut[1][start], count);
        band[1].ProcessBlock(&bandIn[start], &bandOut[1][start], count);
        DSPModule_BiQuadFilterBase::ProcessBlockPair(low[2], &lowIn[start], &lowOut[2][start], band[2],
                                                     &bandIn[start], &bandOut[2][start], count);
    }
    for (int way = 1; way < 3; ++way)
    {
        EXPECT_EQ(lowOut[way], lowOut[0]) << way;
        EXPECT_EQ(bandOut[way], bandOut[0]) << way;
    }
}

// The swept low-pass follows its cutoff along the design's slopes: it must give what the cookbook filter
// retuned in full at every sample gives (noise of full scale in), for drifts far below and far above its
// re-design step, whichever way the cutoff came, for a Q that changes on the way and for cutoffs up to half
// the rate.
TEST(SweptLowPass, FollowsTheFullDesignRetunedAtEverySample)
{
    struct Sweep
    {
        const char* name;
        float startCutoff, cutoffStep, q, laterQ;
    };
    const Sweep sweeps[] = {
        {"tone drift", 0.09f, 3.0e-8f, 1.0f, 1.0f},
        {"fast sweep", 0.01f, 2.0e-5f, 0.7f, 0.7f},
        {"falling", 0.3f, -1.0e-6f, 2.5f, 2.5f},
        {"Q changes", 0.05f, 1.0e-7f, 1.0f, 3.0f},
        {"up to half the rate", 0.40f, 4.5e-6f, 1.0f, 1.0f},
    };
    for (const auto& sweep : sweeps)
    {
        DSPModule_LowPassFilter full;
        SweptLowPass swept, detoured;
        std::uint32_t noise = 1;
        double worst = 0.0;
        for (int n = 0; n < 20000; ++n)
        {
            const float cutoff = sweep.startCutoff + sweep.cutoffStep * static_cast<float>(n);
            const float q = n < 10000 ? sweep.q : sweep.laterQ;
            noise = noise * 1664525u + 1013904223u;
            const float x = static_cast<float>(noise >> 8) / 8388608.0f - 1.0f;
            full.Tune(cutoff, q);
            swept.SetQ(q);
            swept.Tune(cutoff);
            const double sweptOut = swept.Process(x);
            worst = std::max(worst, std::fabs(full.Process(x) - sweptOut));
            // By way of another cutoff: the coefficients depend on where the cutoff is, not on its way there.
            detoured.SetQ(q);
            detoured.Tune(cutoff * 1.5f);
            detoured.Tune(cutoff);
            ASSERT_EQ(detoured.Process(x), sweptOut) << sweep.name << ", sample " << n;
        }
        EXPECT_LT(worst, 3.0e-8) << sweep.name; // below the rounding of a float sample at full scale
    }
}

} // namespace brumalux
