#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace brumalux
{

class QuellmarkFilterBase;

// The player's presets: "Save preset..." and "Load preset..." (file choosers opened in the
// preset folder), the factory programs, and the files in UserFolders::Presets() with
// sub-folders as sub-menus, each loaded into the current program with one click. A file
// that cannot be written or read gives a message and changes nothing. owner shows the
// messages and keeps the open file chooser in chooserSlot, so the chooser closes when the
// owner goes; the actions do nothing once it is gone, and the organ must outlive it.
// Message thread.
void AddPresetSection(juce::PopupMenu& menu, QuellmarkFilterBase& organ, juce::Component& owner,
                      std::unique_ptr<juce::FileChooser>& chooserSlot);

} // namespace brumalux
