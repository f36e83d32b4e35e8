// The organ plug-in as a host sees it: build/brumalux.so loaded through its entry point.

#include "tests/support/ProcessProbes.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::HostRequest;
using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int numOrganParameters = 27;
constexpr int clickLevelIndex = 26;

class OrganBoundary : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(library.IsLoaded()) << library.Error(); }

    static PluginInstance::Channels Stereo(int numFrames, float fill = 0.0f)
    {
        return PluginInstance::Channels(2, std::vector<float>(static_cast<size_t>(numFrames), fill));
    }

    static float Peak(const std::vector<float>& channel, size_t from, size_t to)
    {
        float peak = 0.0f;
        for (auto i = from; i < to; ++i)
            peak = std::max(peak, std::abs(channel[i]));
        return peak;
    }

    PluginLibrary library{BRUMALUX_PLUGIN};
};

TEST_F(OrganBoundary, IdentityAsTheHostSeesIt)
{
    PluginInstance host(library.Entry());
    ASSERT_TRUE(host.HasInstance());
    const auto& effect = *host.Effect();
    EXPECT_EQ(effect.flags, 305);
    EXPECT_EQ(effect.uniqueID, 0x5A72346D); // "Zr4m"
    EXPECT_EQ(effect.numParams, numOrganParameters);
    EXPECT_EQ(effect.numPrograms, 10);
    EXPECT_EQ(effect.numInputs, 2);
    EXPECT_EQ(effect.numOutputs, 2);
    EXPECT_EQ(effect.initialDelay, 0);
    EXPECT_EQ(host.Dispatch(vst2::effGetPlugCategory), 2);
    EXPECT_EQ(host.CheckedText(vst2::effGetEffectName, 0, 64), "Brumalux");
    EXPECT_EQ(host.CheckedText(vst2::effGetVendorString, 0, 64), "Quellmark music");
    EXPECT_EQ(host.Dispatch(vst2::effKeysRequired), 0);

    const auto canDo = [&](const char* query)
    { return host.Dispatch(vst2::effCanDo, 0, 0, const_cast<char*>(query)); };
    EXPECT_EQ(canDo("receiveVstMidiEvents"), 1);
    EXPECT_EQ(canDo("sendVstMidiEvent"), -1);
    EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(canDo("sizeWindow"), 0);
}

TEST_F(OrganBoundary, ParameterNamesAndDisplays)
{
    PluginInstance host(library.Entry());
    EXPECT_EQ(host.CheckedText(vst2::effGetParamName, 17, 8), "Distorti");
    EXPECT_EQ(host.CheckedText(vst2::effGetParamName, 0, 8), "Osc");
    EXPECT_EQ(host.CheckedText(vst2::effGetParamName, 22, 8), "FSpkr1Sp");
    EXPECT_EQ(host.CheckedText(vst2::effGetParamDisplay, 1, 64), "0.300000012") << "Perc Lvl of program 0";
    EXPECT_EQ(host.CheckedText(vst2::effGetParamDisplay, 16, 64), "12000") << "Tone of program 0";
    EXPECT_EQ(host.CheckedText(vst2::effGetParamLabel, 16, 8), "");
}

TEST_F(OrganBoundary, ProgramSelectionReportsAll27Parameters)
{
    PluginInstance host(library.Entry());
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramNameIndexed, 9, 24), "Breathy");
    host.Callbacks().ClearRequests();
    host.Dispatch(vst2::effSetProgram, 0, 10);
    EXPECT_EQ(host.Dispatch(vst2::effGetProgram), 0);
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterAutomate), 0);

    host.Dispatch(vst2::effSetProgram, 0, 3);
    EXPECT_EQ(host.Dispatch(vst2::effGetProgram), 3);
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramName, 0, 24), "Organ pad");
    const auto requests = host.Callbacks().Requests();
    ASSERT_EQ(host.Callbacks().CountRequests(vst2::audioMasterAutomate), numOrganParameters);
    int expectedIndex = 0;
    for (const auto& request : requests)
    {
        if (request.opcode == vst2::audioMasterAutomate)
        {
            EXPECT_EQ(request.index, expectedIndex++);
        }
    }
    // "ADSR Att" of "Organ pad" is 500 ms on a 5 to 500 range: normalised 1.
    EXPECT_EQ(host.Effect()->getParameter(host.Effect(), 2), 1.0f);
}

TEST_F(OrganBoundary, FactoryChunkIs1262BytesAndRoundTrips)
{
    PluginInstance host(library.Entry());
    void* data = nullptr;
    ASSERT_EQ(host.Dispatch(vst2::effGetChunk, 0, 0, &data), 1262);
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::vector<unsigned char> saved(bytes, bytes + 1262);
    EXPECT_EQ(std::vector<unsigned char>(saved.begin(), saved.begin() + 4),
              (std::vector<unsigned char>{0x0a, 0, 0, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes) + 4), "A little churchy");
    EXPECT_EQ(std::vector<unsigned char>(saved.begin() + 21, saved.begin() + 25),
              (std::vector<unsigned char>{0x6c, 0, 0, 0}));

    host.Effect()->setParameter(host.Effect(), 16, 0.0f);
    char name[] = "Renamed";
    host.Dispatch(vst2::effSetProgramName, 0, 0, name);
    auto copy = saved;
    host.Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(copy.size()), copy.data());
    EXPECT_EQ(host.CheckedText(vst2::effGetParamDisplay, 16, 64), "12000");
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramName, 0, 24), "A little churchy");
    void* again = nullptr;
    ASSERT_EQ(host.Dispatch(vst2::effGetChunk, 0, 0, &again), 1262);
    EXPECT_EQ(std::memcmp(again, saved.data(), saved.size()), 0);
}

// A project saved with program 7 and two of its values changed comes back as saved,
// whether the host selects the program before loading the chunk, after it, or never.
TEST_F(OrganBoundary, TheChunkRestoresTheSelectedProgramAndItsSound)
{
    auto chordFrom = [](PluginInstance& host)
    {
        host.Resume(44100.0, 512);
        host.SendMidi({{0, {0x90, 60, 100}}, {7, {0x90, 64, 90}}, {30, {0x90, 67, 80}}});
        std::vector<float> rendered;
        for (int block = 0; block < 8; ++block)
        {
            auto out = Stereo(512);
            host.ProcessReplacing(out, 512);
            rendered.insert(rendered.end(), out[0].begin(), out[0].end());
            rendered.insert(rendered.end(), out[1].begin(), out[1].end());
        }
        return rendered;
    };
    auto valuesOf = [](PluginInstance& host)
    {
        std::vector<float> values;
        for (int i = 0; i < numOrganParameters; ++i)
            values.push_back(host.Parameter(i));
        return values;
    };

    PluginInstance source(library.Entry());
    source.SelectProgram(7);
    source.SetParameter(16, 0.25f);
    source.SetParameter(9, 0.875f);
    const auto saved = source.State();
    const auto savedValues = valuesOf(source);
    const auto chord = chordFrom(source);
    ASSERT_GT(*std::max_element(chord.begin(), chord.end()), 1e-2f);

    enum Order
    {
        programBeforeChunk,
        programAfterChunk,
        chunkAlone
    };
    for (const auto order : {programBeforeChunk, programAfterChunk, chunkAlone})
    {
        PluginInstance restored(library.Entry());
        restored.Open();
        if (order == programBeforeChunk)
            restored.SelectProgram(7);
        restored.LoadState(saved);
        if (order == programAfterChunk)
            restored.SelectProgram(7);
        EXPECT_EQ(restored.CurrentProgram(), 7) << order;
        EXPECT_EQ(valuesOf(restored), savedValues) << order;
        EXPECT_EQ(restored.State(), saved) << order;
        EXPECT_TRUE(chordFrom(restored) == chord) << order;
    }
}

TEST_F(OrganBoundary, NoteAtOffset100SoundsFromSample100)
{
    PluginInstance host(library.Entry());
    host.Resume(44100.0f, 512);
    auto silent = Stereo(512, 9.0f);
    host.ProcessReplacing(silent, 512);
    EXPECT_EQ(Peak(silent[0], 0, 512), 0.0f) << "without notes the organ is silent";

    host.SendMidi({{100, {0x90, 69, 100}}});
    auto out = Stereo(512, 9.0f);
    host.ProcessReplacing(out, 512);
    for (const auto& channel : out)
    {
        EXPECT_EQ(Peak(channel, 0, 100), 0.0f);
        EXPECT_GT(Peak(channel, 100, 512), 1e-4f);
    }
}

TEST_F(OrganBoundary, ProcessAddsWhatProcessReplacingWrites)
{
    PluginInstance replacing(library.Entry());
    PluginInstance adding(library.Entry());
    for (auto* host : {&replacing, &adding})
    {
        host->Effect()->setParameter(host->Effect(), clickLevelIndex, 0.0f);
        host->Resume(44100.0f, 256);
        host->SendMidi({{0, {0x90, 60, 100}}, {0, {0x90, 67, 90}}});
    }
    auto written = Stereo(256, 0.25f);
    auto added = Stereo(256, 0.25f);
    for (int block = 0; block < 4; ++block)
    {
        std::fill(written[0].begin(), written[0].end(), 0.25f);
        std::fill(written[1].begin(), written[1].end(), 0.25f);
        std::fill(added[0].begin(), added[0].end(), 0.25f);
        std::fill(added[1].begin(), added[1].end(), 0.25f);
        replacing.ProcessReplacing(written, 256);
        adding.ProcessAccumulating(added, 256);
    }
    EXPECT_GT(Peak(written[0], 0, 256), 1e-2f);
    // Two organs never sound exactly alike (their waveforms carry a little noise), but
    // far closer than the 0.25 the host's buffers held.
    for (size_t channel = 0; channel < 2; ++channel)
        for (size_t i = 0; i < 256; ++i)
            ASSERT_NEAR(added[channel][i], 0.25f + written[channel][i], 2e-3f) << channel << ":" << i;
}

TEST_F(OrganBoundary, FirstBlockWithoutResumeStillPlays)
{
    PluginInstance host(library.Entry());
    host.SendMidi({{0, {0x90, 60, 100}}});
    auto out = Stereo(1024);
    host.ProcessReplacing(out, 1024);
    EXPECT_GT(Peak(out[0], 0, 1024), 1e-3f);
}

TEST_F(OrganBoundary, LongerBlocksThanAnnouncedAndMissingChannels)
{
    PluginInstance host(library.Entry());
    host.Resume(44100.0f, 64);
    host.SendMidi({{3000, {0x90, 60, 100}}});
    auto out = Stereo(4096);
    host.ProcessReplacing(out, 4096);
    EXPECT_EQ(Peak(out[0], 0, 3000), 0.0f);
    EXPECT_GT(Peak(out[0], 3000, 4096), 1e-4f);

    float* onlyLeft[] = {out[0].data(), nullptr};
    host.Effect()->processReplacing(host.Effect(), nullptr, onlyLeft, 64);
    host.Effect()->processReplacing(host.Effect(), nullptr, nullptr, 64);
    EXPECT_GT(Peak(out[0], 0, 64), 1e-4f);
}

TEST_F(OrganBoundary, TwoOrgansSideBySide)
{
    PluginInstance first(library.Entry());
    PluginInstance second(library.Entry());
    first.Open();
    second.Open();
    first.Resume(48000.0f, 128);
    second.Resume(44100.0f, 512);
    second.Dispatch(vst2::effSetProgram, 0, 6);
    first.SendMidi({{0, {0x90, 48, 100}}});
    auto firstOut = Stereo(128);
    auto secondOut = Stereo(512);
    first.ProcessReplacing(firstOut, 128);
    second.ProcessReplacing(secondOut, 512);
    EXPECT_EQ(Peak(secondOut[0], 0, 512), 0.0f);
    EXPECT_EQ(first.Dispatch(vst2::effGetProgram), 0);
    EXPECT_EQ(second.Dispatch(vst2::effGetProgram), 6);
}

TEST_F(OrganBoundary, ChunkMemoryHandedOutStaysReadableForAWhile)
{
    PluginInstance host(library.Entry());
    host.Open();
    void* data = nullptr;
    ASSERT_EQ(host.Dispatch(vst2::effGetChunk, 0, 0, &data), 1262);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(std::string(static_cast<const char*>(data) + 4), "A little churchy");
}
} // namespace

TEST(OrganLoadUnload, ThreeRoundsLeaveNoThreadBehind)
{
    const auto threadsBefore = CountThreads();
    for (int round = 0; round < 3; ++round)
    {
        PluginLibrary library(BRUMALUX_PLUGIN);
        ASSERT_TRUE(library.IsLoaded());
        PluginInstance host(library.Entry());
        host.Open();
        host.Resume(44100.0, 512);
        PluginInstance::Channels out(2, std::vector<float>(512));
        host.SendMidi({{0, {0x90, 60, 100}}});
        host.ProcessReplacing(out, 512);
    }
    for (int attempt = 0; attempt < 100 && CountThreads() != threadsBefore; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(CountThreads(), threadsBefore);
    EXPECT_FALSE(IsMapped(BRUMALUX_PLUGIN));
}

} // namespace brumalux
