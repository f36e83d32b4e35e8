#pragma once

#include "userfiles/PlayerTextFile.h"

#include <juce_data_structures/juce_data_structures.h>

namespace brumalux
{

// The standalone program's settings (audio and MIDI devices, window place, the organ's
// state), for JUCE's standalone player as the property set it reads and writes. Kept in
// ~/.config/Brumalux.settings (%APPDATA%\Brumalux\Brumalux.settings) in the XML layout of
// JUCE's properties files, which earlier versions wrote.
//
// A file that is there but cannot be read or is no settings file is left alone: the
// settings start empty and are never saved, so quitting does not overwrite what the
// player may still want back. Message thread.
class StandaloneSettings : public juce::PropertySet
{
public:
    static constexpr PlayerFileKind kind{"Brumalux settings file", juce::int64{1024} * 1024};

    static juce::File DefaultLocation();

    // Reads the file now; a missing file gives empty settings that Save creates.
    explicit StandaloneSettings(juce::File fileToUse);

    // Why the file was left alone, for the player; empty when it was read or is missing.
    const juce::String& Problem() const noexcept { return problem; }
    // From now on Save writes nothing (a run that must leave the file as it found it).
    void KeepFileAsItIs() noexcept { writable = false; }
    // Writes the settings when they changed since they were read; a failure says why.
    juce::Result Save();

private:
    void propertyChanged() override { changed = true; }
    juce::String ToXml();

    const juce::File file;
    juce::String problem;
    bool writable = true;
    bool changed = false;
};

} // namespace brumalux
