#include "dsp/BiQuadFilters.h"

#include "dsp/SineCosine.h"
#include "dsp/TwoPi.h"

#include <cmath>

void DSPModule_BiQuadFilterBase::RecomputeCoefficients()
{
    const SineCosine angle = SineCosineOf(omega);
    cosOmega = angle.cosine;
    sinOmega = angle.sine;
}

void DSPModule_BiQuadFilterBase::SetOmega(float cyclesPerSample)
{
    if (cyclesPerSample > 1.0f)
        cyclesPerSample = 1.0f;
    omega = static_cast<double>(cyclesPerSample) * twoPiAsFloat;
}

void DSPModule_BiQuadFilterBase::SetFrequency(float cyclesPerSample)
{
    SetOmega(cyclesPerSample);
    RecomputeCoefficients();
}

void DSPModule_BiQuadFilterBase::SetQ(float newDesignParameter)
{
    designParameter = newDesignParameter;
    RecomputeCoefficients();
}

void DSPModule_BiQuadFilterBase::Tune(float cyclesPerSample, float newDesignParameter)
{
    SetOmega(cyclesPerSample);
    designParameter = newDesignParameter;
    RecomputeCoefficients();
}

DSPModule_HighLowPassFilterBase::DSPModule_HighLowPassFilterBase()
{
    omega = twoPiAsFloat / 2.0;
    designParameter = 0.5;
    DSPModule_HighLowPassFilterBase::RecomputeCoefficients();
}

void DSPModule_HighLowPassFilterBase::RecomputeCoefficients()
{
    DSPModule_BiQuadFilterBase::RecomputeCoefficients();
    alpha = sinOmega / (2.0 * designParameter);
}

void DSPModule_LowPassFilter::RecomputeCoefficients()
{
    DSPModule_HighLowPassFilterBase::RecomputeCoefficients();
    b0 = (1.0 - cosOmega) * 0.5;
    b1 = 1.0 - cosOmega;
    b2 = b0;
    a0 = 1.0 + alpha;
    a1 = -2.0 * cosOmega;
    a2 = 1.0 - alpha;
}

void DSPModule_HighPassFilter::RecomputeCoefficients()
{
    DSPModule_HighLowPassFilterBase::RecomputeCoefficients();
    b0 = (1.0 + cosOmega) * 0.5;
    b1 = -(1.0 + cosOmega);
    b2 = b0;
    a0 = 1.0 + alpha;
    a1 = -2.0 * cosOmega;
    a2 = 1.0 - alpha;
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
