#include "dsp/DSPModule_ADSR.h"

#include <gtest/gtest.h>

namespace brumalux
{

// Construction values: attack 2000, decay 5000, sustain 0.65, release 20000, knee 0.5, peak 1.

TEST(ADSR, AttackDecaySustainFromConstruction)
{
    DSPModule_ADSR envelope;
    EXPECT_FLOAT_EQ(envelope.LevelAt(0), 0.0f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(1000), 0.5f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(1999), 0.9995f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(2000), 1.0f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(3250), 0.9125f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(4500), 0.825f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(6999), 0.65f + 0.35f / 5000.0f);
    for (int t : {7000, 7001, 100000, 2000000000})
        EXPECT_FLOAT_EQ(envelope.LevelAt(t), 0.65f) << t;
    EXPECT_FLOAT_EQ(envelope.ScaleAt(2.0f, 1000), 1.0f);
}

TEST(ADSR, ReleaseRampsFromTheLevelAtItsStart)
{
    DSPModule_ADSR envelope;
    envelope.ReleaseAt(10000);
    EXPECT_FLOAT_EQ(envelope.LevelAt(1000), 0.5f); // a release still ahead leaves the earlier curve alone
    EXPECT_FLOAT_EQ(envelope.LevelAt(9999), 0.65f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(10000), 0.65f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(20000), 0.325f);
    EXPECT_NEAR(envelope.LevelAt(29999), 0.0000325f, 1e-8);
    for (int t : {30000, 30001, 1000000})
        EXPECT_EQ(envelope.LevelAt(t), 0.0f) << t;
}

TEST(ADSR, SecondReleaseStartsWhereTheFirstRampStands)
{
    DSPModule_ADSR envelope;
    envelope.ReleaseAt(10000);
    envelope.ReleaseAt(15000);
    EXPECT_FLOAT_EQ(envelope.LevelAt(12000), 0.4875f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(15000), 0.4875f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(25000), 0.24375f);
    EXPECT_EQ(envelope.LevelAt(35000), 0.0f);
}

TEST(ADSR, ShortenedReleaseForARetrigger)
{
    DSPModule_ADSR envelope;
    envelope.SetReleaseSamples(2205);
    envelope.ReleaseAt(1000);
    EXPECT_FLOAT_EQ(envelope.LevelAt(1000 + 2205 / 2), 0.5f * (1.0f - 1102.0f / 2205.0f));
    EXPECT_EQ(envelope.LevelAt(1000 + 2205), 0.0f);
}

TEST(ADSR, KeyClickEnvelope)
{
    DSPModule_ADSR envelope;
    envelope.Configure(0, 0, 0.5f, 44);
    envelope.ReleaseAt(100);
    for (int t = 0; t < 100; ++t)
        ASSERT_FLOAT_EQ(envelope.LevelAt(t), 0.5f) << t;
    EXPECT_FLOAT_EQ(envelope.LevelAt(100), 0.5f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(122), 0.25f);
    EXPECT_EQ(envelope.LevelAt(144), 0.0f);
}

TEST(ADSR, ConfigureRestartsUnreleased)
{
    DSPModule_ADSR envelope;
    envelope.ReleaseAt(10000);
    envelope.ReleaseAt(12000);
    envelope.Configure(100, 200, 0.25f, 400);
    EXPECT_FLOAT_EQ(envelope.LevelAt(50), 0.5f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(200), 0.625f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(50000), 0.25f);
}

TEST(ADSR, KneeQuarterFallsFastThenSlowly)
{
    DSPModule_ADSR envelope;
    envelope.Configure(220, 15435, 0.65f, 1000);
    envelope.SetDecayKnee(0.25f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(220), 1.0f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(4078), 0.825f);
    EXPECT_GT(envelope.LevelAt(15654), 0.65f);
    EXPECT_FLOAT_EQ(envelope.LevelAt(15655), 0.65f);
    // First segment: half the drop in a quarter of the decay; second: the other half in three quarters.
    EXPECT_NEAR(envelope.LevelAt(220 + 1929), 1.0f - 0.175f * 1929.0f / 3858.75f, 1e-6);
    EXPECT_NEAR(envelope.LevelAt(4078 + 5788), 0.825f - 0.175f * 5788.0f / 11576.25f, 1e-6);
}

TEST(ADSR, ZeroLengthsSkipTheirSegments)
{
    DSPModule_ADSR envelope;
    envelope.Configure(0, 0, 0.3f, 0);
    EXPECT_FLOAT_EQ(envelope.LevelAt(0), 0.3f);
    envelope.ReleaseAt(10);
    EXPECT_FLOAT_EQ(envelope.LevelAt(9), 0.3f);
    EXPECT_EQ(envelope.LevelAt(10), 0.0f);

    DSPModule_ADSR kneeZero;
    kneeZero.SetDecayKnee(0.0f);
    EXPECT_FLOAT_EQ(kneeZero.LevelAt(2000), 0.825f); // jumps from peak to the midpoint
}

// The run path must give LevelAt's values bit for bit, wherever a run starts and ends against the
// segment edges, for every kind of envelope the organ uses and the degenerate ones a caller may set.
TEST(ADSR, LevelsOfARunAreTheSingleLevels)
{
    const auto expectSameLevels = [](const DSPModule_ADSR& envelope, const char* what)
    {
        DSPModule_ADSR single = envelope;
        for (int first = -5; first < 600; first += 7)
            for (int count : {1, 13, 64})
            {
                float levels[64];
                envelope.LevelsInto(levels, first, count);
                for (int k = 0; k < count; ++k)
                    ASSERT_EQ(levels[k], single.LevelAt(first + k)) << what << " at " << first + k;
            }
    };
    DSPModule_ADSR envelope;
    envelope.Configure(40, 300, 0.3f, 90);
    expectSameLevels(envelope, "attack, decay, sustain");
    envelope.SetDecayKnee(0.25f);
    expectSameLevels(envelope, "knee at a quarter");
    envelope.ReleaseAt(200);
    expectSameLevels(envelope, "released in the decay");
    envelope.ReleaseAt(250);
    expectSameLevels(envelope, "released again");
    envelope.Configure(0, 0, 0.5f, 44);
    envelope.ReleaseAt(100);
    expectSameLevels(envelope, "key-up click");
    envelope.Configure(3, 0, 0.0f, 5);
    envelope.SetDecayKnee(0.0f);
    expectSameLevels(envelope, "no decay, no knee");
    envelope.Configure(20, 30, 0.7f, -10);
    envelope.ReleaseAt(60);
    expectSameLevels(envelope, "negative release length");
}

} // namespace brumalux
