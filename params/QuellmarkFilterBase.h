#pragma once

#include "PluginParameterManager.h"
#include "ProgramStore.h"
#include "SettingsBlock.h"

#include "framework/AudioFilterBase.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
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
//
// The state is the bank followed, when a setting differs from its default, by a settings
// block (SettingsBlock). This class keeps the selected program there ("PROG"); a derived
// filter adds settings of its own through WriteSettings and ParseSettings, for example:
//
//   void WriteSettings(SettingsBlock& block) override
//   {
//       if (voiceLimit != 256)                      // only what differs from the default
//           block.AddInt32("VOIC", voiceLimit);
//   }
//   bool ParseSettings(const SettingsBlock& block, PendingSettings& apply) override
//   {
//       int32_t stored = 256;                       // absent: the default
//       if (const auto* value = block.Find("VOIC"))
//           if (!SettingsBlock::ReadInt32(*value, stored) || stored < 1 || stored > 256)
//               return false;                       // malformed: the whole state is refused
//       apply = [this, stored] { voiceLimit = stored; };
//       return true;
//   }
//
// Both run on the host's control thread, outside bankLock; ParseSettings must change
// nothing itself, as the state may still be refused after it. Keys are four ASCII
// characters of the derived filter's own; "PROG" is taken.
class QuellmarkFilterBase : public AudioFilterBase, public juce::MessageListener
{
public:
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
    // The program with its factory values (FactoryPrograms), reported as a program change.
    void SelectFactoryProgram(int number) override;
    // A Program Change from MIDI: the same switch, made on the audio thread without
    // allocating, posting or calling out. The host's parameter and program displays and an
    // open editor learn of it from the message thread, through DeliverPendingChanges, once for
    // any number of switches in between.
    void SelectProgramFromMidi(int number);
    // Message thread: reports what SelectProgramFromMidi switched. Posting a message from the
    // audio thread would allocate, so the message thread looks for switches instead.
    void DeliverPendingChanges() override;
    juce::String GetProgramName(int number) override;
    void ChangeProgramName(int number, const juce::String& name) override;
    // The whole bank, with the live values captured into the current program first, then
    // the settings block when the selected program is not the first or a derived filter
    // wrote a setting.
    void SaveState(juce::MemoryBlock& destination) override;
    // Replaces the bank with a complete chunk's, selects the program the chunk stored and
    // applies its stored values, then applies the derived filter's settings. A chunk
    // without a selected program (as saved by builds that stored none, or with the first
    // program selected) re-applies the current program number's values; the number
    // itself stays, even when the new bank is shorter. A damaged chunk (see
    // ProgramStore::ReadPrograms and SettingsBlock) changes nothing and tells nobody.
    void LoadState(const void* data, int sizeInBytes) override;
    // The same, answering whether the chunk was whole and loaded.
    bool TryLoadState(const void* data, int sizeInBytes);

    // Replaces the named parameters' values (in their own units; the others keep theirs)
    // and, unless name is empty, the current program's name, as a program change does:
    // stored together, then reported to the host once per value, with no gestures.
    // Message thread or the host's control thread.
    void LoadIntoCurrentProgram(const juce::String& name, const std::vector<std::pair<int, float>>& values);

    PluginParameterManager& GetParameterManager() noexcept { return manager; }
    // The bank without its lock: for building the factory programs and for inspection
    // while no other thread uses this filter.
    ProgramStore& GetProgramStore() noexcept { return programStore; }

protected:
    // What a derived filter's settings do once their state has been accepted; may be empty.
    using PendingSettings = std::function<void()>;
    // Adds the derived filter's settings that differ from their defaults. Any block
    // entries added here make SaveState write the block.
    virtual void WriteSettings(SettingsBlock&) {}
    // Checks the derived filter's entries of a loaded state and prepares their change in
    // apply, without changing anything. The block is empty when the state holds none (or
    // one of a later version, which is ignored). False refuses the whole state.
    virtual bool ParseSettings(const SettingsBlock&, PendingSettings&) { return true; }

private:
    // Under bankLock: stores the live values into the program being left and the new
    // program's values into the parameters. False when there is nothing to switch.
    bool SwitchProgram(int number, juce::BigInteger& written);
    static constexpr SettingsBlock::Key selectedProgramKey = "PROG";
    // The program a loaded block selects: none when it holds no "PROG"; false when
    // "PROG" is malformed or names no program of the bank.
    static bool ReadSelectedProgram(const SettingsBlock& settings, int numPrograms,
                                    std::optional<int>& selected);

    mutable std::mutex bankLock;
    // Declared in this order so that the manager goes first on destruction.
    ProgramStore programStore;
    int currentProgram = -1;
    std::atomic<bool> switchedByMidi{false};
    PluginParameterManager manager{*this};
};

} // namespace brumalux
