#pragma once

#include "framework/FilterNativeCallbacks.h"
#include "params/OrganParameters.h"
#include "params/QuellmarkFilterBase.h"

#include <vector>

namespace brumalux
{

// Stands in for the host wrapper: applies the change as the host would, then records the
// automation the host would receive.
class RecordingHost : public FilterNativeCallbacks
{
public:
    struct Automation
    {
        int index;
        float normalisedValue;
    };

    void SetParameterAndTellHost(AudioFilterBase& filter, int index, float normalisedValue) override
    {
        filter.SetNormalisedParameter(index, normalisedValue);
        automation.push_back({index, normalisedValue});
    }

    std::vector<Automation> automation;
};

// The organ's parameter side without its engine.
class TestOrganFilter : public QuellmarkFilterBase
{
public:
    TestOrganFilter() { RegisterOrganParameters(*this, parameters); }

    void AttachHost() { SetCallbacks(&host); }
    float Value(int index) { return GetParameterManager().GetValue(index); }

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
    RecordingHost host;
};

} // namespace brumalux
