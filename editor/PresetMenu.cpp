#include "PresetMenu.h"

#include "params/FactoryPrograms.h"
#include "params/QuellmarkFilterBase.h"
#include "userfiles/OrganPreset.h"
#include "userfiles/UserFolders.h"

#include <memory>

namespace brumalux
{

namespace
{
using SafeOwner = juce::Component::SafePointer<juce::Component>;

void ShowProblem(const juce::String& title, const juce::Result& result, juce::Component* owner)
{
    if (result.failed())
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, title,
                                               result.getErrorMessage(), "OK", owner);
}

void LoadFile(QuellmarkFilterBase& organ, const juce::File& file, juce::Component* owner)
{
    ShowProblem("Preset not loaded", OrganPreset::Load(file, organ), owner);
}

// The chooser lives in its owner's slot, so it closes when the owner goes (or another
// chooser replaces it) and its callback never outlives the organ.
void Choose(QuellmarkFilterBase& organ, juce::Component& owner, std::unique_ptr<juce::FileChooser>& slot,
            bool saving)
{
    const auto folder = UserFolders::Presets();
    folder.createDirectory();
    const auto pattern = juce::String("*") + OrganPreset::fileSuffix;
    // Saving suggests the program's name as the file's.
    const auto programName = juce::File::createLegalFileName(organ.GetProgramName(organ.GetCurrentProgram()));
    const auto start = saving && programName.isNotEmpty()
                           ? folder.getChildFile(programName + OrganPreset::fileSuffix)
                           : folder;
    slot = std::make_unique<juce::FileChooser>(saving ? "Save preset" : "Load preset", start, pattern);
    const int flags =
        juce::FileBrowserComponent::canSelectFiles |
        (saving ? juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::warnAboutOverwriting
                : juce::FileBrowserComponent::openMode);
    slot->launchAsync(flags,
                      [&organ, safeOwner = SafeOwner(&owner), saving](const juce::FileChooser& chosen)
                      {
                          const auto file = chosen.getResult();
                          if (safeOwner == nullptr || file == juce::File())
                              return;
                          if (saving)
                              ShowProblem(
                                  "Preset not saved",
                                  OrganPreset::Save(file.withFileExtension(OrganPreset::fileSuffix), organ),
                                  safeOwner.getComponent());
                          else
                              LoadFile(organ, file, safeOwner.getComponent());
                      });
}

// The presets in a folder, its sub-folders first as sub-menus, each in name order.
juce::PopupMenu FolderMenu(const juce::File& folder, QuellmarkFilterBase& organ, juce::Component& owner)
{
    juce::PopupMenu menu;
    auto folders = folder.findChildFiles(juce::File::findDirectories, false);
    folders.sort();
    for (const auto& subFolder : folders)
        menu.addSubMenu(subFolder.getFileName(), FolderMenu(subFolder, organ, owner));
    auto files =
        folder.findChildFiles(juce::File::findFiles, false, juce::String("*") + OrganPreset::fileSuffix);
    files.sort();
    for (const auto& file : files)
        menu.addItem(file.getFileNameWithoutExtension(),
                     [&organ, file, safeOwner = SafeOwner(&owner)]
                     {
                         if (safeOwner != nullptr)
                             LoadFile(organ, file, safeOwner.getComponent());
                     });
    return menu;
}

juce::PopupMenu FactoryMenu(QuellmarkFilterBase& organ, juce::Component& owner)
{
    juce::PopupMenu menu;
    for (int number = 0; number < NumFactoryPrograms(); ++number)
        menu.addItem(FactoryProgramName(number),
                     [&organ, number, safeOwner = SafeOwner(&owner)]
                     {
                         if (safeOwner != nullptr)
                             LoadFactoryProgram(organ, number);
                     });
    return menu;
}
} // namespace

void AddPresetSection(juce::PopupMenu& menu, QuellmarkFilterBase& organ, juce::Component& owner,
                      std::unique_ptr<juce::FileChooser>& chooserSlot)
{
    menu.addItem("Save preset...",
                 [&organ, &chooserSlot, safeOwner = SafeOwner(&owner)]
                 {
                     // The slot belongs to the owner: it is there while the owner is.
                     if (safeOwner != nullptr)
                         Choose(organ, *safeOwner, chooserSlot, true);
                 });
    menu.addItem("Load preset...",
                 [&organ, &chooserSlot, safeOwner = SafeOwner(&owner)]
                 {
                     // The slot belongs to the owner: it is there while the owner is.
                     if (safeOwner != nullptr)
                         Choose(organ, *safeOwner, chooserSlot, false);
                 });
    menu.addSubMenu("Factory programs", FactoryMenu(organ, owner));
    const auto userMenu = FolderMenu(UserFolders::Presets(), organ, owner);
    menu.addSubMenu("My presets", userMenu, userMenu.getNumItems() > 0);
}

} // namespace brumalux
