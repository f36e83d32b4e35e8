#include "EditorMenu.h"

#include "ControllerMapMenu.h"
#include "DemoEditorComponent.h"
#include "PolyphonyMenu.h"
#include "PresetMenu.h"
#include "TuningMenu.h"
#include "ZoomMenu.h"
#include "engine/Brumalux.h"

namespace brumalux
{

void ShowEditorMenu(DemoEditorComponent& editor)
{
    juce::PopupMenu menu;
    AddPresetSection(menu, editor.GetOrgan(), editor, editor.PresetChooserSlot());
    menu.addSeparator();
    AddZoomSection(menu, editor);
    menu.addSeparator();
    AddControllerMapSection(menu, editor.GetOrgan(), editor);
    menu.addSeparator();
    AddTuningSection(menu, editor.GetOrgan(), editor);
    menu.addSeparator();
    AddPolyphonySection(menu, editor.GetOrgan(), editor);
    // Attached to one of the editor's parts, which carry its scale (the editor itself has none), so that the
    // menu is drawn at that scale and knows it lives in a plug-in window, but opened at the mouse.
    menu.showMenuAsync(
        juce::PopupMenu::Options().withTargetComponent(editor.getChildComponent(0)).withMousePosition());
}

} // namespace brumalux
