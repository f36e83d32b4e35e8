// The organ's controller map as a VST 2 host meets it: build/brumalux.so loaded through its entry point,
// its controllers sent as MIDI events, its map carried in the state chunk.

#include "params/SettingsBlock.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int drawbar0Index = 6;
constexpr int toneIndex = 16;
constexpr size_t factoryChunkSize = 1262;

void SendController(PluginInstance& host, int controller, int value, int channel = 0)
{
    host.SendMidi({{0,
                    {static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(controller),
                     static_cast<uint8_t>(value)}}});
    host.Render(64);
}

// The factory bank followed by a settings block with the selected program and the entry as "CMAP".
std::vector<uint8_t> StateWithMap(const std::vector<uint8_t>& bank, const std::vector<uint8_t>& mapEntry)
{
    SettingsBlock block;
    block.AddInt32("PROG", 0);
    block.Add("CMAP", mapEntry.data(), mapEntry.size());
    juce::MemoryBlock bytes(bank.data(), bank.size());
    block.AppendTo(bytes);
    const auto* data = static_cast<const uint8_t*>(bytes.getData());
    return {data, data + bytes.getSize()};
}

class OrganControllerMap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.IsLoaded()) << library.Error();
        host = std::make_unique<PluginInstance>(library.Entry());
        host->Open();
        host->Resume(44100.0, 256);
    }

    PluginLibrary library{BRUMALUX_PLUGIN};
    std::unique_ptr<PluginInstance> host;
};

TEST_F(OrganControllerMap, DrawbarsFollowControllers70To78OnEveryChannelAndTheHostHearsOfIt)
{
    for (int k = 0; k < 9; ++k)
    {
        SendController(*host, 70 + k, 127, k);
        EXPECT_FLOAT_EQ(host->Parameter(drawbar0Index + k), 1.0f) << "drawbar " << k;
        SendController(*host, 70 + k, 32, 15 - k);
        EXPECT_FLOAT_EQ(host->Parameter(drawbar0Index + k), 32.0f / 127.0f) << "drawbar " << k;
    }
    // Reported from the message thread, which runs on its own while no editor is open.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int k = 0; k < 9; ++k)
    {
        bool reported = false;
        for (const auto& request : host->Callbacks().Requests())
            reported |= request.opcode == vst2::audioMasterAutomate && request.index == drawbar0Index + k &&
                        request.opt == 32.0f / 127.0f;
        EXPECT_TRUE(reported) << "drawbar " << k;
    }
    EXPECT_EQ(host->State().size(), factoryChunkSize) << "the default map adds nothing to the state";
}

TEST_F(OrganControllerMap, AMapTravelsInTheStateAndADamagedOneIsRefused)
{
    const auto bank = host->State();
    // 20 drives Tone; 72 drives DrawBar2, inverted. Nothing else is mapped.
    const std::vector<uint8_t> map{20, toneIndex, 0, 0, 72, drawbar0Index + 2, 1, 0};
    const auto state = StateWithMap(bank, map);
    host->LoadState(state);
    EXPECT_TRUE(host->State() == state) << "saved as loaded";

    SendController(*host, 72, 127);
    EXPECT_FLOAT_EQ(host->Parameter(drawbar0Index + 2), 0.0f);
    SendController(*host, 72, 0);
    EXPECT_FLOAT_EQ(host->Parameter(drawbar0Index + 2), 1.0f);
    SendController(*host, 20, 127);
    EXPECT_FLOAT_EQ(host->Parameter(toneIndex), 1.0f);
    const float drawbar0 = host->Parameter(drawbar0Index);
    SendController(*host, 70, 0);
    EXPECT_FLOAT_EQ(host->Parameter(drawbar0Index), drawbar0) << "70 is not in the loaded map";

    const std::vector<std::vector<uint8_t>> damaged{
        {20, toneIndex, 0},          // cut short
        {72, 6, 0, 0, 20, 16, 0, 0}, // out of order
        {72, 6, 0, 1},               // a switch mode on a drawbar
        {64, 6, 0, 0},               // the sustain pedal
        {72, 18, 0, 0},              // "Unused"
        {72, 6, 4, 0},               // an unknown flag
    };
    const auto before = host->State();
    for (const auto& entry : damaged)
    {
        host->LoadState(StateWithMap(bank, entry));
        EXPECT_TRUE(host->State() == before) << "nothing changed";
    }
    SendController(*host, 72, 127);
    EXPECT_FLOAT_EQ(host->Parameter(drawbar0Index + 2), 0.0f) << "the map stayed as it was";
}
} // namespace

} // namespace brumalux
