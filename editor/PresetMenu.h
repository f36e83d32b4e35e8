#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class QuellmarkFilterBase;

// The player's presets: "Save preset..." and "Load preset..." (file choosers opened in the
// preset folder), the factory programs, and the files in UserFolders::Presets() with
// sub-folders as sub-menus, each loaded into the current program with one click. A file
// that cannot be written or read gives a message and changes nothing. owner shows the
// choosers and messages; the actions do nothing once it is gone, and the organ must
// outlive it. Message thread.
void AddPresetSection(juce::PopupMenu& menu, QuellmarkFilterBase& organ, juce::Component& owner);

} // namespace brumalux
