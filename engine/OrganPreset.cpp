#include "OrganPreset.h"

#include "ParameterLimits.h"
#include "params/OrganParameters.h"
#include "params/QuellmarkFilterBase.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace brumalux
{

namespace
{
const char* const heading = "Brumalux preset";
const char* const versionKey = "version";
const char* const nameKey = "name";

// A whole finite number with a "." point, nothing else, whatever the process locale.
std::optional<float> ParseNumber(const juce::String& text)
{
    const auto utf8 = text.toStdString();
    double value = 0.0;
    const auto* end = utf8.data() + utf8.size();
    const auto [stop, error] = std::from_chars(utf8.data(), end, value);
    if (utf8.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return static_cast<float>(value);
}

bool IsText(const juce::MemoryBlock& bytes)
{
    const auto* data = static_cast<const char*>(bytes.getData());
    const auto size = bytes.getSize();
    return size > 0 && std::memchr(data, 0, size) == nullptr &&
           juce::CharPointer_UTF8::isValidString(data, static_cast<int>(size));
}

int IndexOfParameterNamed(const juce::String& name, PluginParameterManager& manager)
{
    for (int index = 0; index < manager.GetNumParameters(); ++index)
        if (manager.GetParameterName(index) == name)
            return index;
    return -1;
}

float ClampedToRange(int index, float value, PluginParameterManager& manager)
{
    auto range = manager.GetRange(index);
    if (index == ParameterIndex::oscillator)
        range = range.withEnd(static_cast<float>(ParameterLimits::numBasicShapes - 1));
    return range.clipValue(value);
}

ParsedPreset Failure(const juce::String& error)
{
    return {std::nullopt, error};
}
} // namespace

OrganPreset OrganPreset::FromCurrentProgram(QuellmarkFilterBase& organ)
{
    auto& manager = organ.GetParameterManager();
    OrganPreset preset;
    preset.name = organ.GetProgramName(organ.GetCurrentProgram());
    for (int index = 0; index < manager.GetNumParameters(); ++index)
        preset.values.emplace_back(index, manager.GetValue(index));
    return preset;
}

juce::String OrganPreset::ToText(QuellmarkFilterBase& organ) const
{
    auto& manager = organ.GetParameterManager();
    juce::String text;
    text << heading << "\n" << versionKey << " = " << version << "\n" << nameKey << " = " << name << "\n";
    for (const auto& [index, value] : values)
        text << manager.GetParameterName(index) << " = " << PluginParameterManager::FormatValue(value)
             << "\n";
    return text;
}

ParsedPreset OrganPreset::FromText(const juce::String& text, QuellmarkFilterBase& organ)
{
    auto& manager = organ.GetParameterManager();
    juce::StringArray lines;
    lines.addLines(text);
    lines.trim();
    lines.removeEmptyStrings();
    if (lines.isEmpty() || lines[0] != heading)
        return Failure("This is not a Brumalux preset.");
    OrganPreset preset;
    std::optional<int> fileVersion;
    for (int number = 1; number < lines.size(); ++number)
    {
        const auto& line = lines[number];
        if (line.startsWithChar('#'))
            continue;
        if (!line.containsChar('='))
            return Failure("The preset is damaged: line " + juce::String(number + 1) +
                           " is not \"name = value\".");
        const auto key = line.upToFirstOccurrenceOf("=", false, false).trim();
        const auto value = line.fromFirstOccurrenceOf("=", false, false).trim();
        if (key == nameKey)
        {
            preset.name = value;
            continue;
        }
        const bool isVersion = key == versionKey;
        const int index = IndexOfParameterNamed(key, manager);
        if (!isVersion && index < 0)
            continue; // a setting of another version, or a parameter we do not have
        const auto parsedValue = ParseNumber(value);
        if (!parsedValue)
            return Failure("The preset is damaged: \"" + key + "\" has no number (\"" + value + "\").");
        if (isVersion)
            fileVersion = static_cast<int>(*parsedValue);
        else
            preset.values.emplace_back(index, ClampedToRange(index, *parsedValue, manager));
    }
    if (!fileVersion)
        return Failure("The preset is damaged: it has no version.");
    if (*fileVersion > version)
        return Failure("The preset was saved by a newer version of Brumalux (format version " +
                       juce::String(*fileVersion) + ").");
    return {std::move(preset), {}};
}

juce::Result OrganPreset::Save(const juce::File& file, QuellmarkFilterBase& organ)
{
    const auto folder = file.getParentDirectory();
    if (const auto made = folder.createDirectory(); made.failed())
        return juce::Result::fail("Cannot create the folder " + folder.getFullPathName() + ": " +
                                  made.getErrorMessage());
    const juce::TemporaryFile temporary(file);
    const auto text = FromCurrentProgram(organ).ToText(organ);
    if (!temporary.getFile().replaceWithText(text, false, false, "\n") ||
        !temporary.overwriteTargetFileWithTemporary())
        return juce::Result::fail("Cannot write the preset " + file.getFullPathName() +
                                  ": the folder may be read-only or the disk full.");
    return juce::Result::ok();
}

juce::Result OrganPreset::Load(const juce::File& file, QuellmarkFilterBase& organ)
{
    if (!file.existsAsFile())
        return juce::Result::fail("There is no preset " + file.getFullPathName() + ".");
    if (file.getSize() > largestFile)
        return juce::Result::fail(file.getFileName() + " is too large to be a Brumalux preset.");
    juce::MemoryBlock bytes;
    if (!file.loadFileAsData(bytes))
        return juce::Result::fail("Cannot read " + file.getFullPathName() + ".");
    if (!IsText(bytes))
        return juce::Result::fail(file.getFileName() + " is not a Brumalux preset.");
    const auto parsed = FromText(bytes.toString(), organ);
    if (!parsed.preset)
        return juce::Result::fail(file.getFileName() + ": " + parsed.error);
    organ.LoadIntoCurrentProgram(parsed.preset->name, parsed.preset->values);
    return juce::Result::ok();
}

} // namespace brumalux
