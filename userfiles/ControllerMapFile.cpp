#include "userfiles/ControllerMapFile.h"

#include "userfiles/UserFolders.h"

#include <algorithm>
#include <array>

namespace brumalux
{

namespace
{
constexpr const char* invertedWord = "inverted";
constexpr const char* modeWords[] = {"continuous", "latching", "momentary"};

int FindTarget(const juce::String& name, const juce::StringArray& parameterNames)
{
    for (int target = 0; target <= ControllerTarget::speakerSpeed; ++target)
        if (ControllerTarget::IsValid(target) &&
            ControllerMapFile::TargetName(target, parameterNames).equalsIgnoreCase(name))
            return target;
    return ControllerTarget::none;
}

// A whole decimal number from 0 to 127, nothing else.
int ParseControllerNumber(const juce::String& text)
{
    if (text.isEmpty() || text.length() > 3 || !text.containsOnly("0123456789"))
        return -1;
    const int number = text.getIntValue();
    return number < ControllerMap::numControllers ? number : -1;
}

// The words after the target; false for one it does not know.
bool ApplyOptions(const juce::StringArray& words, ControllerBinding& binding)
{
    for (const auto& word : words)
    {
        if (word.equalsIgnoreCase(invertedWord))
        {
            binding.inverted = true;
            continue;
        }
        const auto* mode = std::find_if(std::begin(modeWords), std::end(modeWords),
                                        [&](const char* name) { return word.equalsIgnoreCase(name); });
        if (mode == std::end(modeWords))
            return false;
        binding.mode = static_cast<SwitchMode>(mode - std::begin(modeWords));
    }
    return true;
}

// One binding line into the map; an empty string, or what is wrong with it.
juce::String ReadBindingLine(const juce::String& line, const juce::StringArray& parameterNames,
                             ControllerMap& map, std::array<bool, ControllerMap::numControllers>& seen)
{
    if (!line.contains("="))
        return "expected \"controller = target\"";
    const int controller = ParseControllerNumber(line.upToFirstOccurrenceOf("=", false, false).trim());
    if (controller < 0)
        return "the controller must be a number from 0 to 127";
    if (seen[static_cast<std::size_t>(controller)])
        return "controller " + juce::String(controller) + " is listed twice";
    seen[static_cast<std::size_t>(controller)] = true;

    juce::StringArray fields;
    fields.addTokens(line.fromFirstOccurrenceOf("=", false, false), ",", "");
    fields.trim();
    ControllerBinding binding;
    binding.target = FindTarget(fields[0], parameterNames);
    if (binding.target == ControllerTarget::none)
        return "\"" + fields[0] + "\" is no control of the organ";
    fields.remove(0);
    if (!ApplyOptions(fields, binding))
        return "unknown option (expected inverted, continuous, latching or momentary)";
    if (!ControllerMap::IsBindable(controller))
        return "controller " + juce::String(controller) + " keeps its own meaning and cannot be mapped";
    if (!map.Set(controller, binding))
        return "latching and momentary apply to Spkr On and Speaker Speed only";
    return {};
}
} // namespace

juce::String ControllerMapFile::TargetName(int target, const juce::StringArray& parameterNames)
{
    return target == ControllerTarget::speakerSpeed ? juce::String(speakerSpeedName) : parameterNames[target];
}

juce::String ControllerMapFile::ToText(const ControllerMap& map, const juce::StringArray& parameterNames)
{
    juce::String text;
    text << header << "\n";
    for (int controller = 0; controller < ControllerMap::numControllers; ++controller)
    {
        const auto& binding = map.Binding(controller);
        if (!binding.IsBound())
            continue;
        text << controller << " = " << TargetName(binding.target, parameterNames);
        if (binding.inverted)
            text << ", " << invertedWord;
        if (binding.mode != SwitchMode::continuous)
            text << ", " << modeWords[static_cast<std::size_t>(binding.mode)];
        text << "\n";
    }
    return text;
}

TextReading<ControllerMap> ControllerMapFile::FromText(const juce::String& text,
                                                       const juce::StringArray& parameterNames)
{
    juce::StringArray lines;
    lines.addLines(text);
    ControllerMap map;
    std::array<bool, ControllerMap::numControllers> seen{};
    bool headerSeen = false;
    for (int number = 1; number <= lines.size(); ++number)
    {
        const auto line = lines[number - 1].trim();
        if (line.isEmpty() || line.startsWithChar('#'))
            continue;
        if (!headerSeen)
        {
            if (line != header)
                return {std::nullopt,
                        {number, "this is not a Brumalux controller map (its first line should read \"" +
                                     juce::String(header) + "\")"}};
            headerSeen = true;
            continue;
        }
        const auto error = ReadBindingLine(line, parameterNames, map, seen);
        if (error.isNotEmpty())
            return {std::nullopt, {number, error}};
    }
    if (!headerSeen)
        return {std::nullopt, {0, "the file is empty"}};
    return {map, {}};
}

juce::File ControllerMapFile::UserDefault()
{
    return UserFolders::Settings().getChildFile("ControllerMap.txt");
}

FileReading<ControllerMap> ControllerMapFile::Read(const juce::File& file,
                                                   const juce::StringArray& parameterNames)
{
    return PlayerTextFile::Read<ControllerMap>(
        file, kind, [&parameterNames](const juce::String& text) { return FromText(text, parameterNames); });
}

juce::Result ControllerMapFile::Write(const juce::File& file, const ControllerMap& map,
                                      const juce::StringArray& parameterNames)
{
    return PlayerTextFile::WriteText(file, ToText(map, parameterNames));
}

} // namespace brumalux
