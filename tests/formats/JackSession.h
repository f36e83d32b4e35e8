#pragma once

#include "tests/support/ChildProcess.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace brumalux
{

using namespace std::chrono_literals;

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
    // A client's ports show before it is active, and cannot be connected until then. A
    // connection the program made by itself is as good.
    bool Connect(const std::string& from, const std::string& to)
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        for (int result; (result = jack_connect(client, from.c_str(), to.c_str())) != 0 && result != EEXIST;)
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

// A JACK server of the test's own (the dummy driver, so no sound card is needed) with the
// test's client on it, and the environment that makes a program use that server. Ends the
// server with it.
class JackSession
{
public:
    JackSession()
        : server("brumalux-test-" + std::to_string(getpid())),
          jackd(std::vector<std::string>{"jackd", "--no-realtime", "-n", server, "-d", "dummy", "-r", "48000",
                                         "-p", "512"},
                Environment())
    {
        player.emplace(server);
    }
    ~JackSession()
    {
        player.reset();
        jackd.Terminate();
        jackd.WaitForExit(5s);
    }

    // For the program to start: this server, and no reservation of a sound card.
    std::vector<std::string> Environment() const
    {
        return {"JACK_DEFAULT_SERVER=" + server, "JACK_NO_AUDIO_RESERVATION=1"};
    }
    bool Started() const { return player->IsOpen(); }
    PlayerClient& Player() { return *player; }

    // Plays into the standalone program's JACK MIDI input and listens to its output, once
    // both show.
    bool ConnectToTheProgram()
    {
        return player->WaitForPort("Brumalux MIDI:midi_in", 10s) &&
               player->WaitForPort("Brumalux:out_1", 10s) &&
               player->Connect(player->Name("midi_out"), "Brumalux MIDI:midi_in") &&
               player->Connect("Brumalux:out_1", player->Name("in_l")) &&
               player->Connect("Brumalux:out_2", player->Name("in_r"));
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

private:
    const std::string server;
    ChildProcess jackd;
    std::optional<PlayerClient> player;
};

} // namespace brumalux
