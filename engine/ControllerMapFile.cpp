#include "engine/ControllerMapFile.h"

#include <algorithm>
#include <cstring>

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

ControllerMapFile::ReadResult ControllerMapFile::FromText(const juce::String& text,
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
                return {std::nullopt, "This is not a Brumalux controller map (its first line should read \"" +
                                          juce::String(header) + "\")."};
            headerSeen = true;
            continue;
        }
        const auto error = ReadBindingLine(line, parameterNames, map, seen);
        if (error.isNotEmpty())
            return {std::nullopt, "Line " + juce::String(number) + ": " + error + "."};
    }
    if (!headerSeen)
        return {std::nullopt, "The file is empty."};
    return {map, {}};
}

ControllerMapFile::ReadResult ControllerMapFile::Read(const juce::File& file,
                                                      const juce::StringArray& parameterNames)
{
    const auto where = "\"" + file.getFullPathName() + "\": ";
    if (!file.existsAsFile())
        return {std::nullopt, where + "no such file."};
    if (file.getSize() > maxFileSize)
        return {std::nullopt, where + "too large for a controller map."};
    juce::FileInputStream stream(file);
    if (stream.failedToOpen())
        return {std::nullopt, where + stream.getStatus().getErrorMessage()};
    juce::MemoryBlock bytes;
    stream.readIntoMemoryBlock(bytes);
    const auto* characters = static_cast<const char*>(bytes.getData());
    const auto size = static_cast<int>(bytes.getSize());
    const bool isText = size == 0 || (std::memchr(characters, 0, bytes.getSize()) == nullptr &&
                                      juce::CharPointer_UTF8::isValidString(characters, size));
    if (!isText)
        return {std::nullopt, where + "not a text file."};
    const auto content = juce::String::fromUTF8(characters, size);
    auto result = FromText(content, parameterNames);
    if (!result.map)
        result.error = where + result.error;
    return result;
}

juce::String ControllerMapFile::Write(const juce::File& file, const ControllerMap& map,
                                      const juce::StringArray& parameterNames)
{
    if (!file.getParentDirectory().createDirectory())
        return "Cannot create the folder \"" + file.getParentDirectory().getFullPathName() + "\".";
    juce::TemporaryFile temporary(file);
    {
        juce::FileOutputStream stream(temporary.getFile());
        if (stream.failedToOpen())
            return "Cannot write \"" + file.getFullPathName() + "\": " + stream.getStatus().getErrorMessage();
        stream.writeText(ToText(map, parameterNames), false, false, "\n");
        stream.flush();
        if (stream.getStatus().failed())
            return "Cannot write \"" + file.getFullPathName() + "\": " + stream.getStatus().getErrorMessage();
    }
    if (!temporary.overwriteTargetFileWithTemporary())
        return "Cannot replace \"" + file.getFullPathName() + "\".";
    return {};
}

} // namespace brumalux
