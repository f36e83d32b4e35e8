#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class Brumalux;

// The controller map's section of the editor's menu (and the standalone program's Options menu): the
// list of bindings, saving the map as the user's default for new organs, exporting it to and importing
// it from a text file, and going back to the default map. Files are read and written here, on the
// message thread; one that cannot be read or written says why in a message box and changes nothing.
// The actions do nothing once the owner component (the editor) is gone.
void AddControllerMapSection(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner);

} // namespace brumalux
