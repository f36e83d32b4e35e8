#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace brumalux
{

class PluginParameterManager;

// One program: a name and its parameter values as 32-bit little-endian floats in index
// order (108 bytes when captured here; a loaded chunk may give any length).
struct ProgramRecord
{
    juce::String name;
    juce::MemoryBlock values;
};

// The bank of programs, numbered by position. It is the first part of the state chunk the
// host stores (a settings block may follow it, see SettingsBlock):
//   int32 N, then N times: name (at most 32 bytes, then a zero byte), int32 B, B bytes
// of values; all integers little-endian. Names travel as Latin-1: characters 1 to 255
// are one byte each, anything beyond Latin-1 is written as '?'.
//
// A plain value with no lock of its own: its owner guards it (QuellmarkFilterBase).
class ProgramStore
{
public:
    int GetNumPrograms() const noexcept;
    // Appends a program holding the manager's current values.
    void AddProgram(const PluginParameterManager& manager, const juce::String& name);
    // Replaces the program's values with the manager's current ones. Allocates nothing
    // when the program already holds one value per parameter, so that a program change
    // on the host's audio thread need not allocate.
    void CaptureProgram(int number, const PluginParameterManager& manager);
    // Null for an invalid number.
    const juce::MemoryBlock* GetProgramValues(int number) const noexcept;
    juce::String GetProgramName(int number) const;
    void RenameProgram(int number, const juce::String& name);

    // Appends the whole bank as a state chunk.
    void WritePrograms(juce::MemoryBlock& destination) const;
    // Replaces the bank with the programs of a complete chunk: a positive count, and
    // every program it announces whole inside the chunk. Bytes after the last one are
    // left to the caller: programsEnd, when given, receives where they start. Answers
    // false and leaves the bank as it was for any other chunk.
    bool ReadPrograms(const void* data, int sizeInBytes, size_t* programsEnd = nullptr);

private:
    ProgramRecord* FindProgram(int number) noexcept;
    const ProgramRecord* FindProgram(int number) const noexcept;

    std::vector<ProgramRecord> programs;
};

} // namespace brumalux
