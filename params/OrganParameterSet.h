#pragma once

#include "OrganParameters.h"
#include "QuellmarkFilterBase.h"

namespace brumalux
{

// The organ's parameters and factory programs without its engine (it plays nothing and has no
// editor): what a program that describes the organ needs (the LV2 bundle's description), and
// the parameter side tests use.
class OrganParameterSet : public QuellmarkFilterBase
{
public:
    OrganParameterSet() { RegisterOrganParameters(*this, parameters); }

    void FillProperties(PluginProperties&) override {}
    int PrepareToPlay(double, int) override { return 0; }
    void ReleaseResources() override {}
    void ProcessBlock(const juce::AudioSampleBuffer&, juce::AudioSampleBuffer&, bool,
                      juce::MidiBuffer&) override
    {
    }
    AudioFilterEditor* CreateEditor() override { return nullptr; }
    void handleMessage(const juce::Message&) override {}

    OrganParameters parameters;
};

} // namespace brumalux
