#pragma once

#include "dsp/SineCosine.h"
#include "dsp/TwoPi.h"

#include <utility>

namespace brumalux
{

// Second-order sections after the Audio EQ Cookbook. Frequencies are normalised (cycles per sample); the
// filters know no sample rate. Coefficients and history are doubles; retuning never touches the history,
// so a filter can be retuned at every sample without clicks. Audio thread of the owner only.
//
// Callers keep Q and bandwidth above 0 and, for the band filters, the frequency strictly between 0 and 0.5.
// A new low-, high- or band-pass filter has valid coefficients only after its first SetFrequency, SetQ or
// Tune.
class DSPModule_BiQuadFilterBase
{
public:
    virtual ~DSPModule_BiQuadFilterBase() = default;

    // Direct Form I, normalised by a0 at every sample.
    virtual double Process(float x)
    {
        x2 = x1;
        x1 = x0;
        x0 = x;
        y2 = y1;
        y1 = y0;
        y0 = (b0 * x0 + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
        return y0;
    }

    // What count calls of Process give, with the history held in registers over the run. out may be in.
    void ProcessBlock(const float* in, float* out, int count);
    // ProcessBlock of two filters, each over its own samples, side by side in the two halves of one
    // register: what the two calls give, in about the time of one.
    static void ProcessBlockPair(DSPModule_BiQuadFilterBase& first, const float* firstIn, float* firstOut,
                                 DSPModule_BiQuadFilterBase& second, const float* secondIn, float* secondOut,
                                 int count);

    virtual void RecomputeCoefficients();

    // Frequencies above 1 cycle per sample are taken as 1.
    void SetFrequency(float cyclesPerSample);
    // Q for the low- and high-pass filters, bandwidth in octaves for the band filters.
    void SetQ(float designParameter);
    // SetFrequency and SetQ with a single recomputation, for owners that retune at every sample.
    void Tune(float cyclesPerSample, float designParameter);

protected:
    double a0 = 0.0, a1 = 0.0, a2 = 0.0;
    double b0 = 1.0, b1 = 0.0, b2 = 0.0;
    double x0 = 0.0, x1 = 0.0, x2 = 0.0;
    double y0 = 0.0, y1 = 0.0, y2 = 0.0;
    double omega = 0.0; // radians per sample
    double cosOmega = 0.0, sinOmega = 0.0, alpha = 0.0;
    double designParameter = 0.0; // Q or bandwidth in octaves

private:
    SteppedSineCosine sineCosine; // the owners move the frequency in small steps
    void SetOmega(float cyclesPerSample);
};

class DSPModule_HighLowPassFilterBase : public DSPModule_BiQuadFilterBase
{
public:
    DSPModule_HighLowPassFilterBase();
    void RecomputeCoefficients() override;
};

class DSPModule_LowPassFilter : public DSPModule_HighLowPassFilterBase
{
public:
    void RecomputeCoefficients() override;
};

class DSPModule_HighPassFilter : public DSPModule_HighLowPassFilterBase
{
public:
    void RecomputeCoefficients() override;
};

class DSPModule_BandFilterBase : public DSPModule_BiQuadFilterBase
{
public:
    DSPModule_BandFilterBase();
    void RecomputeCoefficients() override;
};

// Constant 0 dB peak gain: gain 1 at the centre.
class DSPModule_BandPassFilter : public DSPModule_BandFilterBase
{
public:
    void RecomputeCoefficients() override;
};

// Inline: the owners retune at every sample, and inline the calls reach the coefficients of the filter
// type they hold without a virtual call.
inline void DSPModule_BiQuadFilterBase::RecomputeCoefficients()
{
    const SineCosine angle = sineCosine.Of(omega);
    cosOmega = angle.cosine;
    sinOmega = angle.sine;
}

inline void DSPModule_BiQuadFilterBase::ProcessBlock(const float* in, float* out, int count)
{
    double in0 = x0, in1 = x1, in2 = x2, out0 = y0, out1 = y1, out2 = y2;
    for (int k = 0; k < count; ++k)
    {
        in2 = in1;
        in1 = in0;
        in0 = in[k];
        out2 = out1;
        out1 = out0;
        out0 = (b0 * in0 + b1 * in1 + b2 * in2 - a1 * out1 - a2 * out2) / a0;
        out[k] = static_cast<float>(out0);
    }
    x0 = in0;
    x1 = in1;
    x2 = in2;
    y0 = out0;
    y1 = out1;
    y2 = out2;
}

inline void DSPModule_BiQuadFilterBase::ProcessBlockPair(DSPModule_BiQuadFilterBase& first,
                                                         const float* firstIn, float* firstOut,
                                                         DSPModule_BiQuadFilterBase& second,
                                                         const float* secondIn, float* secondOut, int count)
{
    using Pair = double __attribute__((vector_size(16)));
    const Pair b0{first.b0, second.b0}, b1{first.b1, second.b1}, b2{first.b2, second.b2};
    const Pair a0{first.a0, second.a0}, a1{first.a1, second.a1}, a2{first.a2, second.a2};
    Pair in0{first.x0, second.x0}, in1{first.x1, second.x1}, in2{first.x2, second.x2};
    Pair out0{first.y0, second.y0}, out1{first.y1, second.y1}, out2{first.y2, second.y2};
    for (int k = 0; k < count; ++k)
    {
        in2 = in1;
        in1 = in0;
        in0 = Pair{firstIn[k], secondIn[k]};
        out2 = out1;
        out1 = out0;
        out0 = (b0 * in0 + b1 * in1 + b2 * in2 - a1 * out1 - a2 * out2) / a0;
        firstOut[k] = static_cast<float>(out0[0]);
        secondOut[k] = static_cast<float>(out0[1]);
    }
    for (auto [filter, lane] : {std::pair{&first, 0}, std::pair{&second, 1}})
    {
        filter->x0 = in0[lane];
        filter->x1 = in1[lane];
        filter->x2 = in2[lane];
        filter->y0 = out0[lane];
        filter->y1 = out1[lane];
        filter->y2 = out2[lane];
    }
}

inline void DSPModule_BiQuadFilterBase::SetOmega(float cyclesPerSample)
{
    if (cyclesPerSample > 1.0f)
        cyclesPerSample = 1.0f;
    omega = static_cast<double>(cyclesPerSample) * twoPiAsFloat;
}

inline void DSPModule_BiQuadFilterBase::SetFrequency(float cyclesPerSample)
{
    SetOmega(cyclesPerSample);
    RecomputeCoefficients();
}

inline void DSPModule_BiQuadFilterBase::SetQ(float newDesignParameter)
{
    designParameter = newDesignParameter;
    RecomputeCoefficients();
}

inline void DSPModule_BiQuadFilterBase::Tune(float cyclesPerSample, float newDesignParameter)
{
    SetOmega(cyclesPerSample);
    designParameter = newDesignParameter;
    RecomputeCoefficients();
}

inline void DSPModule_HighLowPassFilterBase::RecomputeCoefficients()
{
    DSPModule_BiQuadFilterBase::RecomputeCoefficients();
    alpha = sinOmega / (2.0 * designParameter);
}

inline void DSPModule_LowPassFilter::RecomputeCoefficients()
{
    DSPModule_HighLowPassFilterBase::RecomputeCoefficients();
    b0 = (1.0 - cosOmega) * 0.5;
    b1 = 1.0 - cosOmega;
    b2 = b0;
    a0 = 1.0 + alpha;
    a1 = -2.0 * cosOmega;
    a2 = 1.0 - alpha;
}

inline void DSPModule_HighPassFilter::RecomputeCoefficients()
{
    DSPModule_HighLowPassFilterBase::RecomputeCoefficients();
    b0 = (1.0 + cosOmega) * 0.5;
    b1 = -(1.0 + cosOmega);
    b2 = b0;
    a0 = 1.0 + alpha;
    a1 = -2.0 * cosOmega;
    a2 = 1.0 - alpha;
}

} // namespace brumalux
