#pragma once

#include "engine/ControllerMap.h"
#include "userfiles/PlayerTextFile.h"

#include <juce_core/juce_core.h>

namespace brumalux
{

// The controller map as a text file people read and edit:
//
//   Brumalux controller map 1
//   # a comment
//   70 = DrawBar0
//   78 = DrawBar8, inverted
//   1 = Speaker Speed
//   66 = Speaker Speed, latching
//
// The first line names the format and its version. Then one line per bound controller: its number, "=",
// the target (a parameter's name or "Speaker Speed", in any letter case), then optionally, after commas,
// "inverted" and, for "Spkr On" and "Speaker Speed", "latching" or "momentary". Controllers not listed
// are unbound. Blank lines and lines starting with "#" are skipped.
namespace ControllerMapFile
{
constexpr const char* header = "Brumalux controller map 1";
constexpr const char* speakerSpeedName = "Speaker Speed";
constexpr PlayerFileKind kind{"Brumalux controller map", juce::int64{64} * 1024};

// The player's own default, which every new organ starts with when it can be read.
juce::File UserDefault();

// The target's name in the file, given the parameters' names in index order.
juce::String TargetName(int target, const juce::StringArray& parameterNames);

juce::String ToText(const ControllerMap& map, const juce::StringArray& parameterNames);

// The map the text describes, or the line at fault.
TextReading<ControllerMap> FromText(const juce::String& text, const juce::StringArray& parameterNames);

// Message thread (or any but the audio thread), as every player's file (PlayerTextFile).
FileReading<ControllerMap> Read(const juce::File& file, const juce::StringArray& parameterNames);
juce::Result Write(const juce::File& file, const ControllerMap& map, const juce::StringArray& parameterNames);
} // namespace ControllerMapFile

} // namespace brumalux
