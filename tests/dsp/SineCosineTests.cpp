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

} // namespace brumalux
