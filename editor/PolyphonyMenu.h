#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class Brumalux;

// The "Polyphony" item of the organ's menus (the editor's, the standalone program's Options): how many
// voices may sound at once, from a list of limits, the organ's own ticked. Message thread. The items act
// only while owner, the component whose menu it is, still exists.
void AddPolyphonySection(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner);

} // namespace brumalux
