#pragma once

#include "PluginParameterManager.h"
#include "ProgramStore.h"

#include "framework/AudioFilterBase.h"

#include <atomic>
#include <mutex>

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
class QuellmarkFilterBase : public AudioFilterBase, public juce::MessageListener, private juce::Timer
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
    // A Program Change from MIDI: the same switch, made on the audio thread without
    // allocating, posting or calling out. The host's parameter and program displays and an
    // open editor learn of it from the message thread within midiSwitchPollMs, once for any
    // number of switches in between.
    void SelectProgramFromMidi(int number);
    static constexpr int midiSwitchPollMs = 40;
    juce::String GetProgramName(int number) override;
    void ChangeProgramName(int number, const juce::String& name) override;
    // The whole bank, with the live values captured into the current program first.
    void SaveState(juce::MemoryBlock& destination) override;
    // Replaces the bank with a complete chunk's and re-applies the current program
    // number's values; the number itself stays, even when the new bank is shorter. A
    // damaged chunk (see ProgramStore::ReadPrograms) changes nothing and tells nobody.
    void LoadState(const void* data, int sizeInBytes) override;

    PluginParameterManager& GetParameterManager() noexcept { return manager; }
    // The bank without its lock: for building the factory programs and for inspection
    // while no other thread uses this filter.
    ProgramStore& GetProgramStore() noexcept { return programStore; }

private:
    // Under bankLock: stores the live values into the program being left and the new
    // program's values into the parameters. False when there is nothing to switch.
    bool SwitchProgram(int number, juce::BigInteger& written);
    // Message thread: reports what SelectProgramFromMidi switched. Posting a message from
    // the audio thread would allocate, so the message thread looks for switches instead.
    void timerCallback() override;

    mutable std::mutex bankLock;
    // Declared in this order so that the manager goes first on destruction.
    ProgramStore programStore;
    int currentProgram = -1;
    std::atomic<bool> switchedByMidi{false};
    PluginParameterManager manager{*this};
};

} // namespace brumalux
