#include "dsp/SaturationStage.h"

#include "SignalMeasurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace brumalux
{

namespace
{
// A slow sine at the band-pass centre passes the band-pass unchanged, and the low-pass far above it
// leaves the clipped wave's shape: the output peak is outputGain times the clipper's value at the peak.
double SteadyOutputPeak(SaturationStage& stage, double amplitude)
{
    constexpr double f = 0.005;
    stage.bandPassCentre = static_cast<float>(f);
    stage.lowPassCutoff = 0.4f;
    stage.lowPassQ = 0.70710678f;
    double peak = 0.0;
    for (int n = 0; n < 40000; ++n)
    {
        const float y = stage.Process(static_cast<float>(amplitude * std::sin(twoPi * f * n)));
        if (n >= 20000)
            peak = std::max(peak, static_cast<double>(std::fabs(y)));
    }
    return peak;
}
} // namespace

TEST(SaturationStage, SilenceInSilenceOut)
{
    SaturationStage stage;
    for (int n = 0; n < 1000; ++n)
        ASSERT_EQ(stage.Process(0.0f), 0.0f);
}

TEST(SaturationStage, ClipsOnlyWhatTheDriveLiftsPastTheThreshold)
{
    SaturationStage quiet, loud;
    // 0.3 driven by 2 is 0.6, below 0.8: passes. 0.6 becomes 1.2 and the clipper flattens it to 0.9.
    EXPECT_NEAR(SteadyOutputPeak(quiet, 0.3), 2.0 * 0.6, 0.01);
    EXPECT_NEAR(SteadyOutputPeak(loud, 0.6), 2.0 * 0.9, 0.01);
}

TEST(SaturationStage, NegativeThresholdActsAsZero)
{
    SaturationStage gentle, hard;
    gentle.threshold = -1.0f;
    hard.threshold = -1.0f;
    EXPECT_NEAR(SteadyOutputPeak(gentle, 0.25), 2.0 * 0.5 / 1.25, 0.01); // a / (a^2 + 1) at a = 0.5
    EXPECT_NEAR(SteadyOutputPeak(hard, 0.6), 2.0 * 0.5, 0.01);
}

TEST(SaturationStage, ACutoffChangeReachesTheVeryNextSample)
{
    SaturationStage fixed, moved;
    for (int n = 0; n < 200; ++n)
    {
        const float x = static_cast<float>(0.3 * std::sin(0.05 * n));
        ASSERT_EQ(fixed.Process(x), moved.Process(x));
    }
    moved.lowPassCutoff = 0.2f;
    EXPECT_NE(fixed.Process(0.1f), moved.Process(0.1f));
}

TEST(SaturationStage, CentreAndCutoffAboveOneActAsOne)
{
    SaturationStage clamped, atOne;
    clamped.bandPassCentre = 0.2f; // the band filter needs a centre below 0.5
    atOne.bandPassCentre = 0.2f;
    clamped.lowPassCutoff = 7.0f;
    atOne.lowPassCutoff = 1.0f;
    for (int n = 0; n < 100; ++n)
    {
        const float x = static_cast<float>(0.5 * std::sin(0.3 * n));
        ASSERT_EQ(clamped.Process(x), atOne.Process(x));
    }
}

// The output chain hands the stage runs of samples with a threshold and a cutoff for each: a run must
// give what the same samples give one at a time, across the runs' seams.
TEST(SaturationStage, RunsGiveWhatSingleSamplesGive)
{
    SaturationStage bySample, byRun;
    for (auto* stage : {&bySample, &byRun})
        stage->drive = 6.0f;
    std::vector<float> in(300), thresholds(300), cutoffs(300), expected(300), actual(300);
    for (size_t n = 0; n < in.size(); ++n)
    {
        in[n] = static_cast<float>(0.8 * std::sin(0.05 * static_cast<double>(n)));
        thresholds[n] = 0.6f + 0.3f * static_cast<float>(std::sin(0.01 * static_cast<double>(n)));
        cutoffs[n] = 0.05f + 1.0e-6f * static_cast<float>(n);
        bySample.threshold = thresholds[n];
        bySample.lowPassCutoff = cutoffs[n];
        expected[n] = bySample.Process(in[n]);
    }
    const int seams[] = {0, 1, 65, 200, 300};
    for (int run = 0; run + 1 < 5; ++run)
    {
        const int first = seams[run];
        byRun.ProcessBlock(&in[first], &actual[first], &thresholds[first], &cutoffs[first],
                           seams[run + 1] - first);
    }
    for (size_t n = 0; n < in.size(); ++n)
        ASSERT_EQ(actual[n], expected[n]) << "sample " << n;
}

} // namespace brumalux
