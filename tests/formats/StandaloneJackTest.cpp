// The standalone program as a player starts it: under X, with a JACK server (the dummy
// driver, started here), played from a JACK MIDI client of the test's own that also
// listens to the program's audio output.

#include "tests/TemporaryHome.h"
#include "tests/formats/TopLevelWindows.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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
    bool Connect(const std::string& from, const std::string& to)
    {
        return jack_connect(client, from.c_str(), to.c_str()) == 0;
    }
    std::string Name(const char* port) const
    {
        return std::string(jack_get_client_name(client)) + ":" + port;
    }

    void Send(unsigned char status, unsigned char note, unsigned char velocity)
    {
        pending = (status << 16) | (note << 8) | velocity;
    }
    // The loudest sample that arrived during the given time.
    float ListenFor(std::chrono::milliseconds duration)
    {
        peak = 0.0f;
        std::this_thread::sleep_for(duration);
        return peak;
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
            jack_midi_event_write(midi, 0, bytes, sizeof(bytes));
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

// Where the program keeps its settings; this one chooses JACK's system ports for output.
void WriteSettings(const fs::path& home)
{
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "Brumalux.settings")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n  <VALUE name=\"audioSetup\">\n"
           "    <DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"system\" audioInputDeviceName=\"\"\n"
           "                 audioDeviceRate=\"48000\" audioDeviceBufferSize=\"512\"/>\n  "
           "</VALUE>\n</PROPERTIES>\n";
}

TEST(Standalone, PlaysFromJackMidiIntoJackAudioAndQuitsOnClose)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X display";
    if (!OnPath("jackd"))
        GTEST_SKIP() << "needs jackd (Debian's jackd2)";
    ASSERT_TRUE(TopLevelWindows::InternWindowManagerAtoms());

    const auto home = fs::temp_directory_path() / ("brumalux-standalone-" + std::to_string(getpid()));
    fs::remove_all(home);
    WriteSettings(home);
    const std::string server = "brumalux-test-" + std::to_string(getpid());
    const std::vector<std::string> environment{"JACK_DEFAULT_SERVER=" + server, "HOME=" + home.string(),
                                               "JACK_NO_AUDIO_RESERVATION=1"};

    ChildProcess jackd({"jackd", "--no-realtime", "-n", server, "-d", "dummy", "-r", "48000", "-p", "512"},
                       environment);
    PlayerClient player(server);
    ASSERT_TRUE(player.IsOpen()) << "the JACK server did not start";

    ChildProcess organ({BRUMALUX_STANDALONE}, environment);
    const auto window = TopLevelWindows::WaitForTitle("Brumalux", 20000);
    ASSERT_NE(window, 0ul) << "no window titled Brumalux";
    ASSERT_TRUE(player.WaitForPort("Brumalux MIDI:midi_in", 10s));
    ASSERT_TRUE(player.WaitForPort("Brumalux:out_1", 10s)) << "the program did not open JACK for audio";
    ASSERT_TRUE(player.Connect(player.Name("midi_out"), "Brumalux MIDI:midi_in"));
    ASSERT_TRUE(player.Connect("Brumalux:out_1", player.Name("in_l")));
    ASSERT_TRUE(player.Connect("Brumalux:out_2", player.Name("in_r")));

    EXPECT_LT(player.ListenFor(500ms), 1e-4f) << "silent before the first note";
    player.Send(0x90, 60, 100);
    EXPECT_GT(player.ListenFor(1000ms), 1e-2f) << "the note sounds at the JACK output";
    player.Send(0x80, 60, 0);

    ASSERT_TRUE(TopLevelWindows::RequestClose(window));
    EXPECT_EQ(organ.WaitForExit(15s), 0) << "quits cleanly on its window's close";
    EXPECT_TRUE(fs::exists(home / ".config" / "Brumalux.settings"));
    jackd.Terminate();
    jackd.WaitForExit(5s);
    fs::remove_all(home);
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
    ChildProcess organ({BRUMALUX_STANDALONE}, {"HOME=" + home.Folder().string()});
    const auto window = TopLevelWindows::WaitForTitle("Brumalux", 20000);
    ASSERT_NE(window, 0ul) << "no window titled Brumalux";
    const auto [width, height] = TopLevelWindows::SizeOf(window);
    // The window's frame adds a few pixels.
    EXPECT_GE(width, 880);
    EXPECT_LE(width, 880 + 10);
    EXPECT_GE(height, 970 + 30);
    ASSERT_TRUE(TopLevelWindows::RequestClose(window));
    EXPECT_EQ(organ.WaitForExit(15s), 0);
}
} // namespace

} // namespace brumalux
