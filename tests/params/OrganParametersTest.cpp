#include "TestOrganFilter.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
struct ExpectedParameter
{
    const char* name;
    float minimum;
    float maximum;
    float afterConstruction;
};

const ExpectedParameter expectedParameters[27] = {
    {"Osc", 0, 4, 1},
    {"Perc Lvl", 0, 1, 0.3f},
    {"ADSR Att", 5, 500, 5},
    {"ADSR Dec", 5, 500, 50},
    {"ADSR Sus", 0, 1, 0.9f},
    {"ADSR Rel", 5, 1000, 50},
    {"DrawBar0", 0, 1, 1},
    {"DrawBar1", 0, 1, 0.63f},
    {"DrawBar2", 0, 1, 0.8f},
    {"DrawBar3", 0, 1, 0.8f},
    {"DrawBar4", 0, 1, 0},
    {"DrawBar5", 0, 1, 0.5f},
    {"DrawBar6", 0, 1, 0},
    {"DrawBar7", 0, 1, 0.2f},
    {"DrawBar8", 0, 1, 0.1f},
    {"Vibrato", 0, 1, 0.25f},
    {"Tone", 100, 12000, 12000},
    {"Distortion", 1, 10, 1.1f},
    {"Unused", 0, 1, 0.95f},
    {"Spkr On", 0, 1, 1},
    {"Spkr1Spd", 0.1f, 7, 1},
    {"Spkr2Spd", 0.1f, 7, 0.8f},
    {"FSpkr1Spd", 0.1f, 7, 4},
    {"FSpkr2Spd", 0.1f, 7, 3.8f},
    {"SpkrDpth", 0, 1, 0.8f},
    {"SpkrWdth", 0, 1, 0.2f},
    {"Clck Lvl", 0, 1, 0.2f},
};

// The storage member each index must write, listed independently of the registration.
std::atomic<float>& StorageOf(OrganParameters& p, int index)
{
    std::atomic<float>* members[27] = {&p.oscillator,
                                       &p.percussionLevel,
                                       &p.attack,
                                       &p.decay,
                                       &p.sustain,
                                       &p.release,
                                       &p.drawbars[0],
                                       &p.drawbars[1],
                                       &p.drawbars[2],
                                       &p.drawbars[3],
                                       &p.drawbars[4],
                                       &p.drawbars[5],
                                       &p.drawbars[6],
                                       &p.drawbars[7],
                                       &p.drawbars[8],
                                       &p.vibrato,
                                       &p.tone,
                                       &p.distortion,
                                       &p.clipThresholdScale,
                                       &p.speakerOn,
                                       &p.slowSpeed1,
                                       &p.slowSpeed2,
                                       &p.fastSpeed1,
                                       &p.fastSpeed2,
                                       &p.speakerDepth,
                                       &p.speakerWidth,
                                       &p.clickLevel};
    return *members[index];
}
} // namespace

TEST(OrganParameters, RegistersTheTwentySevenNamesAndRanges)
{
    TestOrganFilter filter;
    ASSERT_EQ(filter.GetNumParameters(), 27);
    for (int index = 0; index < 27; ++index)
    {
        const auto& expected = expectedParameters[index];
        EXPECT_EQ(filter.GetParameterName(index), expected.name);
        filter.SetNormalisedParameter(index, 0.0f);
        EXPECT_EQ(StorageOf(filter.parameters, index).load(), expected.minimum) << index;
        filter.SetNormalisedParameter(index, 1.0f);
        EXPECT_FLOAT_EQ(StorageOf(filter.parameters, index).load(), expected.maximum) << index;
    }
}

TEST(OrganParameters, HoldProgramZeroAfterConstruction)
{
    TestOrganFilter filter;
    for (int index = 0; index < 27; ++index)
        EXPECT_FLOAT_EQ(StorageOf(filter.parameters, index).load(),
                        expectedParameters[index].afterConstruction)
            << index;
    EXPECT_EQ(filter.GetNormalisedParameter(ParameterIndex::tone), 1.0f);
    EXPECT_EQ(filter.GetNormalisedParameter(ParameterIndex::oscillator), 0.25f);
    EXPECT_EQ(filter.GetParameterText(ParameterIndex::attack), "5");
    EXPECT_EQ(filter.GetParameterText(ParameterIndex::drawbar0 + 1), "0.629999995");
}

TEST(OrganParameters, DrawbarsAreReadAsOneArray)
{
    TestOrganFilter filter;
    for (int k = 0; k < numDrawbars; ++k)
        filter.SetNormalisedParameter(ParameterIndex::drawbar0 + k, 0.125f * static_cast<float>(k));
    float levels[numDrawbars];
    ReadDrawbars(filter.parameters, levels);
    for (int k = 0; k < numDrawbars; ++k)
        EXPECT_EQ(levels[k], 0.125f * static_cast<float>(k));
}

} // namespace brumalux
