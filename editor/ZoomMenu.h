#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class DemoEditorComponent;

// "Zoom": the choices of EditorZoom, the editor's own ticked. Choosing one zooms this
// editor and keeps the choice for every editor opened after it (a message says when it
// cannot be kept). Message thread.
void AddZoomSection(juce::PopupMenu& menu, DemoEditorComponent& editor);

} // namespace brumalux
