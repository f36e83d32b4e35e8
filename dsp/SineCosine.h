#pragma once

#include <cmath>

namespace brumalux
{

// sin and cos of an angle in radians, to double precision (within 5e-15 for angles up to three turns),
// without a library call: the filters retune at every sample and the delay sweeps every few, where the
// library's sin and cos cost more than the rest of the sample. Any thread.
struct SineCosine
{
    double sine;
    double cosine;
};

// The angle as a whole number of quarter turns and what is left, at most an eighth of a turn either way.
struct QuarterTurns
{
    long long quarter;
    double rest;
};

inline QuarterTurns QuarterTurnsOf(double angle)
{
    constexpr double halfPi = 1.5707963267948966192313216916398;
    constexpr double inverseHalfPi = 0.63661977236758134307553505349006;
    const double turns = angle * inverseHalfPi;
    // A NaN, an infinity or an angle past long long's reach counts no quarter turns: the rest keeps
    // it, and the series then answer NaN rather than a conversion that is undefined.
    if (!(std::fabs(turns) < 9.0e18))
        return {0, angle};
    const auto quarter = static_cast<long long>(turns >= 0.0 ? turns + 0.5 : turns - 0.5);
    return {quarter, angle - static_cast<double>(quarter) * halfPi};
}

// Taylor series of sin and cos about 0; on |r| <= pi / 4 the first omitted terms are below 1e-16.
inline double SineSeries(double r)
{
    constexpr double sineTerms[] = {1.0,
                                    -1.0 / 6.0,
                                    1.0 / 120.0,
                                    -1.0 / 5040.0,
                                    1.0 / 362880.0,
                                    -1.0 / 39916800.0,
                                    1.0 / 6227020800.0,
                                    -1.0 / 1307674368000.0};
    const double r2 = r * r;
    double sine = 0.0;
    for (int term = 7; term >= 0; --term)
        sine = sine * r2 + sineTerms[term];
    return sine * r;
}

inline double CosineSeries(double r)
{
    constexpr double cosineTerms[] = {1.0,
                                      -1.0 / 2.0,
                                      1.0 / 24.0,
                                      -1.0 / 720.0,
                                      1.0 / 40320.0,
                                      -1.0 / 3628800.0,
                                      1.0 / 479001600.0,
                                      -1.0 / 87178291200.0,
                                      1.0 / 20922789888000.0};
    const double r2 = r * r;
    double cosine = 0.0;
    for (int term = 8; term >= 0; --term)
        cosine = cosine * r2 + cosineTerms[term];
    return cosine;
}

inline SineCosine SineCosineOf(double angle)
{
    const QuarterTurns turns = QuarterTurnsOf(angle);
    const double sine = SineSeries(turns.rest);
    const double cosine = CosineSeries(turns.rest);
    switch (turns.quarter & 3)
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

// The sine alone, as SineCosineOf gives it, for half the work: the delay sweeps need no cosine.
inline double SineOf(double angle)
{
    const QuarterTurns turns = QuarterTurnsOf(angle);
    switch (turns.quarter & 3)
    {
        case 0:
            return SineSeries(turns.rest);
        case 1:
            return CosineSeries(turns.rest);
        case 2:
            return -SineSeries(turns.rest);
        default:
            return -CosineSeries(turns.rest);
    }
}

// sin and cos of an angle that moves in small steps, as a filter retuned at every sample moves: a short
// Taylor series from the last angle evaluated in full, which is evaluated anew once the angle has moved
// more than maxStep from it. Within 1e-17 of the full evaluation (the first omitted term is below
// maxStep^5 / 120). The owner's thread only.
class SteppedSineCosine
{
public:
    static constexpr double maxStep = 1.0e-3;

    SineCosine Of(double angle)
    {
        const double step = angle - anchor;
        if (!(std::fabs(step) <= maxStep)) // NaN too: the first call, or a stray angle
        {
            anchor = angle;
            anchorValue = SineCosineOf(angle);
            return anchorValue;
        }
        const double s = anchorValue.sine;
        const double c = anchorValue.cosine;
        const double h2 = step * step * 0.5;
        const double h3 = h2 * step * (1.0 / 3.0);
        const double h4 = h3 * step * 0.25;
        return {s + c * step - s * h2 - c * h3 + s * h4, c - s * step - c * h2 + s * h3 + c * h4};
    }

private:
    double anchor = NAN;
    SineCosine anchorValue{0.0, 1.0};
};

} // namespace brumalux
