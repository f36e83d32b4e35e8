#include "EditorMenu.h"

#include "ControllerMapMenu.h"

namespace brumalux
{

void AddEditorMenuSections(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner)
{
    AddControllerMapSection(menu, organ, owner);
}

void ShowEditorMenu(Brumalux& organ, juce::Component& editor)
{
    juce::PopupMenu menu;
    AddEditorMenuSections(menu, organ, editor);
    menu.showMenuAsync(juce::PopupMenu::Options().withTargetComponent(&editor).withMousePosition());
}

} // namespace brumalux
