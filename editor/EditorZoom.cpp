#include "EditorZoom.h"

#include "framework/UserFolders.h"

#include <cstdlib>

namespace brumalux
{

namespace
{
const char* const zoomKey = "zoom";
} // namespace

int EditorZoom::Sanitised(int percent)
{
    int nearest = defaultPercent;
    for (const int choice : choices)
        if (std::abs(choice - percent) < std::abs(nearest - percent))
            nearest = choice;
    return nearest;
}

juce::File EditorZoom::SettingsFile()
{
    return UserFolders::Settings().getChildFile("Editor.settings");
}

// The file is lines of "key = value"; only "zoom" is read, so later settings can join it.
int EditorZoom::LoadUserZoom()
{
    juce::StringArray lines;
    SettingsFile().readLines(lines);
    for (const auto& line : lines)
    {
        if (line.upToFirstOccurrenceOf("=", false, false).trim() != zoomKey)
            continue;
        const auto value = line.fromFirstOccurrenceOf("=", false, false).trim();
        if (value.containsOnly("0123456789") && value.length() > 0 && value.length() < 5)
            return Sanitised(value.getIntValue());
    }
    return defaultPercent;
}

juce::Result EditorZoom::SaveUserZoom(int percent)
{
    const auto file = SettingsFile();
    if (const auto made = file.getParentDirectory().createDirectory(); made.failed())
        return juce::Result::fail("Cannot create " + file.getParentDirectory().getFullPathName() + ": " +
                                  made.getErrorMessage());
    const juce::TemporaryFile temporary(file);
    const auto text = juce::String(zoomKey) + " = " + juce::String(Sanitised(percent)) + "\n";
    if (!temporary.getFile().replaceWithText(text) || !temporary.overwriteTargetFileWithTemporary())
        return juce::Result::fail("Cannot write " + file.getFullPathName());
    return juce::Result::ok();
}

} // namespace brumalux
