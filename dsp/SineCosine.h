#pragma once

// sin and cos of an angle in radians, to double precision (within 5e-15 for angles up to three turns),
// without a library call: the filters retune at every sample and the delay sweeps every few, where the
// library's sin and cos cost more than the rest of the sample. Any thread.
struct SineCosine
{
    double sine;
    double cosine;
};

inline SineCosine SineCosineOf(double angle)
{
    constexpr double halfPi = 1.5707963267948966192313216916398;
    constexpr double inverseHalfPi = 0.63661977236758134307553505349006;
    // The nearest multiple of a quarter turn, and what is left: at most an eighth of a turn either way.
    const double turns = angle * inverseHalfPi;
    const auto quarter = static_cast<long long>(turns >= 0.0 ? turns + 0.5 : turns - 0.5);
    const double r = angle - static_cast<double>(quarter) * halfPi;
    const double r2 = r * r;
    // Taylor series; on |r| <= pi / 4 the first omitted terms are below 1e-16.
    constexpr double sineTerms[] = {1.0,
                                    -1.0 / 6.0,
                                    1.0 / 120.0,
                                    -1.0 / 5040.0,
                                    1.0 / 362880.0,
                                    -1.0 / 39916800.0,
                                    1.0 / 6227020800.0,
                                    -1.0 / 1307674368000.0};
    constexpr double cosineTerms[] = {1.0,
                                      -1.0 / 2.0,
                                      1.0 / 24.0,
                                      -1.0 / 720.0,
                                      1.0 / 40320.0,
                                      -1.0 / 3628800.0,
                                      1.0 / 479001600.0,
                                      -1.0 / 87178291200.0,
                                      1.0 / 20922789888000.0};
    double sine = 0.0, cosine = 0.0;
    for (int term = 7; term >= 0; --term)
        sine = sine * r2 + sineTerms[term];
    for (int term = 8; term >= 0; --term)
        cosine = cosine * r2 + cosineTerms[term];
    sine *= r;
    switch (quarter & 3)
    {
        case 0:
            return {sine, cosine};
        case 1:
            return {cosine, -sine};
        case 2:
            return {-sine, -cosine};
        default:
            return {-cosine, sine};
    }
}
