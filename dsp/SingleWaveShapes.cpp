#include "dsp/SingleWaveShapes.h"

#include "dsp/SharedSineTable.h"
#include "dsp/TwoPi.h"

#include <cmath>

namespace brumalux
{

namespace
{
// 0.5 * (S(p) + sum of S(n p) / n over the given harmonics); n p and 1/n in single precision.
template <int harmonicCount>
float HalfFundamentalPlusHarmonics(float phase, const int (&harmonics)[harmonicCount])
{
    const SharedSineReader sine = ReadSharedSine();
    float sum = sine(phase);
    for (int n : harmonics)
        sum += sine(static_cast<float>(n) * phase) * (1.0f / static_cast<float>(n));
    return 0.5f * sum;
}
} // namespace

float OscillatorShape_PureSine::ComputeSample(float phase)
{
    return static_cast<float>(std::sin(static_cast<double>(phase) * twoPi));
}

float OscillatorShape_Sine::ComputeSample(float phase)
{
    return SharedSine(phase) * (1.0f - 0.005f * DrawNoise());
}

OscillatorShape_OrganSine::OscillatorShape_OrganSine()
{
    clipper.SetThreshold(1.5f);
    flutterFilter.SetQ(3.0f); // octaves
    flutterFilter.SetFrequency(0.1f);
}

float OscillatorShape_OrganSine::ComputeSample(float phase)
{
    const SharedSineReader sine = ReadSharedSine();
    float wave = sine(phase);
    for (int i = 0; i < 2; ++i)
        wave += static_cast<float>(partialAmplitude[i] * sine(static_cast<float>(partialRatio[i]) * phase));
    const float flutter = static_cast<float>(flutterFilter.Process(DrawNoise()));
    return (1.0f - 0.005f * flutter) * wave;
}

OscillatorShape_OrganSine2::OscillatorShape_OrganSine2()
{
    clipper.SetThreshold(1.0f);
    outputGain = 1.5f;
    FillTable();
}

float OscillatorShape_OrganSine2::ComputeSample(float phase)
{
    return clipper.Process(OscillatorShape_OrganSine::ComputeSample(phase) * outputGain);
}

OscillatorShape_Triangle::OscillatorShape_Triangle()
{
    clipper.SetThreshold(0.9f);
}

float OscillatorShape_Triangle::ComputeSample(float phase)
{
    const float f = phase - std::trunc(phase);
    float triangle;
    if (f < 0.25f)
        triangle = 4.0f * f;
    else if (f < 0.75f)
        triangle = 1.0f - 4.0f * (f - 0.25f);
    else
        triangle = 4.0f * (f - 0.75f) - 1.0f;
    return clipper.Process(triangle);
}

float OscillatorShape_Triangle2::ComputeSample(float phase)
{
    const float triangle = OscillatorShape_Triangle::ComputeSample(phase);
    const float squared = clipper.Process(triangle * triangle);
    return triangle >= 0.0f ? squared : -squared;
}

float OscillatorShape_SawTooth::ComputeSample(float phase)
{
    static constexpr int harmonics[] = {1, 2, 3, 4, 5, 6, 7, 8};
    return HalfFundamentalPlusHarmonics(phase, harmonics);
}

float OscillatorShape_Square::ComputeSample(float phase)
{
    static constexpr int harmonics[] = {1, 3, 5, 7, 9, 11, 13};
    return HalfFundamentalPlusHarmonics(phase, harmonics);
}

} // namespace brumalux
