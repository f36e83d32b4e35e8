#include "TestOrganFilter.h"

#include "params/LittleEndian.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace P = ParameterIndex;

namespace
{
const char* const factoryNames[10] = {
    "A little churchy",  "Mellow Doubt",   "Rock Organ",        "Organ pad",    "Fuzzy triangle",
    "Smooth percussion", "Distorto-matic", "Abandoned theatre", "Cheese Organ", "Breathy"};

float StoredValue(TestOrganFilter& filter, int program, int index)
{
    const auto* values = filter.GetProgramStore().GetProgramValues(program);
    return LittleEndian::ReadFloat(static_cast<const uint8_t*>(values->getData()) + 4 * index);
}
} // namespace

TEST(ProgramSwitching, StartsWithTheTenFactoryProgramsAndProgramZero)
{
    TestOrganFilter filter;
    EXPECT_EQ(filter.GetNumPrograms(), 10);
    EXPECT_EQ(filter.GetCurrentProgram(), 0);
    for (int number = 0; number < 10; ++number)
    {
        EXPECT_EQ(filter.GetProgramName(number), factoryNames[number]);
        EXPECT_EQ(filter.GetProgramStore().GetProgramValues(number)->getSize(), 108u);
    }
    EXPECT_EQ(filter.GetProgramName(10), "Unknown Program");
    EXPECT_EQ(filter.GetProgramName(-1), "Unknown Program");
    EXPECT_EQ(filter.GetProgramStore().GetProgramValues(10), nullptr);
}

TEST(ProgramSwitching, EditsStayWithTheProgramTheyWereMadeIn)
{
    TestOrganFilter filter;
    filter.AttachHost();
    filter.SetNormalisedParameter(P::tone, 0.5f);

    filter.SetCurrentProgram(3);
    EXPECT_EQ(filter.GetCurrentProgram(), 3);
    EXPECT_EQ(filter.host.automation.size(), 27u);
    EXPECT_FLOAT_EQ(filter.Value(P::tone), 8000.0f);
    EXPECT_FLOAT_EQ(filter.Value(P::attack), 500.0f);
    EXPECT_FLOAT_EQ(filter.Value(P::fastSpeed1), 1.0f);

    filter.SetCurrentProgram(0);
    EXPECT_EQ(filter.Value(P::tone), 6050.0f);
    EXPECT_FLOAT_EQ(filter.Value(P::attack), 5.0f);
}

TEST(ProgramSwitching, SelectingTheCurrentProgramAgainDoesNothing)
{
    TestOrganFilter filter;
    filter.AttachHost();
    filter.parameters.tone.store(3000.0f);

    filter.SetCurrentProgram(0);
    EXPECT_TRUE(filter.host.automation.empty());
    EXPECT_EQ(filter.Value(P::tone), 3000.0f);
    EXPECT_EQ(StoredValue(filter, 0, P::tone), 12000.0f);
}

TEST(ProgramSwitching, SelectingANegativeNumberOnlyCapturesTheLiveValues)
{
    TestOrganFilter filter;
    filter.AttachHost();
    filter.parameters.tone.store(3000.0f);

    filter.SetCurrentProgram(-1);
    EXPECT_EQ(filter.GetCurrentProgram(), 0);
    EXPECT_TRUE(filter.host.automation.empty());
    EXPECT_EQ(StoredValue(filter, 0, P::tone), 3000.0f);
}

TEST(ProgramSwitching, NumbersPastTheBankAreIgnored)
{
    TestOrganFilter filter;
    filter.AttachHost();
    filter.parameters.tone.store(3000.0f);

    filter.SetCurrentProgram(10);
    EXPECT_EQ(filter.GetCurrentProgram(), 0);
    EXPECT_TRUE(filter.host.automation.empty());
    EXPECT_EQ(StoredValue(filter, 0, P::tone), 12000.0f);
}

TEST(ProgramSwitching, RenamingKeepsTheValues)
{
    TestOrganFilter filter;
    filter.ChangeProgramName(2, "Loud");
    filter.ChangeProgramName(12, "Nowhere");
    EXPECT_EQ(filter.GetProgramName(2), "Loud");
    EXPECT_EQ(filter.GetNumPrograms(), 10);
    EXPECT_FLOAT_EQ(StoredValue(filter, 2, P::tone), 9000.0f);
}

} // namespace brumalux
