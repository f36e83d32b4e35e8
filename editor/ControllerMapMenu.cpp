#include "ControllerMapMenu.h"

#include "engine/Brumalux.h"
#include "userfiles/ControllerMapFile.h"

#include <memory>

namespace brumalux
{

namespace
{
constexpr const char* messageTitle = "Controller map";
constexpr const char* filePatterns = "*.txt";

void Tell(const juce::String& text)
{
    juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, messageTitle, text);
}

juce::PopupMenu BindingList(ControllerMapping& mapping)
{
    juce::PopupMenu list;
    const auto map = mapping.Map();
    const auto names = mapping.ParameterNames();
    for (int controller = 0; controller < ControllerMap::numControllers; ++controller)
    {
        const auto& binding = map.Binding(controller);
        if (!binding.IsBound())
            continue;
        juce::String text =
            "CC " + juce::String(controller) + ": " + ControllerMapFile::TargetName(binding.target, names);
        if (binding.inverted)
            text << ", inverted";
        if (binding.mode == SwitchMode::latching)
            text << ", latching";
        else if (binding.mode == SwitchMode::momentary)
            text << ", momentary";
        list.addItem(text, false, false, nullptr);
    }
    if (list.getNumItems() == 0)
        list.addItem("No controller is mapped", false, false, nullptr);
    return list;
}

// Runs a file chooser; the action gets the chosen file while the owner still exists.
void ChooseFile(juce::Component& owner, const juce::String& title, int flags,
                const std::function<void(const juce::File&)>& action)
{
    auto chooser = std::make_shared<juce::FileChooser>(
        title, juce::File::getSpecialLocation(juce::File::userHomeDirectory), filePatterns);
    const juce::Component::SafePointer<juce::Component> safeOwner(&owner);
    chooser->launchAsync(flags,
                         [chooser, safeOwner, action](const juce::FileChooser& done)
                         {
                             const auto file = done.getResult();
                             if (safeOwner != nullptr && file != juce::File())
                                 action(file);
                         });
}

void Export(Brumalux& organ, juce::Component& owner)
{
    using Flags = juce::FileBrowserComponent::FileChooserFlags;
    ChooseFile(owner, "Export the controller map",
               Flags::saveMode | Flags::canSelectFiles | Flags::warnAboutOverwriting,
               [&organ](const juce::File& file)
               {
                   auto& mapping = organ.Controllers();
                   const auto written =
                       ControllerMapFile::Write(file, mapping.Map(), mapping.ParameterNames());
                   if (written.failed())
                       Tell(written.getErrorMessage());
               });
}

void Import(Brumalux& organ, juce::Component& owner)
{
    using Flags = juce::FileBrowserComponent::FileChooserFlags;
    ChooseFile(owner, "Import a controller map", Flags::openMode | Flags::canSelectFiles,
               [&organ](const juce::File& file)
               {
                   auto& mapping = organ.Controllers();
                   const auto read = ControllerMapFile::Read(file, mapping.ParameterNames());
                   if (read.value)
                       mapping.SetMap(*read.value);
                   else
                       Tell(read.error + "\nThe controller map is unchanged.");
               });
}

void SaveAsDefault(Brumalux& organ)
{
    auto& mapping = organ.Controllers();
    const auto written =
        ControllerMapFile::Write(ControllerMapFile::UserDefault(), mapping.Map(), mapping.ParameterNames());
    if (written.failed())
        Tell(written.getErrorMessage());
}
} // namespace

void AddControllerMapSection(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner)
{
    const juce::Component::SafePointer<juce::Component> safeOwner(&owner);
    const auto whileOwned = [safeOwner](const std::function<void()>& action)
    {
        return [safeOwner, action]
        {
            if (safeOwner != nullptr)
                action();
        };
    };
    menu.addSectionHeader(messageTitle);
    menu.addSubMenu("Mapped controllers", BindingList(organ.Controllers()));
    menu.addItem("Save as default for new instances", whileOwned([&organ] { SaveAsDefault(organ); }));
    menu.addItem("Export controller map...", whileOwned([&organ, &owner] { Export(organ, owner); }));
    menu.addItem("Import controller map...", whileOwned([&organ, &owner] { Import(organ, owner); }));
    menu.addItem("Reset to the default map",
                 whileOwned([&organ] { organ.Controllers().SetMap(ControllerMap::Default()); }));
}

} // namespace brumalux
