#include "dsp/MultiOrganShapes.h"
#include "dsp/SharedSineTable.h"
#include "dsp/SingleWaveShapes.h"

#include "NoisyShape.h"
#include "SignalMeasurement.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace brumalux
{

namespace
{
double Sine(double phase)
{
    return std::sin(twoPi * phase);
}

// Tables are filled at phases that step by 1/count in single precision, which drifts by up to 8e-6 cycles
// over a 881-interval table and 3.3e-5 cycles over the 3839 intervals of the shared sine.
constexpr double tableTolerance44k = 7e-5;
constexpr double sharedSineTolerance = 2.5e-4;
} // namespace

// --- Table size and filling ---------------------------------------------------------------------------

TEST(OscillatorShapeTable, IntervalCountIsTwoHundredthsOfTheRateTruncated)
{
    const std::pair<int, int> rateToCount[] = {
        {44100, 881}, {48000, 959}, {96000, 1919}, {192000, 3839}, {51, 1}};
    for (const auto& [rate, count] : rateToCount)
    {
        OscillatorShape_PureSine shape;
        shape.SetSampleRate(rate);
        EXPECT_EQ(shape.TableCount(), count) << rate;
        EXPECT_EQ(shape.Table().size(), static_cast<size_t>(count) + 1) << rate;
    }
    EXPECT_EQ(SharedSineTable().TableCount(), 3839);
}

TEST(OscillatorShapeTable, LastEntryRepeatsTheFirstForNoiselessShapes)
{
    OscillatorShape_PureSine pureSine;
    OscillatorShape_Triangle triangle;
    OscillatorShape_Triangle2 triangle2;
    OscillatorShape_SawTooth sawTooth;
    OscillatorShape_Square square;
    OscillatorShape_MultiOrganOctave3 drawbarSum;
    drawbarSum.SetBaseShape(&sawTooth);
    const float levels[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    drawbarSum.SetDrawbars(levels);
    for (OscillatorShape_Base* shape : std::initializer_list<OscillatorShape_Base*>{
             &pureSine, &triangle, &triangle2, &sawTooth, &square, &drawbarSum})
    {
        shape->SetSampleRate(44100);
        ASSERT_EQ(shape->Table().size(), 882u);
        EXPECT_EQ(shape->Table()[881], shape->Table()[0]);
    }
}

TEST(OscillatorShapeTable, RatesBelowFiftyOneLeaveNoTableAndReadTheExactWave)
{
    for (int rate : {0, 1, 49, 50, -44100})
    {
        OscillatorShape_PureSine shape;
        shape.SetSampleRate(rate);
        EXPECT_EQ(shape.TableCount(), 0) << rate;
        EXPECT_TRUE(shape.Table().empty()) << rate;
        EXPECT_FLOAT_EQ(shape.ReadSample(0.3f), static_cast<float>(Sine(0.3))) << rate;
        EXPECT_FLOAT_EQ(shape.ReadSample(-2.7f), static_cast<float>(Sine(0.3))) << rate;
    }
}

TEST(OscillatorShapeTable, SameRateKeepsTheTableAndANewRateRebuildsIt)
{
    OscillatorShape_Sine shape; // draws noise, so every fill leaves a different table
    shape.SetSampleRate(44100);
    const std::vector<float> first = shape.Table();
    shape.SetSampleRate(44100);
    EXPECT_EQ(shape.Table(), first);
    shape.SetSampleRate(48000);
    EXPECT_EQ(shape.TableCount(), 959);
    shape.SetSampleRate(44100);
    EXPECT_NE(shape.Table(), first);
}

// --- Reading ------------------------------------------------------------------------------------------

TEST(OscillatorShapeRead, AnyPhaseIsReducedToOneCycle)
{
    OscillatorShape_Sine shape;
    shape.SetSampleRate(44100);
    const float quarter = shape.ReadSample(0.25f);
    EXPECT_EQ(shape.ReadSample(1.25f), quarter);
    EXPECT_EQ(shape.ReadSample(-0.75f), quarter);
    EXPECT_EQ(shape.ReadSample(7.25f), quarter);
}

TEST(OscillatorShapeRead, InterpolatesLinearlyBetweenEntries)
{
    OscillatorShape_PureSine shape;
    shape.SetSampleRate(44100);
    // A quarter of the way from entry 220 to 221 of a curved wave: linear, not nearest, not exact.
    const double expected = 0.75 * shape.Table()[220] + 0.25 * shape.Table()[221];
    EXPECT_NEAR(shape.ReadSample(static_cast<float>(220.25 / 881.0)), expected, 2e-7);
    for (int k = 0; k < 1000; ++k)
        EXPECT_NEAR(shape.ReadSample(k / 1000.0f), Sine(k / 1000.0), tableTolerance44k) << k;
}

TEST(OscillatorShapeRead, PhasesOutsideTheTableReadEntryZero)
{
    NoisyShape noisy;
    OscillatorShape_Base& shape = noisy.shape;
    const float entryZero = shape.Table()[0];
    ASSERT_NE(shape.Table()[881], entryZero);
    const float inf = std::numeric_limits<float>::infinity();
    for (float phase : {-1e-10f, -1.0f - 1e-9f, std::numeric_limits<float>::quiet_NaN(), inf, -inf, 3e30f})
        EXPECT_EQ(shape.ReadSample(phase), entryZero) << phase;
    for (float cyclePhase : {1.0f, 1.5f, -0.25f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(shape.ReadCyclePhase(cyclePhase), entryZero) << cyclePhase;
}

TEST(OscillatorShapeRead, SharedSineMatchesTheSine)
{
    for (int k = -500; k <= 500; ++k)
        EXPECT_NEAR(SharedSine(k / 333.0f), Sine(k / 333.0), sharedSineTolerance) << k;
}

// --- The single-wave shapes ---------------------------------------------------------------------------

TEST(SingleWaveShapes, PureSineIsExact)
{
    OscillatorShape_PureSine shape;
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.25f), 1.0f);
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.125f), static_cast<float>(std::sqrt(0.5)));
    EXPECT_NEAR(shape.ComputeSample(3.5f), 0.0f, 1e-6);
}

TEST(SingleWaveShapes, SineFluttersDownByAtMostHalfAPercent)
{
    OscillatorShape_Sine shape;
    double smallestRatio = 1.0;
    for (int k = 0; k < 2000; ++k)
    {
        const auto phase = static_cast<float>(0.05 + 0.15 * k / 2000.0); // where the sine is at least 0.3
        const double ratio = shape.ComputeSample(phase) / SharedSine(phase);
        EXPECT_GE(ratio, 0.995 - 1e-6);
        EXPECT_LE(ratio, 1.0 + 1e-6);
        smallestRatio = std::min(smallestRatio, ratio);
    }
    EXPECT_LT(smallestRatio, 0.998); // the flutter is there
}

TEST(SingleWaveShapes, OrganSineAddsFourthAndSixthPartials)
{
    OscillatorShape_OrganSine shape;
    for (int k = 0; k < 1000; ++k)
    {
        const double p = k / 1000.0;
        const double expected = Sine(p) + 0.03 * Sine(4 * p) + 0.01 * Sine(6 * p);
        // Band-limited noise in [0, 1] moves the level by well under 1 %.
        EXPECT_NEAR(shape.ComputeSample(static_cast<float>(p)), expected,
                    0.01 * std::fabs(expected) + 1.05 * sharedSineTolerance)
            << k;
    }
}

TEST(SingleWaveShapes, OrganSine2IsOneAndAHalfTimesLouderAndLimitedAtOne)
{
    OscillatorShape_OrganSine2 shape;
    EXPECT_EQ(shape.ComputeSample(0.25f), 1.0f);
    EXPECT_EQ(shape.ComputeSample(0.75f), -1.0f);
    const double p = 0.02;
    const double expected = 1.5 * (Sine(p) + 0.03 * Sine(4 * p) + 0.01 * Sine(6 * p));
    EXPECT_NEAR(shape.ComputeSample(static_cast<float>(p)), expected, 0.01 * expected);
}

TEST(SingleWaveShapes, TriangleHasSoftenedPeaks)
{
    OscillatorShape_Triangle shape;
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.25f), 0.95f);
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.5f), 0.0f);
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.75f), -0.95f);
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.1f), 0.4f);
    EXPECT_NEAR(shape.ComputeSample(2.6f), -0.4f, 1e-6);
}

TEST(SingleWaveShapes, Triangle2SquaresTheTriangleKeepingItsSign)
{
    OscillatorShape_Triangle2 shape;
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.1f), 0.16f);
    EXPECT_NEAR(shape.ComputeSample(0.6f), -0.16f, 1e-6);
    // 0.95 squared is 0.9025, just past the 0.9 threshold: 0.9 + 0.0025 / (0.025^2 + 1).
    EXPECT_FLOAT_EQ(shape.ComputeSample(0.25f), static_cast<float>(0.9 + 0.0025 / 1.000625));
}

TEST(SingleWaveShapes, SawToothAndSquareFollowTheirHarmonicSeries)
{
    OscillatorShape_SawTooth sawTooth;
    OscillatorShape_Square square;
    for (int k = 0; k < 500; ++k)
    {
        const double p = k / 500.0;
        double saw = Sine(p), sq = Sine(p);
        for (int n = 1; n <= 8; ++n)
            saw += Sine(n * p) / n;
        for (int n = 1; n <= 13; n += 2)
            sq += Sine(n * p) / n;
        // Summed table errors stay below 2 * sharedSineTolerance; a wrong weight is off by 0.03 or more.
        EXPECT_NEAR(sawTooth.ComputeSample(static_cast<float>(p)), 0.5 * saw, 2 * sharedSineTolerance) << k;
        EXPECT_NEAR(square.ComputeSample(static_cast<float>(p)), 0.5 * sq, 2 * sharedSineTolerance) << k;
    }
}

// A silent drawbar's partial is skipped, not computed: the skip must leave the shape (its noise and the
// filter on it) as computing the sample would, or every later sample of the table changes.
TEST(SingleWaveShapes, SkippingASampleLeavesTheShapeAsComputingItDoes)
{
    const auto makers = {+[]() -> std::unique_ptr<OscillatorShape_Base>
                         { return std::make_unique<OscillatorShape_Sine>(); },
                         +[]() -> std::unique_ptr<OscillatorShape_Base>
                         { return std::make_unique<OscillatorShape_OrganSine>(); },
                         +[]() -> std::unique_ptr<OscillatorShape_Base>
                         { return std::make_unique<OscillatorShape_OrganSine2>(); },
                         +[]() -> std::unique_ptr<OscillatorShape_Base>
                         { return std::make_unique<OscillatorShape_Triangle>(); }};
    int kind = 0;
    for (const auto make : makers)
    {
        const auto computed = make(), skipped = make();
        for (int k = 0; k < 50; ++k)
        {
            const float phase = static_cast<float>(k) / 50.0f;
            computed->ComputeSample(phase);
            skipped->SkipSample(phase);
        }
        for (int k = 0; k < 50; ++k)
        {
            const float phase = static_cast<float>(k) / 37.0f;
            ASSERT_EQ(skipped->ComputeSample(phase), computed->ComputeSample(phase)) << kind << ", " << k;
        }
        ++kind;
    }
}

} // namespace brumalux
