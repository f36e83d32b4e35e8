// The standalone program as a player starts it: under X, with a JACK server (the dummy
// driver, started here), played from a JACK MIDI client of the test's own that also
// listens to the program's audio output.

#include "engine/Brumalux.h"
#include "params/OrganParameters.h"
#include "tests/formats/JackSession.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/X11TestDisplay.h"

#include <juce_data_structures/juce_data_structures.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brumalux
{

namespace
{
namespace fs = std::filesystem;

// The program started as a player starts it, with a JACK server of its own and a private
// HOME whose settings choose JACK's system ports for output; the test's client plays into
// the program's JACK MIDI input and listens to its output. Skipped without an X display or
// without jackd.
class StandaloneOnJack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "needs an X display";
        if (!OnPath("jackd"))
            GTEST_SKIP() << "needs jackd (Debian's jackd2)";
        display = X11TestDisplay::Shared();
        ASSERT_NE(display, nullptr) << "the X display does not open";

        home.Write(settingsFile,
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                   "  <VALUE name=\"audioSetup\">\n"
                   "    <DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"system\" "
                   "audioInputDeviceName=\"\"\n"
                   "                 audioDeviceRate=\"48000\" audioDeviceBufferSize=\"512\"/>\n"
                   "  </VALUE>\n</PROPERTIES>\n");
        jack.emplace();
        ASSERT_TRUE(jack->Started()) << "the JACK server did not start";
        player = &jack->Player();

        auto environment = jack->Environment();
        environment.push_back("HOME=" + home.Folder().string());
        organ.emplace(std::vector<std::string>{BRUMALUX_STANDALONE}, environment);
        window = display->WaitForTitle("Brumalux", 20000);
        ASSERT_NE(window, 0ul) << "no window titled Brumalux";
        ASSERT_TRUE(jack->ConnectToTheProgram()) << "the program did not open JACK";
    }
    void TearDown() override
    {
        organ.reset();
        jack.reset();
    }

    bool PlaysANote() { return jack->PlaysANote(); }
    // Presses the window's close button; the program saves its settings as it quits.
    void Close()
    {
        ASSERT_TRUE(display->RequestClose(window));
        EXPECT_EQ(organ->WaitForExit(15s), 0) << "quits cleanly on its window's close";
    }

    // Where the program keeps its settings, the organ's state among them.
    const fs::path settingsFile = fs::path(".config") / "Brumalux.settings";
    const TemporaryHome home;
    std::optional<JackSession> jack;
    PlayerClient* player = nullptr;
    std::optional<ChildProcess> organ;
    X11TestDisplay* display = nullptr;
    unsigned long window = 0;
};

TEST_F(StandaloneOnJack, PlaysFromJackMidiIntoJackAudioAndQuitsOnClose)
{
    EXPECT_LT(player->ListenFor(500ms), 1e-4f) << "silent before the first note";
    player->Send(0x90, 60, 100);
    EXPECT_GT(player->ListenFor(1000ms), 1e-2f) << "the note sounds at the JACK output";
    player->Send(0x80, 60, 0);
    Close();
    EXPECT_TRUE(fs::exists(home.Folder() / settingsFile));
}

using Bank = std::vector<std::vector<float>>;

// The programs' values and the selected program of a state chunk, as the organ reads it.
std::pair<Bank, int> ReadBank(const juce::MemoryBlock& state)
{
    Brumalux reader;
    if (!state.isEmpty())
        reader.LoadState(state.getData(), static_cast<int>(state.getSize()));
    Bank bank;
    for (int p = 0; p < reader.GetNumPrograms(); ++p)
    {
        const auto* values = reader.GetProgramStore().GetProgramValues(p);
        bank.emplace_back(values->getSize() / sizeof(float));
        std::memcpy(bank.back().data(), values->getData(), bank.back().size() * sizeof(float));
    }
    return {bank, reader.GetCurrentProgram()};
}

// Program Change on any channel selects programs 0 to 9 and ignores numbers beyond the
// bank; controllers 70 (the 16' drawbar) to 78 (the 1') move the drawbars on every channel,
// 127 drawn and 0 pushed in. Seen as the player finds it on the next start: the state the
// program saves on quit holds every program as it was left and the one selected last. Each
// controller value below differs from the factory value it replaces, so where the values
// land shows which program each Program Change left selected.
TEST_F(StandaloneOnJack, SelectsProgramsAndMovesDrawbarsFromJackMidi)
{
    constexpr unsigned char programChange = 0xC0, controller = 0xB0;
    const std::vector<std::array<unsigned char, 3>> messages{
        {programChange | 0, 3},     // channel 1: program 3
        {controller | 4, 70, 0},    // the 16' pushed in
        {controller | 15, 78, 127}, // the 1' drawn
        {programChange | 5, 127},   // ignored (a fault might take it as 7 or 9)
        {controller | 1, 74, 90},   // still program 3
        {programChange | 15, 8},    // channel 16: program 8
        {controller, 78, 0},        // the 1' pushed in
        {controller | 6, 74, 33},   // the 2 2/3'
        {programChange | 9, 10},    // ignored (a fault might take it as 0 or 9)
        {controller | 11, 72, 51},  // still program 8
        {programChange | 2, 9},     // channel 3: program 9
        {controller | 9, 70, 127},  // the 16' drawn
    };

    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    auto [expected, selected] = ReadBank({});
    ASSERT_TRUE(PlaysANote()) << "the program plays from JACK MIDI";
    for (const auto& [status, data1, data2] : messages)
    {
        // A JACK client that misses a period (an xrun, frequent on a loaded machine) misses
        // that period's MIDI; these messages mean the same when repeated.
        for (int copy = 0; copy < 3; ++copy)
            ASSERT_TRUE(player->Send(status, data1, data2));
        // Faster than a player's hand: a Program Change comes before the organ has passed the
        // controller before it on to the host, and the program must keep its own values.
        std::this_thread::sleep_for(5ms);
        if ((status & 0xF0) == programChange && static_cast<size_t>(data1) < expected.size())
            selected = data1;
        if ((status & 0xF0) == controller)
            expected[selected][static_cast<size_t>(ParameterIndex::drawbar0 + data1 - 70)] =
                static_cast<float>(data2) / 127.0f;
    }
    // Once a note sounds again, the program has taken every message sent before it.
    ASSERT_TRUE(player->Send(0x90, 60, 100));
    EXPECT_TRUE(player->Hears(1e-2f, 5s));
    ASSERT_NO_FATAL_FAILURE(Close());

    juce::PropertiesFile settings(juce::File((home.Folder() / settingsFile).string()), {});
    juce::MemoryBlock state;
    ASSERT_TRUE(state.fromBase64Encoding(settings.getValue("filterState")) && state.getSize() > 0)
        << "the program saved the organ's state";
    const auto [saved, savedSelected] = ReadBank(state);
    EXPECT_EQ(savedSelected, selected);
    ASSERT_EQ(saved.size(), expected.size());
    for (size_t p = 0; p < saved.size(); ++p)
        for (size_t i = 0; i < ParameterIndex::count; ++i)
            if (i != ParameterIndex::clipThresholdScale) // the engine rewrites it every block
            {
                EXPECT_NEAR(saved[p][i], expected[p][i], 1e-6f) << "program " << p << ", parameter " << i;
            }
}

// The player's zoom reaches the standalone program too: its window holds the editor at
// that zoom (and the program chooser above it).
TEST(Standalone, OpensAtThePlayersZoom)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X display";
    auto* display = X11TestDisplay::Shared();
    ASSERT_NE(display, nullptr) << "the X display does not open";
    const TemporaryHome home;
    home.Write(".config/Brumalux/Editor.settings", "zoom = 200\n");
    ChildProcess organ({BRUMALUX_STANDALONE}, {"HOME=" + home.Folder().string()});
    const auto window = display->WaitForTitle("Brumalux", 20000);
    ASSERT_NE(window, 0ul) << "no window titled Brumalux";
    // The window is mapped before the program gives it its final size.
    auto size = display->SizeOf(window);
    for (int wait = 0; wait < 100 && size.first < 880; ++wait)
    {
        std::this_thread::sleep_for(50ms);
        size = display->SizeOf(window);
    }
    const auto [width, height] = size;
    // The window's frame adds a few pixels.
    EXPECT_GE(width, 880);
    EXPECT_LE(width, 880 + 10);
    EXPECT_GE(height, 970 + 30);
    // Without an audio device the program shows a message that may hold back the window's
    // close button; quitting on close is checked with JACK above.
    organ.Terminate();
    organ.WaitForExit(5s);
}
} // namespace

} // namespace brumalux
