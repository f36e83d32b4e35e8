// The standalone organ: JUCE's standalone window around the organ, plus (on Linux) a JACK
// MIDI input and a clear word when no audio device could be opened.

#if BRUMALUX_JACK_MIDI_INPUT
#include "JackMidiInput.h"
#endif

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

#include "OrganProcessor.h"
#include "editor/EditorMenu.h"
#include "engine/Brumalux.h"

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

// JUCE's standalone window, whose Options menu also holds the sections of the editor's own menu.
class OrganWindow : public juce::StandaloneFilterWindow
{
public:
    using juce::StandaloneFilterWindow::StandaloneFilterWindow;

private:
    // JUCE's own items keep their numbers (1 to 4, see handleMenuResult); the sections act by themselves.
    void buttonClicked(juce::Button*) override
    {
        juce::PopupMenu menu;
        menu.addItem(1, "Audio/MIDI Settings...");
        menu.addSeparator();
        menu.addItem(2, "Save current state...");
        menu.addItem(3, "Load a saved state...");
        menu.addSeparator();
        menu.addItem(4, "Reset to default state");
        if (auto* organ = Organ())
            AddEditorMenuSections(menu, *organ, *this);
        const juce::Component::SafePointer<OrganWindow> window(this);
        menu.showMenuAsync(juce::PopupMenu::Options(),
                           [window](int result)
                           {
                               if (window != nullptr && result > 0)
                                   window->handleMenuResult(result);
                           });
    }

    Brumalux* Organ() const
    {
        auto* processor = dynamic_cast<OrganProcessor*>(pluginHolder->processor.get());
        return processor != nullptr ? dynamic_cast<Brumalux*>(&processor->GetFilter()) : nullptr;
    }
};
} // namespace

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
    std::unique_ptr<juce::StandaloneFilterWindow> mainWindow;
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
