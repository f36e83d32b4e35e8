#include "dsp/MultiOrganShapes.h"

#include <cmath>

namespace brumalux
{

namespace
{
// Drawbars 16', 5 1/3', 8', 4', 2 2/3', 2', 1 3/5', 1 1/3', 1' relative to the lowest.
constexpr double drawbarRatios[] = {1, 3, 2, 4, 6, 8, 10, 12, 16};
constexpr double drawbarWeights[] = {1.25, 0.8, 1.0, 0.8, 0.8, 0.8, 0.6, 0.6, 0.6};
// Fixed start phases in cycles, so the partials do not all peak together.
constexpr double drawbarPhaseOffsets[] = {0.0,
                                          1.3194689145077119,
                                          0.6283185307179581,
                                          0.43982297150257066,
                                          0.0,
                                          0.7539822368615495,
                                          0.1256637061435916,
                                          0.0,
                                          1.4451326206513035};
constexpr float levelDeadBand = 0.001f;
} // namespace

OscillatorShape_MultiOrganBase::OscillatorShape_MultiOrganBase()
{
    for (int i = 0; i < numPartials; ++i)
    {
        ratio[i] = drawbarRatios[i];
        amplitude[i] = 0.0;
        phaseOffset[i] = drawbarPhaseOffsets[i];
        level[i] = 0.0;
        weight[i] = drawbarWeights[i];
    }
}

void OscillatorShape_MultiOrganBase::FoldBack(double partial2, double partials3And4, double partials5To7,
                                              double partial8)
{
    const double factors[numPartials] = {
        1.0, 1.0, partial2, partials3And4, partials3And4, partials5To7, partials5To7, partials5To7, partial8};
    for (int i = 0; i < numPartials; ++i)
    {
        ratio[i] *= factors[i];
        weight[i] *= factors[i];
    }
    FillTable();
}

void OscillatorShape_MultiOrganBase::SetSampleRate(int newSampleRate)
{
    if (baseShape != nullptr)
        baseShape->SetSampleRate(newSampleRate);
    OscillatorShape_Base::SetSampleRate(newSampleRate);
}

float OscillatorShape_MultiOrganBase::ComputeSample(float phase)
{
    if (baseShape == nullptr)
        return 0.0f;
    float sum = 0.0f;
    for (int i = 0; i < numPartials; ++i)
    {
        const auto partialPhase = static_cast<float>(ratio[i] * phase + phaseOffset[i]);
        // A drawbar pushed in adds nothing (a zero at most), but its partial still draws its noise.
        if (amplitude[i] == 0.0)
            baseShape->SkipSample(partialPhase);
        else
            sum += static_cast<float>(amplitude[i] * baseShape->ComputeSample(partialPhase));
    }
    return sum;
}

bool OscillatorShape_MultiOrganBase::StoreLevel(int index, float newLevel)
{
    if (std::fabs(newLevel - static_cast<float>(level[index])) <= levelDeadBand)
        return false;
    level[index] = newLevel;
    amplitude[index] = level[index] * weight[index];
    return true;
}

void OscillatorShape_MultiOrganBase::SetDrawbar(int index, float newLevel)
{
    if (index < 0 || index >= numPartials)
        return;
    if (StoreLevel(index, newLevel))
        FillTable();
}

void OscillatorShape_MultiOrganBase::SetDrawbars(const float levels[numPartials])
{
    bool changed = false;
    for (int i = 0; i < numPartials; ++i)
        changed |= StoreLevel(i, levels[i]);
    if (changed)
        FillTable();
}

void OscillatorShape_MultiOrganBase::SetBaseShape(OscillatorShape_Base* shape)
{
    if (shape == baseShape)
        return;
    baseShape = shape;
    if (shape != nullptr)
    {
        shape->SetSampleRate(SampleRate());
        shape->FillTable();
    }
    FillTable();
}

} // namespace brumalux
