#include "OrganStandaloneWindow.h"

#include "editor/TuningMenu.h"
#include "engine/Brumalux.h"
#include "formats/OrganProcessor.h"

namespace brumalux
{

void OrganStandaloneWindow::buttonClicked(juce::Button*)
{
    // JUCE's own items, with the numbers its handleMenuResult expects.
    juce::PopupMenu menu;
    menu.addItem(1, TRANS("Audio/MIDI Settings..."));
    menu.addSeparator();
    menu.addItem(2, TRANS("Save current state..."));
    menu.addItem(3, TRANS("Load a saved state..."));
    menu.addSeparator();
    menu.addItem(4, TRANS("Reset to default state"));

    auto* processor =
        pluginHolder != nullptr ? dynamic_cast<OrganProcessor*>(pluginHolder->processor.get()) : nullptr;
    if (auto* organ = processor != nullptr ? dynamic_cast<Brumalux*>(&processor->GetFilter()) : nullptr)
        AddTuningSection(menu, *organ, *this);

    menu.showMenuAsync(juce::PopupMenu::Options(),
                       juce::ModalCallbackFunction::forComponent(
                           menuCallback, static_cast<juce::StandaloneFilterWindow*>(this)));
}

} // namespace brumalux
