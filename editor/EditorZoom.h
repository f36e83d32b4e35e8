#pragma once

#include <juce_core/juce_core.h>

#include <array>

namespace brumalux
{

// The zoom the player picks for the editor, on top of whatever scale the host or the desktop
// asks for. It is one setting per user, kept in the editor's settings file
// (EditorSettingsFile), so every new editor in every form opens at it. Message thread.
struct EditorZoom
{
    static constexpr std::array<int, 7> choices{100, 125, 150, 175, 200, 250, 300};
    static constexpr int defaultPercent = 100;

    // The choice nearest to percent.
    static int Sanitised(int percent);
    // The zoom the settings file holds; the default when it is missing or damaged.
    static int LoadUserZoom();
    // Keeps the choice nearest to percent; a failure says why.
    static juce::Result SaveUserZoom(int percent);
};

} // namespace brumalux
