#pragma once

#include "PluginParameterManager.h"
#include "ProgramStore.h"

#include "framework/AudioFilterBase.h"

// The plug-in's filter base: owns the parameter manager and the bank of programs and
// answers the host's parameter, program and state requests with them. The organ derives
// from it and supplies the audio side and the keyboard-message handler.
//
// Threads: parameter requests may come from any host thread (the manager's targets are
// atomics); program and state requests come from the host's control thread and must not
// overlap each other.
class QuellmarkFilterBase : public AudioFilterBase, public juce::MessageListener
{
public:
    QuellmarkFilterBase();
    ~QuellmarkFilterBase() override;

    int GetNumParameters() override;
    juce::String GetParameterName(int index) override;
    float GetNormalisedParameter(int index) override;
    juce::String GetParameterText(int index) override;
    void SetNormalisedParameter(int index, float normalisedValue) override;

    int GetNumPrograms() override;
    int GetCurrentProgram() override;
    // Stores the live values into the program being left, then applies the new one.
    // Selecting the current program again does nothing.
    void SetCurrentProgram(int number) override;
    juce::String GetProgramName(int number) override;
    void ChangeProgramName(int number, const juce::String& name) override;
    // The whole bank, with the live values captured into the current program first.
    void SaveState(juce::MemoryBlock& destination) override;
    // Replaces the bank and re-applies the current program number's values; the number
    // itself stays, even when the new bank is shorter.
    void LoadState(const void* data, int sizeInBytes) override;

    PluginParameterManager& GetParameterManager() noexcept { return manager; }
    ProgramStore& GetProgramStore() noexcept { return programStore; }

private:
    // Declared in this order so that the manager goes first on destruction.
    ProgramStore programStore;
    int currentProgram = -1;
    PluginParameterManager manager{*this};
};
