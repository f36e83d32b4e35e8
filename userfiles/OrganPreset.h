#pragma once

#include "userfiles/PlayerTextFile.h"

#include <juce_core/juce_core.h>

#include <utility>
#include <vector>

namespace brumalux
{

class QuellmarkFilterBase;

// The player's own preset: one program's name and values in a small text file that a
// person can read and edit, the same in every form and on every system:
//
//   Brumalux preset
//   version = 1
//   name = Warm Jazz
//   DrawBar0 = 0.8
//   Tone = 1800
//
// A first line that says what the file is, then "key = value" lines: the format's version,
// the program's name, and any of the parameters by name, in their own units. Blank lines
// and lines starting with "#" are skipped. Reading ignores names it does not know, keeps
// the parameters a file does not name, and clamps values to their ranges (the oscillator
// to the seven shapes the editor offers). Message thread or the host's control thread.
struct OrganPreset
{
    static constexpr int version = 1;
    static constexpr const char* fileSuffix = ".brumalux-preset";
    static constexpr PlayerFileKind kind{"Brumalux preset", juce::int64{64} * 1024};

    juce::String name;
    std::vector<std::pair<int, float>> values; // parameter index, value in its own units

    // The current program's name and every value of the organ.
    static OrganPreset FromCurrentProgram(QuellmarkFilterBase& organ);
    juce::String ToText(QuellmarkFilterBase& organ) const;

    // The preset the text describes, or the line at fault.
    static TextReading<OrganPreset> FromText(const juce::String& text, QuellmarkFilterBase& organ);

    // Writes the current program, creating the folder when needed.
    static juce::Result Save(const juce::File& file, QuellmarkFilterBase& organ);
    // Reads a file whole and loads it into the current program as one program change;
    // a file that is not a readable preset changes nothing and says why.
    static juce::Result Load(const juce::File& file, QuellmarkFilterBase& organ);
};

} // namespace brumalux
