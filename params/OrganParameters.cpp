#include "OrganParameters.h"

#include "FactoryPrograms.h"
#include "QuellmarkFilterBase.h"

namespace brumalux
{

void RegisterOrganParameters(QuellmarkFilterBase& filter, OrganParameters& storage)
{
    namespace P = ParameterIndex;
    auto& manager = filter.GetParameterManager();
    manager.SetParameterCount(P::count);

    manager.AddRangedParameter(P::oscillator, &storage.oscillator, "Osc", 0.0f, 4.0f);
    manager.AddParameter(P::percussionLevel, &storage.percussionLevel, "Perc Lvl");
    manager.AddRangedParameter(P::attack, &storage.attack, "ADSR Att", 5.0f, 500.0f);
    manager.AddRangedParameter(P::decay, &storage.decay, "ADSR Dec", 5.0f, 500.0f);
    manager.AddParameter(P::sustain, &storage.sustain, "ADSR Sus");
    manager.AddRangedParameter(P::release, &storage.release, "ADSR Rel", 5.0f, 1000.0f);
    for (int k = 0; k < numDrawbars; ++k)
        manager.AddParameter(P::drawbar0 + k, &storage.drawbars[k], "DrawBar" + juce::String(k));
    manager.AddParameter(P::vibrato, &storage.vibrato, "Vibrato");
    manager.AddRangedParameter(P::tone, &storage.tone, "Tone", 100.0f, 12000.0f);
    manager.AddRangedParameter(P::distortion, &storage.distortion, "Distortion", 1.0f, 10.0f);
    manager.AddParameter(P::clipThresholdScale, &storage.clipThresholdScale, "Unused");
    manager.AddParameter(P::speakerOn, &storage.speakerOn, "Spkr On");
    manager.AddRangedParameter(P::slowSpeed1, &storage.slowSpeed1, "Spkr1Spd", 0.1f, 7.0f);
    manager.AddRangedParameter(P::slowSpeed2, &storage.slowSpeed2, "Spkr2Spd", 0.1f, 7.0f);
    manager.AddRangedParameter(P::fastSpeed1, &storage.fastSpeed1, "FSpkr1Spd", 0.1f, 7.0f);
    manager.AddRangedParameter(P::fastSpeed2, &storage.fastSpeed2, "FSpkr2Spd", 0.1f, 7.0f);
    manager.AddParameter(P::speakerDepth, &storage.speakerDepth, "SpkrDpth");
    manager.AddParameter(P::speakerWidth, &storage.speakerWidth, "SpkrWdth");
    manager.AddParameter(P::clickLevel, &storage.clickLevel, "Clck Lvl");

    BuildFactoryPrograms(filter);
}

} // namespace brumalux
