// The standalone organ: JUCE's standalone window around the organ, plus (on Linux) a JACK
// MIDI input and a clear word when no audio device could be opened.

#if BRUMALUX_JACK_MIDI_INPUT
#include "JackMidiInput.h"
#endif

#include "editor/ControllerMapMenu.h"
#include "editor/DemoEditorComponent.h"
#include "editor/PolyphonyMenu.h"
#include "editor/PresetMenu.h"
#include "editor/TuningMenu.h"
#include "editor/ZoomMenu.h"
#include "engine/Brumalux.h"
#include "formats/OrganProcessor.h"
#include "formats/OrganProcessorEditor.h"

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

namespace brumalux
{
namespace
{
const char* const noAudioDeviceMessage =
    "Brumalux could not open an audio device, so it plays no sound for now.\n\n"
#if BRUMALUX_JACK_MIDI_INPUT
    "Start a JACK server or connect a sound card, then choose a device with the window's "
#else
    "Connect a sound card, then choose a device with the window's "
#endif
    "Options button, under \"Audio/MIDI Settings...\".";

juce::PropertiesFile::Options SettingsFileOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = JucePlugin_Name;
    options.filenameSuffix = ".settings";
#if JUCE_LINUX
    // Windows keeps it in the user's application data, under the program's name.
    options.folderName = "~/.config";
#endif
    return options;
}

} // namespace

// JUCE's standalone window, whose Options menu also offers the editor menu's sections:
// the player's presets, the zoom, the controller map and the tuning.
class OrganWindow : public juce::StandaloneFilterWindow
{
public:
    using juce::StandaloneFilterWindow::StandaloneFilterWindow;

private:
    // JUCE's own items keep their numbers; the presets' items act by themselves.
    void buttonClicked(juce::Button*) override
    {
        juce::PopupMenu menu;
        menu.addItem(1, "Audio/MIDI Settings...");
        menu.addSeparator();
        menu.addItem(2, "Save current state...");
        menu.addItem(3, "Load a saved state...");
        menu.addSeparator();
        menu.addItem(4, "Reset to default state");
        if (auto* organ = dynamic_cast<OrganProcessor*>(pluginHolder->processor.get()))
        {
            menu.addSeparator();
            AddPresetSection(menu, organ->GetFilter(), *this, presetChooser);
            if (auto* brumalux = dynamic_cast<Brumalux*>(&organ->GetFilter()))
            {
                menu.addSeparator();
                AddControllerMapSection(menu, *brumalux, *this);
                menu.addSeparator();
                AddTuningSection(menu, *brumalux, *this);
                menu.addSeparator();
                AddPolyphonySection(menu, *brumalux, *this);
            }
        }
        if (auto* editor = dynamic_cast<OrganProcessorEditor*>(pluginHolder->processor->getActiveEditor()))
            if (auto* organEditor = dynamic_cast<DemoEditorComponent*>(&editor->GetOrganEditor()))
                AddZoomSection(menu, *organEditor);
        menu.showMenuAsync(juce::PopupMenu::Options(),
                           juce::ModalCallbackFunction::forComponent(
                               menuCallback, static_cast<juce::StandaloneFilterWindow*>(this)));
    }

    std::unique_ptr<juce::FileChooser> presetChooser;
};

// Message thread throughout.
class StandaloneApp : public juce::JUCEApplication
{
public:
    StandaloneApp() { appProperties.setStorageParameters(SettingsFileOptions()); }

    const juce::String getApplicationName() override { return JucePlugin_Name; }
    const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void anotherInstanceStarted(const juce::String&) override {}

    void initialise(const juce::String&) override
    {
        const auto background =
            juce::LookAndFeel::getDefaultLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId);
        mainWindow = std::make_unique<OrganWindow>(getApplicationName(), background,
                                                   appProperties.getUserSettings(), false);
        mainWindow->setVisible(true);

        auto& holder = *mainWindow->pluginHolder;
#if BRUMALUX_JACK_MIDI_INPUT
        jackMidi = std::make_unique<JackMidiInput>(holder.player.getMidiMessageCollector());
#endif
        if (holder.deviceManager.getCurrentAudioDevice() == nullptr)
            juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, "No audio device",
                                                   noAudioDeviceMessage, "OK", mainWindow.get());
    }

    void shutdown() override
    {
#if BRUMALUX_JACK_MIDI_INPUT
        jackMidi = nullptr;
#endif
        mainWindow = nullptr;
        appProperties.saveIfNeeded();
    }

    void systemRequestedQuit() override
    {
        if (mainWindow != nullptr)
            mainWindow->pluginHolder->savePluginState();
        quit();
    }

private:
    juce::ApplicationProperties appProperties;
    std::unique_ptr<OrganWindow> mainWindow;
#if BRUMALUX_JACK_MIDI_INPUT
    std::unique_ptr<JackMidiInput> jackMidi;
#endif
};
} // namespace brumalux

juce::JUCEApplicationBase* juce_CreateApplication();
juce::JUCEApplicationBase* juce_CreateApplication()
{
    return new brumalux::StandaloneApp();
}
