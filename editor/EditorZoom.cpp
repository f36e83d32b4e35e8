#include "EditorZoom.h"

#include "userfiles/EditorSettingsFile.h"

#include <cstdlib>

namespace brumalux
{

int EditorZoom::Sanitised(int percent)
{
    int nearest = defaultPercent;
    for (const int choice : choices)
        if (std::abs(choice - percent) < std::abs(nearest - percent))
            nearest = choice;
    return nearest;
}

int EditorZoom::LoadUserZoom()
{
    return Sanitised(EditorSettingsFile::ReadZoomPercent().value_or(defaultPercent));
}

juce::Result EditorZoom::SaveUserZoom(int percent)
{
    return EditorSettingsFile::WriteZoomPercent(Sanitised(percent));
}

} // namespace brumalux
