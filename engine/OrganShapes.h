#pragma once

#include "dsp/MultiOrganShapes.h"
#include "dsp/SingleWaveShapes.h"

namespace brumalux
{

// The organ's wave shapes: the seven basic waveforms the player chooses from, one drawbar-sum shape per
// keyboard octave, and the shape of the percussion (second and third harmonic of the played note).
// Audio thread, apart from SetSampleRate, which allocates and belongs to the prepare step.
class OrganShapes
{
public:
    static constexpr int numBasicShapes = 7;
    static constexpr int numOctaves = 10;

    // The noisy waveforms draw from the owner's generator, which must outlive the shapes.
    explicit OrganShapes(WhiteNoise& noise);
    OrganShapes(const OrganShapes&) = delete;
    OrganShapes& operator=(const OrganShapes&) = delete;

    void SetSampleRate(int sampleRate);

    // 0 Sine, 1 OrganSine, 2 OrganSine2, 3 Triangle, 4 Triangle2, 5 SawTooth, 6 Square; index in 0 to 6.
    OscillatorShape_Base* BasicShape(int index) { return basicShapes[index]; }
    // The drawbar-sum shape for an octave index in 0 to 9 (the three lowest share one).
    OscillatorShape_MultiOrganBase* OctaveShape(int octaveIndex) { return octaveShapes[octaveIndex]; }
    OscillatorShape_MultiOrganBase& PercussionShape() { return percussionShape; }

    void SetBaseShapeOfEveryOctave(OscillatorShape_Base* shape);

private:
    OscillatorShape_OrganSine organSine;
    OscillatorShape_OrganSine2 organSine2;
    OscillatorShape_Sine sine;
    OscillatorShape_Triangle triangle;
    OscillatorShape_Triangle2 triangle2;
    OscillatorShape_SawTooth sawTooth;
    OscillatorShape_Square square;

    OscillatorShape_MultiOrganOctave1 octave1;
    OscillatorShape_MultiOrganOctave2 octave2;
    OscillatorShape_MultiOrganOctave3 octave3;
    OscillatorShape_MultiOrganOctave4 octave4;
    OscillatorShape_MultiOrganOctave5 octave5;
    OscillatorShape_MultiOrganOctave6 octave6;
    OscillatorShape_MultiOrganOctave7 octave7;
    OscillatorShape_MultiOrganOctave8 octave8;

    OscillatorShape_MultiOrganBase percussionShape;

    OscillatorShape_Base* basicShapes[numBasicShapes];
    OscillatorShape_MultiOrganBase* octaveShapes[numOctaves];
    OscillatorShape_MultiOrganBase* distinctOctaveShapes[8];
};

} // namespace brumalux
