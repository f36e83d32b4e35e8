#pragma once

#include "PluginParameterManager.h"
#include "ProgramStore.h"

#include "framework/AudioFilterBase.h"

#include <mutex>
#include <utility>
#include <vector>

namespace brumalux
{

// The plug-in's filter base: owns the parameter manager and the bank of programs and
// answers the host's parameter, program and state requests with them. The organ derives
// from it and supplies the audio side and the keyboard-message handler.
//
// Threads: every request may come from any thread, at any time, overlapping any other and
// rendering; hosts do call SetCurrentProgram on their audio thread. Parameter requests
// touch only the manager's atomic targets. The bank and the current program number sit
// behind bankLock, and the design keeps every wait for it short:
// - bankLock is a leaf: nothing that holds it takes another lock, calls the host, posts
//   a change message or parses or serialises a chunk;
// - the longest section under it is one copy of the bank (SaveState's snapshot); program
//   changes, names and loads hold it for one program's values at most, and a load swaps
//   in a bank that was parsed whole before the lock was taken;
// - what changes the live values stores them under the lock and announces them after
//   it (change messages and automation for the values the parameters hold by then), so
//   a program change and a load never leave the bank and the current number disagreeing.
// A replaced bank is freed after the lock. Two program changes that overlap
// may each report the other's values, like any host write made during a change.
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
    // Replaces the bank with a complete chunk's and re-applies the current program
    // number's values; the number itself stays, even when the new bank is shorter. A
    // damaged chunk (see ProgramStore::ReadPrograms) changes nothing and tells nobody.
    void LoadState(const void* data, int sizeInBytes) override;

    // Replaces the named parameters' values (in their own units; the others keep theirs)
    // and, unless name is empty, the current program's name, as a program change does:
    // stored together, then reported to the host once per value, with no gestures.
    // Message thread or the host's control thread.
    void LoadIntoCurrentProgram(const juce::String& name, const std::vector<std::pair<int, float>>& values);

    PluginParameterManager& GetParameterManager() noexcept { return manager; }
    // The bank without its lock: for building the factory programs and for inspection
    // while no other thread uses this filter.
    ProgramStore& GetProgramStore() noexcept { return programStore; }

private:
    mutable std::mutex bankLock;
    // Declared in this order so that the manager goes first on destruction.
    ProgramStore programStore;
    int currentProgram = -1;
    PluginParameterManager manager{*this};
};

} // namespace brumalux
