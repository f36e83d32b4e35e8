#pragma once

#include "framework/FilterNativeCallbacks.h"
#include "params/OrganParameterSet.h"

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

// The organ's parameter side without its engine, with a recording host to attach.
class TestOrganFilter : public OrganParameterSet
{
public:
    void AttachHost() { SetCallbacks(&host); }
    float Value(int index) { return GetParameterManager().GetValue(index); }

    RecordingHost host;
};

} // namespace brumalux
