#include "dsp/CycleTableRead.h"
#include "dsp/OscillatorShape_Base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace brumalux
{

TEST(CycleTableRead, BothBuildsReadWhatASingleReadGives)
{
    // A drawbar-like table with steep slopes, read at phases all over the cycle, at its ends and outside
    // it (read as phase 0), in runs whose lengths leave every remainder of the eight-wide loop.
    constexpr int intervals = 881;
    std::vector<float> table(intervals + 1);
    for (int i = 0; i <= intervals; ++i)
    {
        const double angle = 2.0 * M_PI * i / intervals;
        table[i] = static_cast<float>(std::sin(angle) + 0.6 * std::sin(16.0 * angle + 1.0));
    }
    table[intervals] = 0.5f; // unlike entry 0, so that a read past the end would show
    std::vector<float> phases = {0.0f,
                                 -0.0f,
                                 std::nextafter(1.0f, 0.0f),
                                 1.0f,
                                 1.5f,
                                 -0.25f,
                                 std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 1.0f / intervals};
    for (int k = 0; k < 500; ++k)
        phases.push_back(static_cast<float>(std::fmod(k * 0.618034, 1.0)));

    const bool hasAvx2 = CycleTableRead::HasAvx2AndFma();
    for (int count = 0; count <= static_cast<int>(phases.size()); count += count < 20 ? 1 : 97)
    {
        std::vector<float> expected(count), baseline(count, -9.0f), wide(count, -9.0f);
        for (int k = 0; k < count; ++k)
            expected[k] = OscillatorShape_Base::InterpolateCycle(table.data(), intervals, phases[k]);
        CycleTableRead::Baseline(table.data(), intervals, phases.data(), baseline.data(), count);
        EXPECT_EQ(baseline, expected) << count;
        if (!hasAvx2)
            continue;
        CycleTableRead::Avx2Fma(table.data(), intervals, phases.data(), wide.data(), count);
        for (int k = 0; k < count; ++k)
            ASSERT_NEAR(wide[k], expected[k], 2e-7) << "phase " << phases[k];
    }
    for (int k = 3; k < 9; ++k)
        EXPECT_EQ(OscillatorShape_Base::InterpolateCycle(table.data(), intervals, phases[k]), table[0]) << k;
    if (!hasAvx2)
        GTEST_SKIP() << "no AVX2 and FMA here: only the baseline build was read";
}

TEST(CycleTableRead, BrumaluxSimdNamesTheBuild)
{
    using namespace CycleTableRead;
    const Reader best = HasAvx2AndFma() ? Avx2Fma : Baseline;
    const std::pair<const char*, Reader> cases[] = {
        {"portable", Portable}, {"sse2", Baseline}, {"avx2", best},
        {"SSE2", best},         {"", best},         {nullptr, best}};
    for (const auto& [value, expected] : cases)
    {
        if (value != nullptr)
            setenv("BRUMALUX_SIMD", value, 1);
        else
            unsetenv("BRUMALUX_SIMD");
        EXPECT_EQ(Best(), expected) << (value != nullptr ? value : "unset");
    }
    unsetenv("BRUMALUX_SIMD");
}

} // namespace brumalux
