#include "ZoomMenu.h"

#include "DemoEditorComponent.h"
#include "EditorZoom.h"

namespace brumalux
{

namespace
{
void ChooseZoom(DemoEditorComponent& editor, int percent)
{
    editor.SetUserZoom(percent);
    if (const auto saved = EditorZoom::SaveUserZoom(percent); saved.failed())
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, "Zoom not kept",
                                               saved.getErrorMessage(), "OK", &editor);
}
} // namespace

void AddZoomSection(juce::PopupMenu& menu, DemoEditorComponent& editor)
{
    juce::PopupMenu zoom;
    for (const int percent : EditorZoom::choices)
        zoom.addItem(juce::String(percent) + " %", true, percent == editor.GetUserZoom(),
                     [safeEditor = juce::Component::SafePointer<DemoEditorComponent>(&editor), percent]
                     {
                         if (safeEditor != nullptr)
                             ChooseZoom(*safeEditor, percent);
                     });
    menu.addSubMenu("Zoom", zoom);
}

} // namespace brumalux
