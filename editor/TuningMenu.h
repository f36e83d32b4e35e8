#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class Brumalux;

// The "Tuning" section of the organ's menus (the editor's, the standalone program's Options): the
// transposition, the reference pitch, concert pitch at one click and the default tuning, each ticked
// where the organ stands. Message thread. The menu is asynchronous: its items act only while owner,
// the component whose menu it is, still exists (the organ outlives its editor and window).
void AddTuningSection(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner);

} // namespace brumalux
