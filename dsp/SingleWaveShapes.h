#pragma once

#include "dsp/BiQuadFilters.h"
#include "dsp/OscillatorShape_Base.h"
#include "dsp/SoftClipper.h"
#include "dsp/WhiteNoise.h"

namespace brumalux
{

// The single-wave shapes the player chooses from. All but PureSine are built from the shared sine table;
// Sine and the organ sines add a slight amplitude flutter from noise, which a table fill freezes.
// Audio thread only, like every shape (SetSampleRate belongs to the prepare step).

// The exact sine; the source of SharedSineTable.
class OscillatorShape_PureSine : public OscillatorShape_Base
{
public:
    float ComputeSample(float phase) override;
};

// A shape whose samples carry noise. It draws from the generator its owner hands it, so that all the
// noise of one organ comes from one sequence in one order; until then from a generator of its own.
class OscillatorShape_NoiseDrawing : public OscillatorShape_Base
{
public:
    // Not owned; none means the shape's own generator.
    void SetNoiseSource(WhiteNoise* source) { noiseSource = source; }

protected:
    float DrawNoise() { return noiseSource != nullptr ? noiseSource->Next() : ownNoise.Next(); }

private:
    WhiteNoise ownNoise;
    WhiteNoise* noiseSource = nullptr;
};

class OscillatorShape_Sine : public OscillatorShape_NoiseDrawing
{
public:
    float ComputeSample(float phase) override;
    void SkipSample(float) override { DrawNoise(); }
};

// A sine with weak 4th and 6th partials and band-limited amplitude flutter.
class OscillatorShape_OrganSine : public OscillatorShape_NoiseDrawing
{
public:
    OscillatorShape_OrganSine();
    float ComputeSample(float phase) override;
    void SkipSample(float) override { flutterFilter.Process(DrawNoise()); }

protected:
    double partialRatio[2] = {4.0, 6.0};
    double partialAmplitude[2] = {0.03, 0.01};
    SoftClipper clipper;
    DSPModule_BandPassFilter flutterFilter; // runs on the noise in drawing order, never reset
    float outputGain = 1.0f;
};

// The organ sine driven 1.5 times into a hard limit at +-1.
class OscillatorShape_OrganSine2 : public OscillatorShape_OrganSine
{
public:
    OscillatorShape_OrganSine2();
    float ComputeSample(float phase) override;
};

// A triangle whose peaks are rounded by a soft clipper (0.95 at the peaks).
class OscillatorShape_Triangle : public OscillatorShape_Base
{
public:
    OscillatorShape_Triangle();
    float ComputeSample(float phase) override;

protected:
    SoftClipper clipper;
};

// The rounded triangle squared with its sign kept: narrower, brighter peaks.
class OscillatorShape_Triangle2 : public OscillatorShape_Triangle
{
public:
    float ComputeSample(float phase) override;
};

// Fundamental at weight 1, harmonics 2 to 8 at 1/(2n).
class OscillatorShape_SawTooth : public OscillatorShape_Base
{
public:
    float ComputeSample(float phase) override;
};

// Fundamental at weight 1, odd harmonics 3 to 13 at 1/(2n).
class OscillatorShape_Square : public OscillatorShape_Base
{
public:
    float ComputeSample(float phase) override;
};

} // namespace brumalux
