#include "userfiles/OrganPreset.h"

#include "engine/ParameterLimits.h"
#include "params/OrganParameters.h"
#include "params/QuellmarkFilterBase.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace brumalux
{

namespace
{
const char* const heading = "Brumalux preset";
const char* const versionKey = "version";
const char* const nameKey = "name";

// The whole text as one number, whatever the process locale; none for anything else.
template <typename Number> std::optional<Number> ParseWhole(const juce::String& text)
{
    const auto utf8 = text.toStdString();
    Number value{};
    const auto* end = utf8.data() + utf8.size();
    const auto [stop, error] = std::from_chars(utf8.data(), end, value);
    if (utf8.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// A finite number with a "." point that a parameter can hold.
std::optional<float> ParseNumber(const juce::String& text)
{
    const auto value = ParseWhole<double>(text);
    if (!value || !(std::abs(*value) <= std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(*value);
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

TextReading<OrganPreset> Fault(int line, const juce::String& reason)
{
    return {std::nullopt, {line, reason}};
}

// One "key = value" line after the heading, into the preset; what is wrong with it, if anything.
juce::String TakeSetting(const juce::String& line, PluginParameterManager& manager, OrganPreset& preset,
                         std::optional<int>& fileVersion)
{
    const auto setting = KeyValueLine::Parse(line);
    if (!setting)
        return "the line is not \"name = value\"";
    if (setting->key == nameKey)
    {
        preset.name = setting->value;
        return {};
    }
    if (setting->key == versionKey)
    {
        fileVersion = ParseWhole<int>(setting->value);
        return fileVersion ? juce::String() : "its version is no whole number (\"" + setting->value + "\")";
    }
    const int index = IndexOfParameterNamed(setting->key, manager);
    if (index < 0)
        return {}; // a setting of another version, or a parameter we do not have
    const auto value = ParseNumber(setting->value);
    if (!value)
        return "\"" + setting->key + "\" has no number (\"" + setting->value + "\")";
    preset.values.emplace_back(index, ClampedToRange(index, *value, manager));
    return {};
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

TextReading<OrganPreset> OrganPreset::FromText(const juce::String& text, QuellmarkFilterBase& organ)
{
    auto& manager = organ.GetParameterManager();
    juce::StringArray lines;
    lines.addLines(text);
    OrganPreset preset;
    bool headingSeen = false;
    std::optional<int> fileVersion;
    for (int number = 1; number <= lines.size(); ++number)
    {
        const auto line = lines[number - 1].trim();
        if (line.isEmpty() || (headingSeen && line.startsWithChar('#')))
            continue;
        if (!headingSeen)
        {
            if (line != heading)
                return Fault(number, "this is not a Brumalux preset");
            headingSeen = true;
            continue;
        }
        if (const auto damage = TakeSetting(line, manager, preset, fileVersion); damage.isNotEmpty())
            return Fault(number, "the preset is damaged: " + damage);
    }
    if (!headingSeen)
        return Fault(0, "this is not a Brumalux preset");
    if (!fileVersion)
        return Fault(0, "the preset is damaged: it has no version");
    if (*fileVersion > version)
        return Fault(0, "the preset was saved by a newer version of Brumalux (format version " +
                            juce::String(*fileVersion) + ")");
    return {std::move(preset), {}};
}

juce::Result OrganPreset::Save(const juce::File& file, QuellmarkFilterBase& organ)
{
    return PlayerTextFile::WriteText(file, FromCurrentProgram(organ).ToText(organ));
}

juce::Result OrganPreset::Load(const juce::File& file, QuellmarkFilterBase& organ)
{
    const auto read = PlayerTextFile::Read<OrganPreset>(
        file, kind, [&organ](const juce::String& text) { return FromText(text, organ); });
    if (!read.value)
        return juce::Result::fail(read.error);
    organ.LoadIntoCurrentProgram(read.value->name, read.value->values);
    return juce::Result::ok();
}

} // namespace brumalux
