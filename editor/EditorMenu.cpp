#include "EditorMenu.h"

#include "ControllerMapMenu.h"

namespace brumalux
{

void ShowEditorMenu(Brumalux& organ, juce::Component& editor)
{
    juce::PopupMenu menu;
    AddControllerMapSection(menu, organ, editor);
    menu.showMenuAsync(juce::PopupMenu::Options().withTargetComponent(&editor).withMousePosition());
}

} // namespace brumalux
