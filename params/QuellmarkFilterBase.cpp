#include "QuellmarkFilterBase.h"

QuellmarkFilterBase::QuellmarkFilterBase() = default;

QuellmarkFilterBase::~QuellmarkFilterBase() = default;

int QuellmarkFilterBase::GetNumParameters()
{
    return manager.GetNumParameters();
}

juce::String QuellmarkFilterBase::GetParameterName(int index)
{
    return manager.GetParameterName(index);
}

float QuellmarkFilterBase::GetNormalisedParameter(int index)
{
    return manager.GetNormalisedValue(index);
}

juce::String QuellmarkFilterBase::GetParameterText(int index)
{
    return manager.GetParameterText(index);
}

void QuellmarkFilterBase::SetNormalisedParameter(int index, float normalisedValue)
{
    manager.SetNormalisedValue(index, normalisedValue);
}

int QuellmarkFilterBase::GetNumPrograms()
{
    return programStore.GetNumPrograms();
}

int QuellmarkFilterBase::GetCurrentProgram()
{
    return currentProgram;
}

void QuellmarkFilterBase::SetCurrentProgram(int number)
{
    if (number >= programStore.GetNumPrograms() || number == currentProgram)
        return;
    programStore.CaptureProgram(currentProgram, manager);
    const auto* values = programStore.GetProgramValues(number);
    if (values == nullptr)
        return;
    manager.ApplyValues(values->getData(), static_cast<int>(values->getSize()));
    currentProgram = number;
}

juce::String QuellmarkFilterBase::GetProgramName(int number)
{
    return programStore.GetProgramName(number);
}

void QuellmarkFilterBase::ChangeProgramName(int number, const juce::String& name)
{
    programStore.RenameProgram(number, name);
}

void QuellmarkFilterBase::SaveState(juce::MemoryBlock& destination)
{
    programStore.CaptureProgram(currentProgram, manager);
    programStore.WritePrograms(destination);
}

void QuellmarkFilterBase::LoadState(const void* data, int sizeInBytes)
{
    programStore.ReadPrograms(data, sizeInBytes);
    if (const auto* values = programStore.GetProgramValues(currentProgram))
        manager.ApplyValues(values->getData(), static_cast<int>(values->getSize()));
}
