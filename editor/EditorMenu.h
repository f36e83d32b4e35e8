#pragma once

namespace juce
{
class Component;
}

namespace brumalux
{

class Brumalux;

// The one menu a right-click on the editor's background opens; each feature adds its own section
// to it. Shown asynchronously at the mouse. Message thread.
void ShowEditorMenu(Brumalux& organ, juce::Component& editor);

} // namespace brumalux
