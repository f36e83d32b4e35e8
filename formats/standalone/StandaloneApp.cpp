// The standalone organ: JUCE's standalone window around the organ, or JUCE's standalone
// player alone for playing without a screen; on Linux also a JACK MIDI input, and a clear
// word on what could not be had (an audio device, a JACK server, the settings file).

#include "StandaloneApp.h"

#if BRUMALUX_JACK_MIDI_INPUT
#include "JackMidiInput.h"
#include "JackSetup.h"
#endif
#if JUCE_LINUX
#include "QuitSignals.h"
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
#include "userfiles/OrganStateFile.h"
#include "userfiles/StandaloneSettings.h"

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

#include <iostream>

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

const char* const settingsLeftAloneMessage =
    " Brumalux starts with default settings and leaves the file as it is: nothing is saved this time.";

// One line on standard error, for the player who started the program from a terminal.
void SayOnStandardError(const juce::String& text)
{
    std::cerr << "brumalux: " << text.replace("\n\n", " ").replace("\n", " ") << std::endl;
}

// The settings' audio device type ("ALSA", "JACK"); empty when none is saved.
juce::String SavedDeviceType(const juce::PropertySet& settings)
{
    const auto setup = settings.getXmlValue("audioSetup");
    return setup != nullptr ? setup->getStringAttribute("deviceType") : juce::String();
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
    explicit StandaloneApp(StartOptions startOptions) : options(std::move(startOptions)) {}

    const juce::String getApplicationName() override { return JucePlugin_Name; }
    const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void anotherInstanceStarted(const juce::String&) override {}

    void initialise(const juce::String&) override
    {
#if JUCE_LINUX
        // First, so that a player's Ctrl-C or a service manager's SIGTERM, however early,
        // ends the program cleanly.
        quitSignals = std::make_unique<QuitSignals>([this] { systemRequestedQuit(); });
#endif
        settings = std::make_unique<StandaloneSettings>(StandaloneSettings::DefaultLocation());
        if (options.noGui)
            settings->KeepFileAsItIs();
        const bool jackWanted = ChooseJackWhenHeadless() || SavedDeviceType(*settings) == "JACK";
        auto& holder = options.noGui ? StartWithoutWindow() : StartWithWindow();
        if (!ApplyStartOptions(holder))
            return Fail();
        if (settings->Problem().isNotEmpty())
            Tell("Settings not read", settings->Problem() + settingsLeftAloneMessage);
        OpenJackMidiInput(holder, jackWanted);
        if (holder.deviceManager.getCurrentAudioDevice() == nullptr)
        {
            if (options.noGui)
                return Fail("no audio device could be opened, so there is nothing to play through.");
            Tell("No audio device", noAudioDeviceMessage);
        }
    }

    void shutdown() override
    {
#if JUCE_LINUX
        quitSignals = nullptr;
#endif
#if BRUMALUX_JACK_MIDI_INPUT
        jackMidi = nullptr;
#endif
        mainWindow = nullptr;
        headlessPlayer = nullptr;
        if (const auto saved = settings->Save(); saved.failed())
            SayOnStandardError(saved.getErrorMessage());
    }

    // The window's organ is kept as its close button keeps it; without a window, nothing is.
    void systemRequestedQuit() override
    {
        if (mainWindow != nullptr)
            mainWindow->pluginHolder->savePluginState();
        quit();
    }

private:
    juce::StandalonePluginHolder& StartWithWindow()
    {
        const auto background =
            juce::LookAndFeel::getDefaultLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId);
        mainWindow = std::make_unique<OrganWindow>(getApplicationName(), background, settings.get(), false);
        mainWindow->setVisible(true);
        return *mainWindow->pluginHolder;
    }

    juce::StandalonePluginHolder& StartWithoutWindow()
    {
        headlessPlayer = std::make_unique<juce::StandalonePluginHolder>(settings.get(), false);
        return *headlessPlayer;
    }

    // Without a window nobody can choose a device, so when the settings name none and a
    // JACK server runs, JACK it is (only for this run: the settings are not saved).
    bool ChooseJackWhenHeadless()
    {
#if BRUMALUX_JACK_MIDI_INPUT
        if (!options.noGui || settings->containsKey("audioSetup"))
            return false;
        if (const auto output = JackSetup::DefaultOutput(); output.isNotEmpty())
        {
            juce::XmlElement setup("DEVICESETUP");
            setup.setAttribute("deviceType", "JACK");
            setup.setAttribute("audioOutputDeviceName", output);
            settings->setValue("audioSetup", &setup);
            return true;
        }
#endif
        return false;
    }

    // The JACK MIDI input, whenever a JACK server runs; when JACK is wanted for sound (or,
    // without a window, nothing else could be had) and none runs, one line says so.
    void OpenJackMidiInput([[maybe_unused]] juce::StandalonePluginHolder& holder,
                           [[maybe_unused]] bool jackWanted)
    {
#if BRUMALUX_JACK_MIDI_INPUT
        jackMidi = std::make_unique<JackMidiInput>(holder.player.getMidiMessageCollector());
        const bool hasDevice = holder.deviceManager.getCurrentAudioDevice() != nullptr;
        if ((jackWanted || (options.noGui && !hasDevice)) && !jackMidi->IsOpen())
            SayOnStandardError(
                "the JACK server is not running; start one (jackd, or qjackctl) to play through JACK.");
#endif
    }

    // --state, then --program and --polyphony, over the organ the settings held.
    bool ApplyStartOptions(juce::StandalonePluginHolder& holder)
    {
        auto* organ = dynamic_cast<OrganProcessor*>(holder.processor.get());
        if (organ == nullptr)
            return false;
        if (!options.stateFile.empty())
        {
            const auto file = juce::File::getCurrentWorkingDirectory().getChildFile(options.stateFile);
            if (const auto loaded = OrganStateFile::Load(file, organ->GetFilter()); loaded.failed())
            {
                SayOnStandardError(loaded.getErrorMessage());
                return false;
            }
        }
        if (options.program)
            organ->setCurrentProgram(*options.program);
        if (auto* brumalux = dynamic_cast<Brumalux*>(&organ->GetFilter());
            brumalux != nullptr && options.polyphony)
            brumalux->SetPolyphony(*options.polyphony);
        return true;
    }

    // Said on standard error, and in the window when there is one.
    void Tell(const juce::String& title, const juce::String& text)
    {
        SayOnStandardError(text);
        if (mainWindow != nullptr)
            juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, title, text, "OK",
                                                   mainWindow.get());
    }

    void Fail(const juce::String& why = {})
    {
        if (why.isNotEmpty())
            SayOnStandardError(why);
        setApplicationReturnValue(1);
        quit();
    }

    const StartOptions options;
    std::unique_ptr<StandaloneSettings> settings;
    std::unique_ptr<OrganWindow> mainWindow;
    std::unique_ptr<juce::StandalonePluginHolder> headlessPlayer;
#if BRUMALUX_JACK_MIDI_INPUT
    std::unique_ptr<JackMidiInput> jackMidi;
#endif
#if JUCE_LINUX
    std::unique_ptr<QuitSignals> quitSignals;
#endif
};

juce::JUCEApplicationBase* CreateStandaloneApp(const StartOptions& options)
{
    return new StandaloneApp(options);
}
} // namespace brumalux
