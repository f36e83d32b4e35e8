#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

class PluginParameterManager;

// One program: a name and its parameter values as 32-bit little-endian floats in index
// order (108 bytes when captured here; a loaded chunk may give any length).
struct ProgramRecord
{
    juce::String name;
    juce::MemoryBlock values;
};

// The bank of programs, numbered by position. It is also the state chunk the host stores:
//   int32 N, then N times: name (at most 32 bytes, then a zero byte), int32 B, B bytes
// of values; all integers little-endian. Names travel as Latin-1: characters 1 to 255
// are one byte each, anything beyond Latin-1 is written as '?'.
//
// Threads: only the host's control thread uses the store, and its calls do not overlap.
class ProgramStore
{
public:
    ProgramStore() = default;

    int GetNumPrograms() const noexcept;
    // Appends a program holding the manager's current values.
    void AddProgram(const PluginParameterManager& manager, const juce::String& name);
    // Replaces the program's values with the manager's current ones.
    void CaptureProgram(int number, const PluginParameterManager& manager);
    // Null for an invalid number.
    const juce::MemoryBlock* GetProgramValues(int number) const noexcept;
    juce::String GetProgramName(int number) const;
    void RenameProgram(int number, const juce::String& name);

    // Appends the whole bank as a state chunk.
    void WritePrograms(juce::MemoryBlock& destination) const;
    // Replaces the bank with the programs of a chunk. Reading stops at the first field
    // that does not fit inside the chunk; the programs read whole before it are kept.
    void ReadPrograms(const void* data, int sizeInBytes);
    void ClearPrograms();

private:
    ProgramRecord* FindProgram(int number) const noexcept;

    std::vector<std::unique_ptr<ProgramRecord>> programs;

    JUCE_DECLARE_NON_COPYABLE(ProgramStore)
};
