#include "dsp/ModulatedDelayLine.h"

#include "SignalMeasurement.h"

#include <gtest/gtest.h>

#include <limits>

namespace brumalux
{

namespace
{
// Feeding a ramp (sample n has value n) turns the output into n minus the delay in force at sample n.
std::vector<double> DelaysOfRamp(ModulatedDelayLine& line, int samples)
{
    std::vector<double> delays(samples);
    for (int n = 0; n < samples; ++n)
        delays[n] = n - line.Process(static_cast<float>(n));
    return delays;
}
} // namespace

TEST(ModulatedDelayLine, DepthZeroCentreZeroIsAOneSampleDelay)
{
    ModulatedDelayLine line;
    line.Allocate(100);
    const float inputs[] = {0.5f, -1.0f, 0.25f, 3.0f, 0.0f, 2.0f};
    float previous = 0.0f;
    for (float x : inputs)
    {
        EXPECT_EQ(line.Process(x), previous);
        previous = x;
    }
}

TEST(ModulatedDelayLine, CentreOneAndAHalfAveragesTwoAndThreeSamplesBack)
{
    ModulatedDelayLine line;
    line.Allocate(100);
    line.SetCentreDelay(1.5f);
    std::vector<float> inputs;
    for (int n = 0; n < 50; ++n)
    {
        inputs.push_back(static_cast<float>((n * 37) % 11) - 5.0f);
        const float out = line.Process(inputs.back());
        if (n >= 3)
        {
            EXPECT_FLOAT_EQ(out, 0.5f * (inputs[n - 2] + inputs[n - 3])) << n;
        }
    }
}

TEST(ModulatedDelayLine, FirstDepthSetsTheCentre)
{
    ModulatedDelayLine line;
    line.Allocate(100);
    line.SetDepth(20.0f); // centre 10, and the modulator at phase 0 adds nothing: delay 11
    line.SetDepth(30.0f); // the centre stays
    const std::vector<double> delays = DelaysOfRamp(line, 40);
    EXPECT_NEAR(delays[39], 11.0, 1e-4);
}

TEST(ModulatedDelayLine, MixBlendsWetAndDry)
{
    ModulatedDelayLine line;
    line.Allocate(10);
    line.SetMix(0.25f);
    EXPECT_FLOAT_EQ(line.Process(1.0f), 0.75f);
    EXPECT_FLOAT_EQ(line.Process(0.0f), 0.25f);
}

TEST(ModulatedDelayLine, SweepFollowsTheSineInStepsOfTenSamples)
{
    constexpr double depth = 20.0, centre = 30.0, rate = 1.0 / 400.0;
    ModulatedDelayLine line, quarterAhead;
    for (ModulatedDelayLine* l : {&line, &quarterAhead})
    {
        l->Allocate(4000);
        l->SetDepth(static_cast<float>(depth));
        l->SetCentreDelay(static_cast<float>(centre));
        l->SetRate(static_cast<float>(rate));
    }
    quarterAhead.SetLfoPhaseOffset(0.25f);
    const std::vector<double> delays = DelaysOfRamp(line, 2000);
    const std::vector<double> cosineDelays = DelaysOfRamp(quarterAhead, 2000);
    for (int n = 100; n < 2000; ++n)
    {
        const double stepStart = 10.0 * (n / 10);
        const double sweepPhase = twoPi * rate * stepStart;
        EXPECT_NEAR(delays[n], std::sin(sweepPhase) * depth * 0.5 + centre + 1.0, 0.01) << n;
        EXPECT_NEAR(cosineDelays[n], std::cos(sweepPhase) * depth * 0.5 + centre + 1.0, 0.01) << n;
    }
}

TEST(ModulatedDelayLine, ReallocatingStartsFromSilence)
{
    ModulatedDelayLine line;
    line.Allocate(10);
    line.Process(1.0f);
    line.Allocate(20);
    EXPECT_TRUE(line.HasBuffer());
    EXPECT_EQ(line.Process(0.0f), 0.0f);
}

TEST(ModulatedDelayLineBadInput, DelayAboveTheSizeReadsTheOldestSample)
{
    ModulatedDelayLine line;
    line.Allocate(8);
    line.SetCentreDelay(1000.0f);
    for (int n = 0; n < 40; ++n)
        EXPECT_EQ(line.Process(static_cast<float>(n + 1)), n >= 8 ? static_cast<float>(n + 1 - 8) : 0.0f)
            << n;
}

TEST(ModulatedDelayLineBadInput, NegativeOrNonFiniteDelaysStayInsideTheBuffer)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (float centre : {-1.0f, -2.5f, -1e9f, nan, inf, -inf})
    {
        ModulatedDelayLine line;
        line.Allocate(16);
        line.SetCentreDelay(centre);
        for (int n = 0; n < 100; ++n)
            ASSERT_TRUE(std::isfinite(line.Process(static_cast<float>(n % 5)))) << centre;
    }
    ModulatedDelayLine sweptBelowZero;
    sweptBelowZero.Allocate(16);
    sweptBelowZero.SetCentreDelay(1.0f);
    sweptBelowZero.SetDepth(40.0f);
    sweptBelowZero.SetRate(0.03f);
    for (int n = 0; n < 1000; ++n)
        ASSERT_TRUE(std::isfinite(sweptBelowZero.Process(1.0f))) << n;
}

TEST(ModulatedDelayLineBadInput, WithoutBufferOnlyTheDryPartPasses)
{
    ModulatedDelayLine line;
    EXPECT_FALSE(line.HasBuffer());
    EXPECT_EQ(line.Process(1.0f), 0.0f);
    line.SetMix(0.25f);
    EXPECT_FLOAT_EQ(line.Process(1.0f), 0.75f);
    for (int size : {0, -5})
    {
        line.Allocate(size);
        EXPECT_FALSE(line.HasBuffer());
        EXPECT_FLOAT_EQ(line.Process(2.0f), 1.5f);
    }
}

TEST(ModulatedDelayLine, ABlockGivesWhatSingleSamplesGive)
{
    // Lines alike, fed sample by sample or in blocks of uneven lengths, through wraps of a short buffer,
    // sweep updates at every offset, rate changes and a delay below one sample; with the line's own mix,
    // and with a wet part that moves at every sample.
    for (const float centre : {0.3f, 5.0f, 40.0f})
    {
        ModulatedDelayLine single, blocked, mixedSingle, mixedBlocked, inPlace;
        for (auto* line : {&single, &blocked, &mixedSingle, &mixedBlocked, &inPlace})
        {
            line->Allocate(97);
            line->SetCentreDelay(centre);
            line->SetDepth(centre * 0.5f);
            line->SetMix(0.7f);
            line->SetLfoPhaseOffset(0.25f);
        }
        std::vector<float> in(1000), rates(1000), wets(1000), expected(1000), actual(1000),
            mixedExpected(1000), mixedActual(1000);
        for (size_t n = 0; n < in.size(); ++n)
        {
            in[n] =
                static_cast<float>(std::sin(0.37 * static_cast<double>(n)) + 0.001 * static_cast<double>(n));
            rates[n] = 0.003f + 0.001f * static_cast<float>(n / 8 % 5);
            wets[n] = 0.5f + 0.4f * static_cast<float>(std::sin(0.05 * static_cast<double>(n)));
            single.SetRate(rates[n]);
            expected[n] = single.Process(in[n]);
            mixedSingle.SetRate(rates[n]);
            mixedSingle.SetMix(wets[n]);
            mixedExpected[n] = mixedSingle.Process(in[n]);
        }
        std::vector<float> inPlaceSamples = in; // processed where they lie, as an owner may
        for (int start = 0, length = 1; start < 1000; start += length, length = length % 23 + 7)
        {
            const int count = std::min(length, 1000 - start);
            inPlace.ProcessBlock(inPlaceSamples.data() + start, inPlaceSamples.data() + start, count,
                                 rates.data() + start);
            blocked.ProcessBlock(in.data() + start, actual.data() + start, count, rates.data() + start);
            mixedBlocked.ProcessBlock(in.data() + start, mixedActual.data() + start, count,
                                      rates.data() + start, wets.data() + start);
        }
        EXPECT_EQ(actual, expected) << centre;
        EXPECT_EQ(inPlaceSamples, expected) << centre;
        EXPECT_EQ(mixedActual, mixedExpected) << centre;
        // The last wet part stays: a single sample after the block mixes as the single line does.
        EXPECT_EQ(mixedBlocked.Process(0.25f), mixedSingle.Process(0.25f)) << centre;
    }
}

TEST(ModulatedDelayLine, TapsOfABufferSizedForTheSweepGiveWhatSeparateLongLinesGive)
{
    // Three taps of one line against three lines of their own, each with a buffer far longer than the
    // sweep reaches; the shared buffer is sized for the sweep alone and wraps every few dozen samples.
    constexpr float offsets[ModulatedDelayLine::maxTaps] = {0.25f, 0.0f, 0.5f};
    for (const float centre : {3.0f, 17.3f, 41.0f})
    {
        ModulatedDelayLine taps, separate[ModulatedDelayLine::maxTaps];
        taps.SetDepth(centre * 0.6f);
        taps.SetCentreDelay(centre);
        taps.SetTapPhaseOffsets(offsets, ModulatedDelayLine::maxTaps);
        taps.AllocateForSweep();
        EXPECT_LE(taps.Size(), static_cast<int>(centre * 1.3f) + 5) << centre;
        for (int tap = 0; tap < ModulatedDelayLine::maxTaps; ++tap)
        {
            separate[tap].Allocate(10000);
            separate[tap].SetDepth(centre * 0.6f);
            separate[tap].SetCentreDelay(centre);
            separate[tap].SetLfoPhaseOffset(offsets[tap]);
        }
        constexpr int length = 2000;
        std::vector<float> in(length), rates(length, 0.004f);
        for (int n = 0; n < length; ++n)
            in[n] = static_cast<float>(std::sin(0.21 * n) + 0.3 * std::sin(0.013 * n));
        std::vector<float> expected[ModulatedDelayLine::maxTaps], actual[ModulatedDelayLine::maxTaps];
        for (int tap = 0; tap < ModulatedDelayLine::maxTaps; ++tap)
        {
            expected[tap].resize(length);
            actual[tap].resize(length);
            separate[tap].ProcessBlock(in.data(), expected[tap].data(), length, rates.data());
        }
        for (int start = 0, count = 1; start < length; start += count, count = count % 29 + 5)
        {
            count = std::min(count, length - start);
            float* outs[ModulatedDelayLine::maxTaps];
            for (int tap = 0; tap < ModulatedDelayLine::maxTaps; ++tap)
                outs[tap] = actual[tap].data() + start;
            taps.ProcessTaps(in.data() + start, outs, count, rates.data() + start);
        }
        for (int tap = 0; tap < ModulatedDelayLine::maxTaps; ++tap)
            EXPECT_EQ(actual[tap], expected[tap]) << "centre " << centre << ", tap " << tap;
    }
}

} // namespace brumalux
