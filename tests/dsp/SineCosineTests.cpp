#include "dsp/SineCosine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace brumalux
{

TEST(SineCosine, MatchesTheLibraryToDoublePrecisionOverSeveralTurns)
{
    // Every quadrant and its edges, either sign, up to three turns: the filters' angles lie within one.
    double worst = 0.0;
    int sinesApart = 0; // the sine alone must be the pair's sine, bit for bit
    for (int k = -60000; k <= 60000; ++k)
    {
        const double angle = k * 3.1e-4;
        const SineCosine value = SineCosineOf(angle);
        sinesApart += SineOf(angle) != value.sine;
        worst = std::max(
            {worst, std::fabs(value.sine - std::sin(angle)), std::fabs(value.cosine - std::cos(angle))});
    }
    EXPECT_LT(worst, 5e-15);
    EXPECT_EQ(sinesApart, 0);
    const SineCosine quarterTurn = SineCosineOf(1.5707963267948966);
    EXPECT_NEAR(quarterTurn.sine, 1.0, 1e-16);
    EXPECT_NEAR(quarterTurn.cosine, 0.0, 1e-16);
}

TEST(SineCosine, SmallStepsFollowTheFullEvaluation)
{
    // A filter's angle creeping up and down in steps far below the series' reach, jumping now and then
    // (a new setting), and once NaN: every value as the full evaluation gives it, to rounding.
    SteppedSineCosine stepped;
    double worst = 0.0;
    double angle = 0.3;
    for (int k = 0; k < 20000; ++k)
    {
        angle += k % 5000 == 4999 ? 1.7 : 3e-6 * std::sin(k * 0.001);
        const SineCosine expected = SineCosineOf(angle);
        const SineCosine actual = stepped.Of(angle);
        worst = std::max(
            {worst, std::fabs(actual.sine - expected.sine), std::fabs(actual.cosine - expected.cosine)});
    }
    EXPECT_LT(worst, 1e-15);
    EXPECT_TRUE(std::isnan(stepped.Of(NAN).sine));
    EXPECT_NEAR(stepped.Of(0.5).cosine, std::cos(0.5), 1e-15) << "a NaN leaves no trace";
}

} // namespace brumalux
