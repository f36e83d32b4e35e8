#include "engine/OrganShapes.h"

namespace brumalux
{

OrganShapes::OrganShapes(WhiteNoise& noise)
    : basicShapes{&sine, &organSine, &organSine2, &triangle, &triangle2, &sawTooth, &square},
      octaveShapes{&octave1, &octave1, &octave1, &octave2, &octave3,
                   &octave4, &octave5, &octave6, &octave7, &octave8},
      distinctOctaveShapes{&octave1, &octave2, &octave3, &octave4, &octave5, &octave6, &octave7, &octave8}
{
    sine.SetNoiseSource(&noise);
    organSine.SetNoiseSource(&noise);
    organSine2.SetNoiseSource(&noise);
    // Partials 3 and 4 of the drawbar series are the second and third harmonic of the played note.
    percussionShape.SetBaseShape(basicShapes[0]);
    percussionShape.SetDrawbar(3, 1.0f);
    percussionShape.SetDrawbar(4, 0.5f);
}

void OrganShapes::SetSampleRate(int sampleRate)
{
    for (auto* shape : basicShapes)
        shape->SetSampleRate(sampleRate);
    for (auto* shape : distinctOctaveShapes)
        shape->SetSampleRate(sampleRate);
    percussionShape.SetSampleRate(sampleRate);
}

void OrganShapes::SetBaseShapeOfEveryOctave(OscillatorShape_Base* shape)
{
    for (auto* octaveShape : distinctOctaveShapes)
        octaveShape->SetBaseShape(shape);
}

} // namespace brumalux
