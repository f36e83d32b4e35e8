#pragma once

#include <juce_core/juce_core.h>

namespace brumalux
{

// The folders that keep one user's own files, found from the user's home (HOME on Linux,
// the application data folder on Windows), so that a test can point them elsewhere.
// Neither is created here: whoever writes into one creates it. Any thread.
struct UserFolders
{
    // Settings that every editor and form shares: ~/.config/Brumalux, %APPDATA%\Brumalux.
    static juce::File Settings();
    // The player's presets: ~/.local/share/Brumalux/Presets, %APPDATA%\Brumalux\Presets.
    static juce::File Presets();
};

} // namespace brumalux
