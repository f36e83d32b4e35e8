// The organ suspended, reconfigured and resumed from a control thread while the audio
// thread keeps delivering MIDI and rendering blocks, as hosts do when the user changes
// the audio device under a playing song.

#include "tests/support/Watchdog.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <iostream>
#include <vector>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int blockSize = 64;
constexpr auto runTime = std::chrono::milliseconds(1500);
constexpr auto deadlockLimit = std::chrono::seconds(60);

float Peak(const PluginInstance::Channels& outputs)
{
    float peak = 0.0f;
    for (const auto& channel : outputs)
        for (float sample : channel)
            peak = std::max(peak, std::abs(sample));
    return peak;
}
} // namespace

TEST(ResumeThreads, ReconfiguringWhileTheAudioThreadSendsMidiAndRendersIsSafe)
{
    PluginLibrary library{BRUMALUX_PLUGIN};
    ASSERT_TRUE(library.IsLoaded()) << library.Error();
    PluginInstance host(library.Entry());
    ASSERT_TRUE(host.HasInstance());
    host.Open();
    host.Resume(44100.0, blockSize);

    std::atomic<bool> stop{false};
    int blocks = 0;
    bool allFinite = true;
    auto audioDone =
        std::async(std::launch::async,
                   [&]
                   {
                       auto outputs = PluginInstance::Channels(2, std::vector<float>(blockSize));
                       for (; !stop.load(); ++blocks)
                       {
                           const auto note = static_cast<unsigned char>(48 + blocks % 24);
                           host.SendMidi({{0, {0x90, note, 100}}, {blockSize / 2, {0x80, note, 0}}});
                           host.ProcessReplacing(outputs, blockSize);
                           allFinite = allFinite && std::isfinite(Peak(outputs));
                       }
                   });

    int reconfigurations = 0;
    auto controlDone = std::async(std::launch::async,
                                  [&]
                                  {
                                      const auto until = std::chrono::steady_clock::now() + runTime;
                                      for (; std::chrono::steady_clock::now() < until; ++reconfigurations)
                                      {
                                          host.Suspend();
                                          host.Resume(reconfigurations % 2 == 0 ? 48000.0 : 44100.0,
                                                      blockSize * (1 + reconfigurations % 2));
                                      }
                                      stop = true;
                                  });

    {
        const Watchdog watchdog(deadlockLimit, "the audio and control threads");
        controlDone.get();
        audioDone.get();
    }
    std::cout << reconfigurations << " reconfigurations against " << blocks << " blocks\n";
    EXPECT_GT(blocks, 0);
    EXPECT_TRUE(allFinite);

    // Still an organ: a held note sounds.
    host.Resume(44100.0, blockSize);
    host.SendMidi({{0, {0x90, 60, 100}}});
    auto outputs = PluginInstance::Channels(2, std::vector<float>(blockSize));
    float peak = 0.0f;
    for (int block = 0; block < 20; ++block)
    {
        host.ProcessReplacing(outputs, blockSize);
        peak = std::max(peak, Peak(outputs));
    }
    EXPECT_GT(peak, 0.01f);
}

} // namespace brumalux
