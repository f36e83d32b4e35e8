// The standalone program as a player starts it: under X, with a JACK server (the dummy
// driver, started here), played from a JACK MIDI client of the test's own that also
// listens to the program's audio output.

#include "engine/Brumalux.h"
#include "params/OrganParameters.h"
#include "tests/TemporaryHome.h"
#include "tests/formats/TopLevelWindows.h"

#include <juce_data_structures/juce_data_structures.h>

#include <jack/jack.h>
#include <jack/midiport.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace brumalux
{

namespace
{
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A child process with its own environment additions; killed if still running at the end.
class ChildProcess
{
public:
    ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& environment)
    {
        pid = fork();
        if (pid != 0)
            return;
        for (const auto& assignment : environment)
            putenv(const_cast<char*>(assignment.c_str()));
        std::vector<char*> arguments;
        for (const auto& argument : command)
            arguments.push_back(const_cast<char*>(argument.c_str()));
        arguments.push_back(nullptr);
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    ~ChildProcess()
    {
        if (pid > 0 && !exited)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // The exit status, or -1 while it still runs after timeout.
    int WaitForExit(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline)
        {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
            {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }
    bool Running() { return WaitForExit(0ms) == -1; }
    void Terminate() { kill(pid, SIGTERM); }

private:
    pid_t pid = -1;
    bool exited = false;
};

bool OnPath(const std::string& program)
{
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

// The test's JACK client: a MIDI output that sends what it is told at the next period,
// and two audio inputs whose loudest sample it keeps.
//
// Threads: the test's thread hands one message at a time to JACK's process thread
// through an atomic; JACK's thread keeps the loudest sample in another.
class PlayerClient
{
public:
    explicit PlayerClient(const std::string& server)
    {
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (client == nullptr && std::chrono::steady_clock::now() < deadline)
        {
            client = jack_client_open("brumalux-test",
                                      static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                      nullptr, server.c_str());
            if (client == nullptr)
                std::this_thread::sleep_for(200ms);
        }
        if (client == nullptr)
            return;
        midiOut = jack_port_register(client, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        for (auto*& port : audioIn)
            port = jack_port_register(client, port == audioIn[0] ? "in_l" : "in_r", JACK_DEFAULT_AUDIO_TYPE,
                                      JackPortIsInput, 0);
        jack_set_process_callback(client, &Process, this);
        jack_activate(client);
    }
    ~PlayerClient()
    {
        if (client != nullptr)
        {
            jack_deactivate(client);
            jack_client_close(client);
        }
    }
    bool IsOpen() const { return client != nullptr; }

    bool WaitForPort(const std::string& name, std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (jack_port_by_name(client, name.c_str()) != nullptr)
                return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    // A client's ports show before it is active, and cannot be connected until then.
    bool Connect(const std::string& from, const std::string& to)
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (jack_connect(client, from.c_str(), to.c_str()) != 0)
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }
    std::string Name(const char* port) const
    {
        return std::string(jack_get_client_name(client)) + ":" + port;
    }

    // Returns once the message went out (false when JACK did not take it within a while).
    // Program Change goes as two bytes, as keyboards send it.
    bool Send(unsigned char status, unsigned char data1, unsigned char data2 = 0)
    {
        pending = (status << 16) | (data1 << 8) | data2;
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (pending != 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return pending == 0;
    }
    // The loudest sample that arrived during the given time.
    float ListenFor(std::chrono::milliseconds duration)
    {
        peak = 0.0f;
        std::this_thread::sleep_for(duration);
        return peak;
    }
    // True once a sample louder than level arrives within the given time.
    bool Hears(float level, std::chrono::milliseconds timeout)
    {
        peak = 0.0f;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (peak < level && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        return peak >= level;
    }

private:
    static int Process(jack_nframes_t numFrames, void* self)
    {
        static_cast<PlayerClient*>(self)->Run(numFrames);
        return 0;
    }
    void Run(jack_nframes_t numFrames)
    {
        auto* midi = jack_port_get_buffer(midiOut, numFrames);
        jack_midi_clear_buffer(midi);
        if (const auto message = pending.exchange(0); message != 0)
        {
            const unsigned char bytes[] = {static_cast<unsigned char>(message >> 16),
                                           static_cast<unsigned char>(message >> 8),
                                           static_cast<unsigned char>(message)};
            const bool twoBytes = (bytes[0] & 0xF0) == 0xC0 || (bytes[0] & 0xF0) == 0xD0;
            jack_midi_event_write(midi, 0, bytes, twoBytes ? 2 : 3);
        }
        float loudest = peak;
        for (auto* port : audioIn)
        {
            const auto* samples = static_cast<const float*>(jack_port_get_buffer(port, numFrames));
            for (jack_nframes_t i = 0; i < numFrames; ++i)
                loudest = std::max(loudest, std::abs(samples[i]));
        }
        peak = loudest;
    }

    jack_client_t* client = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* audioIn[2] = {nullptr, nullptr};
    std::atomic<int> pending{0};
    std::atomic<float> peak{0.0f};
};

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
        ASSERT_TRUE(TopLevelWindows::InternWindowManagerAtoms());

        home.Write(settingsFile,
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                   "  <VALUE name=\"audioSetup\">\n"
                   "    <DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"system\" "
                   "audioInputDeviceName=\"\"\n"
                   "                 audioDeviceRate=\"48000\" audioDeviceBufferSize=\"512\"/>\n"
                   "  </VALUE>\n</PROPERTIES>\n");
        const std::string server = "brumalux-test-" + std::to_string(getpid());
        const std::vector<std::string> environment{
            "JACK_DEFAULT_SERVER=" + server, "HOME=" + home.Folder().string(), "JACK_NO_AUDIO_RESERVATION=1"};
        jackd.emplace(std::vector<std::string>{"jackd", "--no-realtime", "-n", server, "-d", "dummy", "-r",
                                               "48000", "-p", "512"},
                      environment);
        player.emplace(server);
        ASSERT_TRUE(player->IsOpen()) << "the JACK server did not start";

        organ.emplace(std::vector<std::string>{TEST_PROGRAM_LAUNCHER BRUMALUX_STANDALONE}, environment);
        window = TopLevelWindows::WaitForTitle("Brumalux", 20000);
        ASSERT_NE(window, 0ul) << "no window titled Brumalux";
        ASSERT_TRUE(player->WaitForPort("Brumalux MIDI:midi_in", 10s));
        ASSERT_TRUE(player->WaitForPort("Brumalux:out_1", 10s)) << "the program did not open JACK for audio";
        ASSERT_TRUE(player->Connect(player->Name("midi_out"), "Brumalux MIDI:midi_in"));
        ASSERT_TRUE(player->Connect("Brumalux:out_1", player->Name("in_l")));
        ASSERT_TRUE(player->Connect("Brumalux:out_2", player->Name("in_r")));
    }
    void TearDown() override
    {
        organ.reset();
        player.reset();
        if (jackd)
        {
            jackd->Terminate();
            jackd->WaitForExit(5s);
        }
    }

    // Sends a note until it sounds, then lets it go: on a loaded machine, the first message
    // after connecting can be lost while the program is still starting.
    bool PlaysANote()
    {
        for (int attempt = 0; attempt < 5; ++attempt)
            if (player->Send(0x90, 60, 100) && player->Hears(1e-2f, 1s))
                return player->Send(0x80, 60, 0);
        return false;
    }
    // Presses the window's close button; the program saves its settings as it quits.
    void Close()
    {
        ASSERT_TRUE(TopLevelWindows::RequestClose(window));
        EXPECT_EQ(organ->WaitForExit(15s), 0) << "quits cleanly on its window's close";
    }

    // Where the program keeps its settings, the organ's state among them.
    const fs::path settingsFile = fs::path(".config") / "Brumalux.settings";
    const TemporaryHome home;
    std::optional<ChildProcess> jackd;
    std::optional<PlayerClient> player;
    std::optional<ChildProcess> organ;
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
    ASSERT_TRUE(TopLevelWindows::InternWindowManagerAtoms());
    const TemporaryHome home;
    home.Write(".config/Brumalux/Editor.settings", "zoom = 200\n");
    ChildProcess organ({TEST_PROGRAM_LAUNCHER BRUMALUX_STANDALONE}, {"HOME=" + home.Folder().string()});
    const auto window = TopLevelWindows::WaitForTitle("Brumalux", 20000);
    ASSERT_NE(window, 0ul) << "no window titled Brumalux";
    // The window is mapped before the program gives it its final size.
    auto size = TopLevelWindows::SizeOf(window);
    for (int wait = 0; wait < 100 && size.first < 880; ++wait)
    {
        std::this_thread::sleep_for(50ms);
        size = TopLevelWindows::SizeOf(window);
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
