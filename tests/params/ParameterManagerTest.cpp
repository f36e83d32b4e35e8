#include "TestOrganFilter.h"

#include "params/LittleEndian.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale.h>

namespace brumalux
{

namespace P = ParameterIndex;

namespace
{
juce::MemoryBlock Floats(std::initializer_list<float> values)
{
    juce::MemoryBlock block;
    for (float value : values)
        LittleEndian::AppendFloat(block, value);
    return block;
}

juce::MemoryBlock RepeatedFloat(float value, int count)
{
    juce::MemoryBlock block;
    for (int i = 0; i < count; ++i)
        LittleEndian::AppendFloat(block, value);
    return block;
}
} // namespace

TEST(ParameterManager, NormalisesBothWaysWithoutClamping)
{
    TestOrganFilter filter;
    filter.SetNormalisedParameter(P::tone, 0.5f);
    EXPECT_EQ(filter.Value(P::tone), 6050.0f);
    filter.SetNormalisedParameter(P::oscillator, 1.0f);
    EXPECT_EQ(filter.Value(P::oscillator), 4.0f);
    filter.SetNormalisedParameter(P::attack, 0.5f);
    EXPECT_EQ(filter.Value(P::attack), 252.5f);
    filter.SetNormalisedParameter(P::release, 0.5f);
    EXPECT_EQ(filter.Value(P::release), 502.5f);
    filter.SetNormalisedParameter(P::fastSpeed2, 0.5f);
    EXPECT_FLOAT_EQ(filter.Value(P::fastSpeed2), 3.55f);

    filter.SetNormalisedParameter(P::distortion, 1.5f);
    EXPECT_EQ(filter.Value(P::distortion), 14.5f);
    EXPECT_EQ(filter.GetNormalisedParameter(P::distortion), 1.5f);
    filter.SetNormalisedParameter(P::tone, -0.5f);
    EXPECT_EQ(filter.Value(P::tone), -5850.0f);
    EXPECT_EQ(filter.GetNormalisedParameter(P::tone), -0.5f);
}

TEST(ParameterManager, InvalidIndicesAnswerDefaultsAndChangeNothing)
{
    TestOrganFilter filter;
    filter.AttachHost();
    juce::MemoryBlock before;
    filter.GetParameterManager().AppendValues(before);

    for (int index : {-1, 27, 1000})
    {
        EXPECT_EQ(filter.GetParameterName(index), "Unknown Parameter");
        EXPECT_EQ(filter.GetParameterText(index), "Unknown Parameter");
        EXPECT_EQ(filter.GetNormalisedParameter(index), 0.0f);
        EXPECT_EQ(filter.GetParameterManager().GetValue(index), 0.0f);
        filter.SetNormalisedParameter(index, 0.5f);
        filter.GetParameterManager().SetValueNotifyingHost(index, 0.5f);
    }

    juce::MemoryBlock after;
    filter.GetParameterManager().AppendValues(after);
    EXPECT_EQ(before, after);
    EXPECT_TRUE(filter.host.automation.empty());
}

TEST(ParameterManager, UnregisteredRecordsAreNeverReadOrWritten)
{
    TestOrganFilter filter;
    PluginParameterManager manager(filter);
    manager.SetParameterCount(2);
    std::atomic<float> storage{0.7f};
    manager.AddParameter(1, &storage, "Second");

    EXPECT_EQ(manager.GetNumParameters(), 2);
    EXPECT_EQ(manager.GetParameterName(0), "Unknown Parameter");
    manager.SetNormalisedValue(0, 0.5f);
    EXPECT_EQ(manager.GetValue(0), 0.0f);
    juce::MemoryBlock values;
    manager.AppendValues(values);
    EXPECT_EQ(values, Floats({0.0f, 0.7f}));
}

TEST(ParameterManager, TextsAreNineSignificantDigitsOfTheValue)
{
    TestOrganFilter filter;
    auto textOf = [&](int index, float value)
    {
        filter.parameters.drawbars[0].store(value);
        filter.parameters.tone.store(value);
        return filter.GetParameterText(index);
    };
    EXPECT_EQ(textOf(P::drawbar0, 0.25f), "0.25");
    EXPECT_EQ(textOf(P::drawbar0, 0.8f), "0.800000012");
    EXPECT_EQ(textOf(P::drawbar0, 0.3f), "0.300000012");
    EXPECT_EQ(textOf(P::drawbar0, 0.63f), "0.629999995");
    EXPECT_EQ(textOf(P::tone, 12000.0f), "12000");
    EXPECT_EQ(textOf(P::tone, -5850.0f), "-5850");
    EXPECT_EQ(textOf(P::tone, 1.0e20f), "1.00000002e+20");
    EXPECT_EQ(textOf(P::tone, 1.0e-10f), "1.00000001e-10");

    // Any float agrees with the C library's "%.9g" in the "C" locale.
    for (float value : {3.55f, 1.1f, 0.005f, 123456789.0f, 1.0e-5f, 7.0f, -0.1f, 4.9e-44f})
    {
        char expected[64];
        std::snprintf(expected, sizeof(expected), "%.9g", static_cast<double>(value));
        EXPECT_EQ(textOf(P::tone, value), expected) << value;
    }
}

TEST(ParameterManager, TextsKeepTheDecimalPointInACommaLocale)
{
    const locale_t commaLocale = newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    if (commaLocale == static_cast<locale_t>(0))
        GTEST_SKIP() << "no de_DE.UTF-8 locale installed";
    const locale_t previous = uselocale(commaLocale);
    char probe[16];
    std::snprintf(probe, sizeof(probe), "%.1f", 0.5);

    TestOrganFilter filter;
    filter.parameters.sustain.store(0.3f);
    const auto text = filter.GetParameterText(P::sustain);

    uselocale(previous);
    freelocale(commaLocale);
    EXPECT_STREQ(probe, "0,5");
    EXPECT_EQ(text, "0.300000012");
}

TEST(ParameterManager, EditorChangesAreReportedToTheHostAsNormalisedValues)
{
    TestOrganFilter filter;
    filter.AttachHost();
    filter.GetParameterManager().SetValueNotifyingHost(P::tone, 6050.0f);
    filter.GetParameterManager().SetValueNotifyingHost(P::distortion, 14.5f);

    ASSERT_EQ(filter.host.automation.size(), 2u);
    EXPECT_EQ(filter.host.automation[0].index, P::tone);
    EXPECT_EQ(filter.host.automation[0].normalisedValue, 0.5f);
    EXPECT_EQ(filter.host.automation[1].index, P::distortion);
    EXPECT_EQ(filter.host.automation[1].normalisedValue, 1.5f);
    EXPECT_EQ(filter.Value(P::tone), 6050.0f);
    EXPECT_EQ(filter.Value(P::distortion), 14.5f);
}

TEST(ParameterManager, ApplyValuesReadsOnlyWholeFloatsAndOnlyAsManyAsThereAreParameters)
{
    for (int size : {0, 40, 42, 200})
    {
        TestOrganFilter filter;
        filter.AttachHost();
        const auto values = RepeatedFloat(0.4375f, 50);
        filter.GetParameterManager().ApplyValues(values.getData(), size);

        const int expectedApplied = std::min(size / 4, 27);
        EXPECT_EQ(static_cast<int>(filter.host.automation.size()), expectedApplied) << size;
        for (int index = 0; index < 27; ++index)
            EXPECT_EQ(std::abs(filter.Value(index) - 0.4375f) < 1.0e-4f, index < expectedApplied)
                << size << " " << index;
    }
}

TEST(ParameterManager, NonFiniteWritesAreIgnored)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    TestOrganFilter filter;
    filter.AttachHost();
    auto& manager = filter.GetParameterManager();

    for (float bad : {nan, infinity, -infinity})
    {
        filter.SetNormalisedParameter(P::tone, bad);
        manager.SetValueNotifyingHost(P::tone, bad);
    }
    // Finite normalised values whose value overflows the float range.
    filter.SetNormalisedParameter(P::tone, 1.0e38f);
    filter.SetNormalisedParameter(P::tone, -1.0e38f);
    EXPECT_EQ(filter.Value(P::tone), 12000.0f);
    EXPECT_TRUE(filter.host.automation.empty());

    // Finite values outside the range are still stored as they are.
    manager.SetValueNotifyingHost(P::tone, 24000.0f);
    EXPECT_FLOAT_EQ(filter.Value(P::tone), 24000.0f);
    ASSERT_EQ(filter.host.automation.size(), 1u);

    const auto values = Floats({2.0f, nan, 7.0f, infinity, 0.5f});
    manager.ApplyValues(values.getData(), static_cast<int>(values.getSize()));
    EXPECT_EQ(filter.Value(P::oscillator), 2.0f);
    EXPECT_EQ(filter.Value(P::percussionLevel), 0.3f);
    EXPECT_FLOAT_EQ(filter.Value(P::attack), 7.0f);
    EXPECT_FLOAT_EQ(filter.Value(P::decay), 50.0f);
    EXPECT_EQ(filter.Value(P::sustain), 0.5f);
    EXPECT_EQ(filter.host.automation.size(), 4u);
}

} // namespace brumalux
