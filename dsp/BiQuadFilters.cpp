#include "dsp/BiQuadFilters.h"

#include "dsp/TwoPi.h"

#include <cmath>

namespace brumalux
{

DSPModule_HighLowPassFilterBase::DSPModule_HighLowPassFilterBase()
{
    omega = twoPiAsFloat / 2.0;
    designParameter = 0.5;
    DSPModule_HighLowPassFilterBase::RecomputeCoefficients();
}

DSPModule_BandFilterBase::DSPModule_BandFilterBase()
{
    designParameter = 1.0;
}

void DSPModule_BandFilterBase::RecomputeCoefficients()
{
    DSPModule_BiQuadFilterBase::RecomputeCoefficients();
    // The digital bandwidth correction (bandwidth / sin w * w) keeps the -3 dB points where the octaves say.
    alpha = sinOmega * std::sinh(std::log(2.0) / 2.0 * (designParameter / sinOmega) * omega);
}

void DSPModule_BandPassFilter::RecomputeCoefficients()
{
    DSPModule_BandFilterBase::RecomputeCoefficients();
    b0 = alpha;
    b1 = 0.0;
    b2 = -alpha;
    a0 = 1.0 + alpha;
    a1 = -2.0 * cosOmega;
    a2 = 1.0 - alpha;
}

} // namespace brumalux
