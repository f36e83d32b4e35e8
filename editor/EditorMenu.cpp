#include "editor/EditorMenu.h"

#include "editor/TuningMenu.h"

namespace brumalux
{

void ShowEditorMenu(Brumalux& organ, juce::Component& editor)
{
    juce::PopupMenu menu;
    AddTuningSection(menu, organ, editor);
    menu.showMenuAsync(juce::PopupMenu::Options().withTargetComponent(&editor).withMousePosition());
}

} // namespace brumalux
