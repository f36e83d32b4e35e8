#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class Brumalux;

// The editor's one menu, opened by a right-click on its background: each feature adds its own section.
// Message thread; asynchronous, and its actions do nothing once the editor is gone.
void ShowEditorMenu(Brumalux& organ, juce::Component& editor);
// The same sections, for another menu (the standalone program's Options); owner stands for the editor.
void AddEditorMenuSections(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner);

} // namespace brumalux
