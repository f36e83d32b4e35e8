#include "userfiles/EditorSettingsFile.h"

#include "userfiles/UserFolders.h"

namespace brumalux
{

namespace
{
const char* const zoomKey = "zoom";

TextReading<int> FindZoom(const juce::String& text)
{
    juce::StringArray lines;
    lines.addLines(text);
    for (const auto& line : lines)
    {
        const auto setting = KeyValueLine::Parse(line);
        if (!setting || setting->key != zoomKey)
            continue;
        const auto& value = setting->value;
        if (value.containsOnly("0123456789") && value.length() > 0 && value.length() < 5)
            return {value.getIntValue(), {}};
    }
    return {std::nullopt, {0, "no zoom"}};
}
} // namespace

juce::File EditorSettingsFile::Location()
{
    return UserFolders::Settings().getChildFile("Editor.settings");
}

std::optional<int> EditorSettingsFile::ReadZoomPercent()
{
    return PlayerTextFile::Read<int>(Location(), kind, FindZoom).value;
}

juce::Result EditorSettingsFile::WriteZoomPercent(int percent)
{
    return PlayerTextFile::WriteText(Location(),
                                     juce::String(zoomKey) + " = " + juce::String(percent) + "\n");
}

} // namespace brumalux
