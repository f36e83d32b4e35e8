#include "dsp/SoftClipper.h"
#include "dsp/WhiteNoise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace brumalux
{

TEST(SoftClipper, PassesBelowTheThresholdAndBendsAboveIt)
{
    SoftClipper clipper; // threshold 0.8
    EXPECT_FLOAT_EQ(clipper.Process(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(clipper.Process(0.8f), 0.8f);
    EXPECT_FLOAT_EQ(clipper.Process(0.9f), 0.88f);
    EXPECT_FLOAT_EQ(clipper.Process(-0.9f), -0.88f);
    EXPECT_FLOAT_EQ(clipper.Process(1.0f), 0.9f);
    EXPECT_FLOAT_EQ(clipper.Process(3.0f), 0.9f);
    EXPECT_FLOAT_EQ(clipper.Process(-3.0f), -0.9f);
}

TEST(SoftClipper, ThresholdOneIsAHardLimit)
{
    SoftClipper clipper;
    clipper.SetThreshold(1.0f);
    EXPECT_FLOAT_EQ(clipper.Process(0.99f), 0.99f);
    EXPECT_FLOAT_EQ(clipper.Process(1.5f), 1.0f);
    EXPECT_FLOAT_EQ(clipper.Process(-20.0f), -1.0f);
}

TEST(SoftClipper, NegativeThresholdActsAsZero)
{
    SoftClipper clipper;
    clipper.SetThreshold(-1.0f);
    EXPECT_EQ(clipper.Threshold(), 0.0f);
    for (float a : {0.1f, 0.5f, 1.0f})
    {
        EXPECT_FLOAT_EQ(clipper.Process(a), a / (a * a + 1.0f));
        EXPECT_FLOAT_EQ(clipper.Process(-a), -a / (a * a + 1.0f));
    }
    EXPECT_FLOAT_EQ(clipper.Process(4.0f), 0.5f);
}

TEST(SoftClipper, CurveIsContinuousAtThresholdAndAtOne)
{
    SoftClipper clipper;
    clipper.SetThreshold(0.6f);
    EXPECT_NEAR(clipper.Process(0.6f + 1e-6f), 0.6f, 1e-5);
    EXPECT_NEAR(clipper.Process(1.0f), clipper.Process(1.0f + 1e-6f), 1e-5);
}

TEST(WhiteNoise, UniformOverZeroToOneInSteps)
{
    constexpr int draws = 1 << 20;
    WhiteNoise noise;
    double sum = 0.0, smallest = 1.0, largest = 0.0;
    for (int k = 0; k < draws; ++k)
    {
        const float v = noise.Next();
        const double steps = v * 32767.0;
        ASSERT_NEAR(steps, std::round(steps), 0.01);
        sum += v;
        smallest = std::min(smallest, static_cast<double>(v));
        largest = std::max(largest, static_cast<double>(v));
    }
    EXPECT_NEAR(sum / draws, 0.5, 0.002);
    EXPECT_EQ(smallest, 0.0);
    EXPECT_FLOAT_EQ(static_cast<float>(largest), 1.0f);
}

TEST(WhiteNoise, EveryGeneratorStartsTheSameSequenceAndEachKeepsItsOwnPlace)
{
    // The first draw, worked by hand: (22222 * 1664525 + 1013904223) mod 2^32 = 3643240405, >> 17 = 27795.
    WhiteNoise first, second;
    EXPECT_EQ(first.Next(), 27795.0f / 32767.0f);
    std::vector<float> rest(1000);
    for (float& v : rest)
        v = first.Next();
    EXPECT_EQ(second.Next(), 27795.0f / 32767.0f); // drawing from one moved the other on by nothing
    for (float v : rest)
        ASSERT_EQ(second.Next(), v);
}

} // namespace brumalux
