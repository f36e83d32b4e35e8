#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace brumalux
{

// Points HOME at a fresh empty folder for its lifetime, so that per-user files (settings,
// presets) are the test's own; the folder goes with it and HOME comes back.
class TemporaryHome
{
public:
    TemporaryHome()
    {
        if (const char* home = std::getenv("HOME"))
            previous = home;
        folder.createDirectory();
        ::setenv("HOME", folder.getFullPathName().toRawUTF8(), 1);
    }
    ~TemporaryHome()
    {
        if (previous)
            ::setenv("HOME", previous->c_str(), 1);
        else
            ::unsetenv("HOME");
        folder.setReadOnly(false, true);
        folder.deleteRecursively();
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const juce::File& Folder() const noexcept { return folder; }

private:
    juce::File folder{juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getNonexistentChildFile("brumalux-home", "", false)};
    std::optional<std::string> previous;
};

} // namespace brumalux
