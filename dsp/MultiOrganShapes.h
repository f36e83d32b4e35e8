#pragma once

#include "dsp/OscillatorShape_Base.h"

namespace brumalux
{

// The drawbar sum: nine partials of a chosen single-wave shape, each at its drawbar's ratio, weight and
// level. Its table is refilled whenever a level moves by more than 0.001 or the base shape changes.
// Audio thread only, SetSampleRate apart: SetDrawbars and SetBaseShape refill tables there without
// allocating, as long as the adopted shape was prepared at this shape's rate.
class OscillatorShape_MultiOrganBase : public OscillatorShape_Base
{
public:
    static constexpr int numPartials = 9;

    OscillatorShape_MultiOrganBase();

    // Passes the rate on to the base shape, then prepares this shape's own table.
    void SetSampleRate(int sampleRate) override;
    // Sums the partials from the base shape's exact ComputeSample, never from its table.
    float ComputeSample(float phase) override;

    // An index outside 0 to 8, or a level within 0.001 of the stored one, changes nothing.
    void SetDrawbar(int index, float level);
    // Refills the table at most once, and only if some level moved by more than 0.001.
    void SetDrawbars(const float levels[numPartials]);
    // The shape is not owned. Adopting a shape prepares it at this shape's rate and refills its table.
    void SetBaseShape(OscillatorShape_Base* shape);

protected:
    // Moves high partials down by octaves (ratio and weight scaled alike), as the keyboard octave needs.
    void FoldBack(double partial2, double partials3And4, double partials5To7, double partial8);

private:
    bool StoreLevel(int index, float level);

    double ratio[numPartials];
    double amplitude[numPartials];   // level * weight
    double phaseOffset[numPartials]; // cycles
    double level[numPartials];
    double weight[numPartials];
    OscillatorShape_Base* baseShape = nullptr;
};

// One drawbar-sum shape per keyboard octave; the upper octaves fold their highest partials back.
class OscillatorShape_MultiOrganOctave1 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave1() { FoldBack(1.0, 1.0, 1.0, 1.0); }
};

class OscillatorShape_MultiOrganOctave2 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave2() { FoldBack(1.0, 1.0, 1.0, 1.0); }
};

class OscillatorShape_MultiOrganOctave3 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave3() { FoldBack(1.0, 1.0, 1.0, 1.0); }
};

class OscillatorShape_MultiOrganOctave4 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave4() { FoldBack(1.0, 1.0, 1.0, 1.0); }
};

class OscillatorShape_MultiOrganOctave5 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave5() { FoldBack(1.0, 1.0, 1.0, 0.5); }
};

class OscillatorShape_MultiOrganOctave6 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave6() { FoldBack(1.0, 1.0, 0.5, 0.25); }
};

class OscillatorShape_MultiOrganOctave7 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave7() { FoldBack(1.0, 0.5, 0.25, 0.125); }
};

class OscillatorShape_MultiOrganOctave8 : public OscillatorShape_MultiOrganBase
{
public:
    OscillatorShape_MultiOrganOctave8() { FoldBack(0.5, 0.25, 0.125, 0.0625); }
};

} // namespace brumalux
