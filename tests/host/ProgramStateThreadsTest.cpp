// The organ's program and state requests as hosts really make them: program changes on
// the audio thread between blocks while the UI thread saves, restores and renames.

#include "tests/support/Watchdog.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int numPrograms = 10;
constexpr int blockSize = 64;
constexpr auto runTime = std::chrono::milliseconds(1500);
constexpr auto deadlockLimit = std::chrono::seconds(60);

class ProgramStateThreads : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(library.IsLoaded()) << library.Error(); }

    PluginLibrary library{BRUMALUX_PLUGIN};
};

// The audio thread: a program change before every block, as hosts that turn MIDI
// program changes into effSetProgram do, and notes so that there is sound to disturb.
struct AudioThreadLoop
{
    void operator()()
    {
        auto outputs = PluginInstance::Channels(2, std::vector<float>(blockSize));
        for (int block = 0; !stop.load(); ++block)
        {
            busy = true;
            changingProgram = true;
            host.Dispatch(vst2::effSetProgram, 0, block % numPrograms);
            changingProgram = false;
            if (block % 16 == 0)
                host.SendMidi(
                    {{0, {0x90, static_cast<unsigned char>(48 + block % 24), 100}},
                     {blockSize / 2, {0x80, static_cast<unsigned char>(48 + (block + 20) % 24), 0}}});
            host.ProcessReplacing(outputs, blockSize);
            busy = false;
            for (const auto& channel : outputs)
                for (float sample : channel)
                    allFinite = allFinite && std::isfinite(sample);
            ++blocks;
        }
    }

    PluginInstance& host;
    std::atomic<bool>& stop;
    std::atomic<bool> busy{false};
    std::atomic<bool> changingProgram{false};
    bool allFinite = true;
    int blocks = 0;
};
} // namespace

TEST_F(ProgramStateThreads, ProgramChangesOnTheAudioThreadOverlapSavingAndRestoringSafely)
{
    PluginInstance host(library.Entry());
    ASSERT_TRUE(host.HasInstance());
    host.Open();
    host.Resume(44100.0, blockSize);

    std::atomic<bool> stop{false};
    AudioThreadLoop audio{host, stop};
    auto audioDone = std::async(std::launch::async, std::ref(audio));

    // The UI thread: save, restore what was saved, restore a damaged copy, and read
    // and rename programs, for as long as the audio thread runs.
    // Requests that returned while the audio thread was inside a block or a program change.
    int overlaps = 0;
    int programChangeOverlaps = 0;
    auto countOverlap = [&]
    {
        overlaps += audio.busy ? 1 : 0;
        programChangeOverlaps += audio.changingProgram ? 1 : 0;
    };
    int rounds = 0;
    auto uiDone = std::async(
        std::launch::async,
        [&]
        {
            const auto until = std::chrono::steady_clock::now() + runTime;
            for (; std::chrono::steady_clock::now() < until; ++rounds)
            {
                const auto chunk = host.State();
                countOverlap();
                host.LoadState(chunk);
                auto damaged = chunk;
                damaged.resize(damaged.size() - 1 - static_cast<size_t>(rounds) % (damaged.size() - 1));
                host.LoadState(damaged);
                countOverlap();
                char name[32] = "Stress";
                host.Dispatch(vst2::effSetProgramName, 0, 0, name);
                host.CheckedText(vst2::effGetProgramName, 0, 24);
                host.CheckedText(vst2::effGetProgramNameIndexed, rounds % numPrograms, 24);
                host.Callbacks().ClearRequests();
            }
            stop = true;
        });

    {
        const Watchdog watchdog(deadlockLimit, "the audio and UI threads");
        uiDone.get();
        audioDone.get();
    }
    std::cout << rounds << " save/restore rounds against " << audio.blocks << " blocks, " << overlaps
              << " of them overlapping a block or program change, " << programChangeOverlaps
              << " a program change\n";

    EXPECT_GT(overlaps, 0) << "the two threads never met";
    EXPECT_TRUE(audio.allFinite);
    // No damaged chunk got in: all ten programs are still there.
    std::vector<char> name(64);
    EXPECT_EQ(host.Dispatch(vst2::effGetProgramNameIndexed, numPrograms - 1, 0, name.data()), 1);
    EXPECT_EQ(host.Dispatch(vst2::effGetProgramNameIndexed, numPrograms, 0, name.data()), 0);
}

TEST_F(ProgramStateThreads, AChunkHandedBackAsItWasHandedOutLoads)
{
    PluginInstance host(library.Entry());
    ASSERT_TRUE(host.HasInstance());
    char kept[] = "Kept";
    host.Dispatch(vst2::effSetProgramName, 0, 0, kept);
    void* data = nullptr;
    const auto size = host.Dispatch(vst2::effGetChunk, 0, 0, &data);
    char renamed[] = "Renamed";
    host.Dispatch(vst2::effSetProgramName, 0, 0, renamed);

    // Some hosts restore straight from the memory we handed them.
    host.Dispatch(vst2::effSetChunk, 0, size, data);
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramName, 0, 24), "Kept");
}

} // namespace brumalux
