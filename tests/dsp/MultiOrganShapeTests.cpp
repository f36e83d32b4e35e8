#include "dsp/MultiOrganShapes.h"
#include "dsp/SingleWaveShapes.h"

#include "SignalMeasurement.h"

#include <gtest/gtest.h>

#include <memory>

namespace brumalux
{

using dsptest::PartialAmplitude;

namespace
{
// Drawbar weights before any fold-back, and the ratios each octave class ends up with.
constexpr double baseRatio[9] = {1, 3, 2, 4, 6, 8, 10, 12, 16};
constexpr double baseWeight[9] = {1.25, 0.8, 1.0, 0.8, 0.8, 0.8, 0.6, 0.6, 0.6};
constexpr double octaveRatios[8][9] = {{1, 3, 2, 4, 6, 8, 10, 12, 16}, {1, 3, 2, 4, 6, 8, 10, 12, 16},
                                       {1, 3, 2, 4, 6, 8, 10, 12, 16}, {1, 3, 2, 4, 6, 8, 10, 12, 16},
                                       {1, 3, 2, 4, 6, 8, 10, 12, 8},  {1, 3, 2, 4, 6, 4, 5, 6, 4},
                                       {1, 3, 2, 2, 3, 2, 2.5, 3, 2},  {1, 3, 1, 1, 1.5, 1, 1.25, 1.5, 1}};

std::unique_ptr<OscillatorShape_MultiOrganBase> MakeOctave(int octave)
{
    switch (octave)
    {
        case 1:
            return std::make_unique<OscillatorShape_MultiOrganOctave1>();
        case 2:
            return std::make_unique<OscillatorShape_MultiOrganOctave2>();
        case 3:
            return std::make_unique<OscillatorShape_MultiOrganOctave3>();
        case 4:
            return std::make_unique<OscillatorShape_MultiOrganOctave4>();
        case 5:
            return std::make_unique<OscillatorShape_MultiOrganOctave5>();
        case 6:
            return std::make_unique<OscillatorShape_MultiOrganOctave6>();
        case 7:
            return std::make_unique<OscillatorShape_MultiOrganOctave7>();
        default:
            return std::make_unique<OscillatorShape_MultiOrganOctave8>();
    }
}

class DrawbarSum : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shape.SetSampleRate(44100);
        shape.SetBaseShape(&noisySine);
    }
    OscillatorShape_Sine noisySine; // any refill of the table shows as fresh noise
    OscillatorShape_MultiOrganOctave1 shape;
};
} // namespace

TEST_F(DrawbarSum, AllLevelsZeroIsSilent)
{
    for (float v : shape.Table())
        EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(shape.ComputeSample(0.3f), 0.0f);
}

TEST_F(DrawbarSum, OnePartialIsTheBaseShapeAtItsRatioWeightAndOffset)
{
    OscillatorShape_PureSine pureSine;
    shape.SetBaseShape(&pureSine);
    shape.SetDrawbar(2, 1.0f);
    for (int k = 0; k < 200; ++k)
    {
        const double x = k / 200.0;
        const double expected = 1.0 * std::sin(twoPi * (2 * x + 0.6283185307179581));
        EXPECT_NEAR(shape.ComputeSample(static_cast<float>(x)), expected, 1e-5) << k;
        EXPECT_NEAR(shape.ReadSample(static_cast<float>(x)), expected, 1.5e-4) << k; // table drift at ratio 2
    }
}

TEST_F(DrawbarSum, LevelChangesWithinTheDeadBandOrOutOfRangeIndicesKeepTheTable)
{
    shape.SetDrawbar(3, 0.5f);
    const std::vector<float> table = shape.Table();
    shape.SetDrawbar(3, 0.5009f);
    shape.SetDrawbar(9, 1.0f);
    shape.SetDrawbar(-1, 1.0f);
    EXPECT_EQ(shape.Table(), table);
    shape.SetDrawbar(3, 0.502f);
    EXPECT_NE(shape.Table(), table);
}

TEST_F(DrawbarSum, SetDrawbarsRefillsOnlyWhenALevelMoved)
{
    const float levels[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    shape.SetDrawbars(levels);
    const std::vector<float> table = shape.Table();
    const float nearby[9] = {0.1005f, 0.2f, 0.3f, 0.3991f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    shape.SetDrawbars(nearby);
    EXPECT_EQ(shape.Table(), table);
    float moved[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    moved[8] = 0.0f;
    shape.SetDrawbars(moved);
    EXPECT_NE(shape.Table(), table);
}

TEST_F(DrawbarSum, AdoptingABaseShapePreparesItAtTheSameRate)
{
    shape.SetDrawbar(0, 1.0f);
    const std::vector<float> table = shape.Table();
    shape.SetBaseShape(&noisySine);
    EXPECT_EQ(shape.Table(), table); // the same base again changes nothing

    OscillatorShape_Triangle triangle;
    shape.SetBaseShape(&triangle);
    EXPECT_EQ(triangle.TableCount(), 881);
    EXPECT_NEAR(shape.ReadSample(0.25f), 1.25 * 0.95, 5e-5);

    shape.SetSampleRate(48000);
    EXPECT_EQ(triangle.TableCount(), 959);
    EXPECT_EQ(shape.TableCount(), 959);

    shape.SetBaseShape(nullptr);
    EXPECT_EQ(shape.ReadSample(0.25f), 0.0f);
}

TEST(DrawbarSumUnprepared, ReadsTheExactSumWithoutATable)
{
    OscillatorShape_PureSine pureSine;
    OscillatorShape_MultiOrganOctave2 shape;
    shape.SetBaseShape(&pureSine); // passes rate 0 on: neither has a table
    shape.SetDrawbar(0, 0.8f);
    EXPECT_TRUE(shape.Table().empty());
    EXPECT_TRUE(pureSine.Table().empty());
    EXPECT_NEAR(shape.ReadSample(0.25f), 0.8 * 1.25, 1e-6);
}

// Each drawbar alone, measured with a DFT over four cycles so that folded partials of ratio 1.25, 1.5 and
// 2.5 also complete whole cycles: the partial must sit at its octave's ratio with its weight scaled alike.
class DrawbarFoldBack : public ::testing::TestWithParam<int>
{
};

TEST_P(DrawbarFoldBack, EachPartialSitsAtItsOctavesRatio)
{
    const int octave = GetParam();
    OscillatorShape_PureSine pureSine;
    for (int drawbar = 0; drawbar < 9; ++drawbar)
    {
        auto shape = MakeOctave(octave);
        shape->SetSampleRate(44100);
        shape->SetBaseShape(&pureSine);
        shape->SetDrawbar(drawbar, 0.5f);
        const double ratio = octaveRatios[octave - 1][drawbar];
        const double expectedAmplitude = 0.5 * baseWeight[drawbar] * ratio / baseRatio[drawbar];

        constexpr int cycles = 4, points = 4096;
        std::vector<double> exact(points);
        for (int k = 0; k < points; ++k)
            exact[k] = shape->ComputeSample(static_cast<float>(cycles) * k / points);
        EXPECT_NEAR(PartialAmplitude(exact, cycles * ratio), expectedAmplitude, 1e-4)
            << octave << " " << drawbar;
        if (ratio != baseRatio[drawbar])
        {
            EXPECT_NEAR(PartialAmplitude(exact, cycles * baseRatio[drawbar]), 0.0, 1e-4);
        }

        if (ratio == std::floor(ratio)) // the table holds one cycle, so only whole ratios repeat cleanly
        {
            std::vector<double> table(1024);
            for (int k = 0; k < 1024; ++k)
                table[k] = shape->ReadSample(k / 1024.0f);
            EXPECT_NEAR(PartialAmplitude(table, ratio), expectedAmplitude, 1e-3) << octave << " " << drawbar;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllOctaves, DrawbarFoldBack, ::testing::Range(1, 9));

} // namespace brumalux
