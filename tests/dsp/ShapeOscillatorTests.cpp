#include "dsp/ShapeOscillator.h"
#include "dsp/SingleWaveShapes.h"

#include "NoisyShape.h"
#include "SignalMeasurement.h"

#include <gtest/gtest.h>

#include <limits>

namespace brumalux
{

namespace
{
double DistanceToWholeCycle(double phase)
{
    return std::fabs(phase - std::round(phase));
}
} // namespace

TEST(ShapeOscillator, ReadsTheShapeAtItsFrequency)
{
    OscillatorShape_PureSine sine;
    sine.SetSampleRate(44100);
    ShapeOscillator oscillator;
    oscillator.SetShape(&sine);
    oscillator.SetFrequency(441.0); // 100 samples per cycle at the default 44 100 Hz
    for (int k = 0; k < 1000; ++k)
    {
        EXPECT_NEAR(oscillator.Tick(), std::sin(twoPi * k / 100.0), 7e-5) << k;
        if ((k + 1) % 100 == 0)
        {
            EXPECT_LT(DistanceToWholeCycle(oscillator.Phase()), 1e-9) << k;
        }
    }
}

TEST(ShapeOscillator, SampleRateChangeRetunesFromTheStoredFrequency)
{
    ShapeOscillator oscillator;
    oscillator.SetFrequency(441.0);
    oscillator.SetSampleRate(22050);
    for (int k = 0; k < 25; ++k)
        oscillator.Tick();
    EXPECT_NEAR(oscillator.Phase(), 0.5, 1e-12);
}

TEST(ShapeOscillator, WithoutShapeIsSilentButAdvances)
{
    ShapeOscillator oscillator;
    oscillator.SetFrequency(441.0);
    for (int k = 0; k < 50; ++k)
        EXPECT_EQ(oscillator.Tick(), 0.0f);
    EXPECT_NEAR(oscillator.Phase(), 0.5, 1e-12);
}

TEST(ShapeOscillator, ShapeWithoutTableIsComputedExactly)
{
    OscillatorShape_PureSine unprepared;
    ShapeOscillator oscillator;
    oscillator.SetShape(&unprepared);
    oscillator.SetFrequency(4410.0);
    oscillator.Tick();
    EXPECT_FLOAT_EQ(oscillator.Tick(), static_cast<float>(std::sin(twoPi * 0.1)));
}

TEST(ShapeOscillator, PhaseOffsetIsStoredButNotApplied)
{
    OscillatorShape_Triangle triangle;
    triangle.SetSampleRate(44100);
    ShapeOscillator plain, offset;
    for (ShapeOscillator* o : {&plain, &offset})
    {
        o->SetShape(&triangle);
        o->SetFrequency(300.0);
    }
    offset.SetPhaseOffset(0.25f);
    EXPECT_EQ(offset.PhaseOffset(), 0.25f);
    for (int k = 0; k < 500; ++k)
        ASSERT_EQ(plain.Tick(), offset.Tick()) << k;
}

TEST(ShapeOscillatorBadInput, FrequencyZeroHoldsThePhase)
{
    OscillatorShape_Triangle triangle;
    triangle.SetSampleRate(44100);
    ShapeOscillator oscillator;
    oscillator.SetShape(&triangle);
    oscillator.SetFrequency(0.0);
    for (int k = 0; k < 100; ++k)
        EXPECT_EQ(oscillator.Tick(), triangle.Table()[0]);
    EXPECT_EQ(oscillator.Phase(), 0.0);
}

TEST(ShapeOscillatorBadInput, PhaseRoundingUpToOneReadsEntryZero)
{
    NoisyShape noisy;
    ASSERT_NE(noisy.shape.Table()[881], noisy.shape.Table()[0]);
    ShapeOscillator oscillator;
    oscillator.SetShape(&noisy.shape);
    oscillator.SetFrequency(44100.0 * (1.0 - 1e-12)); // the phase after one tick is 1 - 1e-12
    oscillator.Tick();
    ASSERT_EQ(static_cast<float>(oscillator.Phase()), 1.0f);
    EXPECT_EQ(oscillator.Tick(), noisy.shape.Table()[0]);
}

TEST(ShapeOscillatorBadInput, FrequenciesOutsideTheContractKeepThePhaseInOneCycle)
{
    OscillatorShape_PureSine sine;
    sine.SetSampleRate(44100);
    const double inf = std::numeric_limits<double>::infinity();
    for (double hz : {44100.0, 66150.0, 88200.0, 1e12, -300.0, -1e9, inf, -inf, std::nan("")})
    {
        ShapeOscillator oscillator;
        oscillator.SetShape(&sine);
        oscillator.SetFrequency(hz);
        for (int k = 0; k < 100; ++k)
        {
            const float sample = oscillator.Tick();
            ASSERT_TRUE(std::fabs(sample) <= 1.0f) << hz;
            ASSERT_TRUE(oscillator.Phase() >= 0.0 && oscillator.Phase() < 1.0) << hz;
        }
    }
    ShapeOscillator oneAndAHalf; // 1.5 cycles per sample aliases to half a cycle per sample
    oneAndAHalf.SetFrequency(66150.0);
    oneAndAHalf.Tick();
    EXPECT_DOUBLE_EQ(oneAndAHalf.Phase(), 0.5);
    oneAndAHalf.Tick();
    EXPECT_DOUBLE_EQ(oneAndAHalf.Phase(), 0.0);
}

TEST(ShapeOscillatorBadInput, SampleRateZeroKeepsThePhaseInOneCycle)
{
    ShapeOscillator oscillator;
    oscillator.SetFrequency(440.0);
    oscillator.SetSampleRate(0);
    oscillator.Tick();
    EXPECT_EQ(oscillator.Phase(), 0.0);
}

TEST(ShapeOscillator, AddingARunGivesWhatTicksGive)
{
    // The fast run and the sample-by-sample path must agree in every phase, also when the phase wraps
    // many times or at almost every sample, and for frequencies the fast run hands back to the general
    // path; in the samples up to the one rounding a fused multiply-add saves, and in the phase up to the
    // rounding of the run's stretches, which step from their start rather than sample by sample.
    NoisyShape noisy;
    for (const double hz : {0.0, 0.07, 440.0, 17000.0, 44099.0, 44100.0 * 1.5, -300.0})
    {
        ShapeOscillator byTicks, byRun;
        for (auto* oscillator : {&byTicks, &byRun})
        {
            oscillator->SetShape(&noisy.shape);
            oscillator->SetFrequency(hz);
        }
        std::vector<float> expected(700, 0.25f), actual(700, 0.25f);
        for (float& sample : expected)
            sample += byTicks.Tick() * 0.3f * 0.9f;
        byRun.AddTicks(actual.data(), 300, 0.3f, 0.9f);
        byRun.AddTicks(actual.data() + 300, 400, 0.3f, 0.9f);
        for (size_t k = 0; k < expected.size(); ++k)
            ASSERT_NEAR(actual[k], expected[k], 1e-7) << hz << " Hz, sample " << k;
        EXPECT_NEAR(byRun.Phase(), byTicks.Phase(), 1e-13) << hz;
    }
}

} // namespace brumalux
