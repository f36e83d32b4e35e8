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
    menu.showMenuAsync(juce::PopupMenu::Options());
}

} // namespace brumalux
