#pragma once

#include "engine/ControllerMap.h"

#include <juce_core/juce_core.h>

#include <optional>

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
// The larger files are not controller maps.
constexpr juce::int64 maxFileSize = juce::int64{64} * 1024;

// The target's name in the file, given the parameters' names in index order.
juce::String TargetName(int target, const juce::StringArray& parameterNames);

juce::String ToText(const ControllerMap& map, const juce::StringArray& parameterNames);

struct ReadResult
{
    std::optional<ControllerMap> map;
    juce::String error; // why there is no map: for the user, naming the line at fault
};
ReadResult FromText(const juce::String& text, const juce::StringArray& parameterNames);

// Message thread (or any but the audio thread). Reading changes nothing when it fails; writing goes to a
// temporary file beside the target, renamed over it when complete. Write answers an empty string or why
// it failed.
ReadResult Read(const juce::File& file, const juce::StringArray& parameterNames);
juce::String Write(const juce::File& file, const ControllerMap& map, const juce::StringArray& parameterNames);
} // namespace ControllerMapFile

} // namespace brumalux
