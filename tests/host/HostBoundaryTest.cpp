// The host boundary end to end: the test plug-in loaded and driven as a DAW drives it.

#include "TestPluginFixture.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>

namespace brumalux
{

namespace
{
using HostBoundary = TestPluginFixture;

std::set<std::string> ExportedSymbols(const std::string& path)
{
    std::set<std::string> names;
    const auto command = "nm -D --defined-only '" + path + "'";
    if (auto* pipe = popen(command.c_str(), "r"))
    {
        char line[1024];
        while (std::fgets(line, sizeof(line), pipe) != nullptr)
        {
            char address[64], type[8], name[900];
            if (std::sscanf(line, "%63s %7s %899s", address, type, name) == 3)
                names.insert(name);
        }
        pclose(pipe);
    }
    return names;
}

TEST_F(HostBoundary, ExportsExactlyMainAndVSTPluginMain)
{
    EXPECT_EQ(ExportedSymbols(BRUMALUX_TEST_PLUGIN), (std::set<std::string>{"VSTPluginMain", "main"}));

    PluginInstance viaMain(library.Entry("main"));
    ASSERT_TRUE(viaMain.HasInstance());
    EXPECT_EQ(viaMain.Effect()->magic, vst2::kEffectMagic);
}

TEST_F(HostBoundary, HostWithoutVersionGetsNoInstanceAndNothingStaysBehind)
{
    const auto threadsBefore = CountThreads();
    PluginInstance unversioned(Entry(), 0);
    EXPECT_FALSE(unversioned.HasInstance());
    EXPECT_EQ(unversioned.Callbacks().CountRequests(vst2::audioMasterVersion), 1);
    EXPECT_EQ(CountThreads(), threadsBefore);

    EXPECT_EQ(Entry()(nullptr), nullptr);
}

TEST_F(HostBoundary, RecordAndIdentityAnswers)
{
    PluginInstance host(Entry());
    ASSERT_TRUE(host.HasInstance());
    const auto& effect = *host.Effect();
    EXPECT_EQ(effect.magic, 0x56737450);
    EXPECT_EQ(effect.flags, 1 + 16 + 32 + 256);
    EXPECT_EQ(effect.numInputs, 2);
    EXPECT_EQ(effect.numOutputs, 2);
    EXPECT_EQ(effect.numParams, 4);
    EXPECT_EQ(effect.numPrograms, 3);
    EXPECT_EQ(effect.initialDelay, 0);
    EXPECT_EQ(effect.uniqueID, 0x42785473); // "BxTs"
    EXPECT_EQ(effect.version, 1);
    EXPECT_NE(effect.process, nullptr);
    EXPECT_NE(effect.processReplacing, nullptr);

    EXPECT_EQ(host.Dispatch(vst2::effGetPlugCategory), 2);
    EXPECT_EQ(host.Dispatch(vst2::effGetVendorVersion), 1000);
    EXPECT_EQ(host.Dispatch(vst2::effGetVstVersion), 2300);
    EXPECT_EQ(host.Dispatch(vst2::effIdentify), 0x4E764566);
    EXPECT_EQ(host.Dispatch(vst2::effKeysRequired), 0);
    EXPECT_EQ(host.Dispatch(vst2::effGetNumProgramCategories), 1);
    EXPECT_EQ(host.Dispatch(vst2::effGetVu), 0);
    EXPECT_EQ(host.Dispatch(vst2::effGetTailSize), 0);
    EXPECT_EQ(host.CheckedText(vst2::effGetEffectName, 0, 64), "Brumalux");
    EXPECT_EQ(host.CheckedText(vst2::effGetProductString, 0, 64), "Brumalux");
    EXPECT_EQ(host.CheckedText(vst2::effGetVendorString, 0, 64), "Quellmark music");
    char name[65];
    EXPECT_EQ(host.Dispatch(vst2::effGetEffectName, 0, 0, name), 1);
    EXPECT_EQ(host.Dispatch(vst2::effGetVendorString, 0, 0, name), 1);
}

TEST_F(HostBoundary, AsksForVersionThenMidiAtCreationAndMidiAgainAtEveryResume)
{
    PluginInstance host(Entry());
    auto requests = host.Callbacks().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].opcode, vst2::audioMasterVersion);
    EXPECT_EQ(requests[1].opcode, vst2::audioMasterWantMidi);
    EXPECT_EQ(requests[1].value, 1);

    host.Callbacks().ClearRequests();
    host.Resume(44100.0, 512);
    host.Suspend();
    host.Resume(44100.0, 512);
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterWantMidi), 2);
}

TEST_F(HostBoundary, CapabilityTableMatchesWholeStringsOnly)
{
    PluginInstance host(Entry());
    const auto canDo = [&](const char* query)
    { return host.Dispatch(vst2::effCanDo, 0, 0, const_cast<char*>(query)); };
    EXPECT_EQ(canDo("receiveVstEvents"), 1);
    EXPECT_EQ(canDo("receiveVstMidiEvents"), 1);
    EXPECT_EQ(canDo("sendVstEvents"), -1);
    EXPECT_EQ(canDo("sendVstMidiEvent"), -1);
    EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(canDo("conformsToWindowRules"), 1);
    EXPECT_EQ(canDo("sizeWindow"), 0);
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 0);
    EXPECT_EQ(canDo("receiveVstMidiEventsPlease"), 0);
    EXPECT_EQ(canDo(""), 0);
}

TEST_F(HostBoundary, ParameterNamesDisplaysAndValues)
{
    PluginInstance host(Entry());
    EXPECT_EQ(host.CheckedText(vst2::effGetParamName, 0, 8), "Level");
    EXPECT_EQ(host.CheckedText(vst2::effGetParamName, 1, 8), "Frequenc");
    EXPECT_EQ(host.CheckedText(vst2::effGetParamName, 4, 8), "Unknown ");
    EXPECT_EQ(host.CheckedText(vst2::effGetParamLabel, 0, 8), "");
    EXPECT_EQ(host.CheckedText(vst2::effGetParamDisplay, 0, 64), "0.5");

    host.Effect()->setParameter(host.Effect(), 0, 0.3f);
    EXPECT_EQ(host.Effect()->getParameter(host.Effect(), 0), 0.3f);
    EXPECT_EQ(host.CheckedText(vst2::effGetParamDisplay, 0, 64), "0.300000012");

    for (int index = 0; index < 4; ++index)
        EXPECT_EQ(host.Dispatch(vst2::effCanBeAutomated, index), 1);
    EXPECT_EQ(host.Dispatch(vst2::effCanBeAutomated, 4), 0);
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterAutomate), 0)
        << "host changes are not reported back";
}

TEST_F(HostBoundary, ProgramSelectionSendsOneAutomateRequestPerParameter)
{
    PluginInstance host(Entry());
    EXPECT_EQ(host.Dispatch(vst2::effGetProgram), 0);
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramName, 0, 24), "Init");

    host.Callbacks().ClearRequests();
    host.Dispatch(vst2::effSetProgram, 0, 3);
    EXPECT_EQ(host.Dispatch(vst2::effGetProgram), 0) << "a number beyond the bank is ignored";
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterAutomate), 0);

    host.Dispatch(vst2::effSetProgram, 0, 2);
    EXPECT_EQ(host.Dispatch(vst2::effGetProgram), 2);
    const float expected[] = {0.125f, 0.5f, 0.0f, 0.0f};
    std::vector<HostRequest> automation;
    for (const auto& request : host.Callbacks().Requests())
        if (request.opcode == vst2::audioMasterAutomate)
            automation.push_back(request);
    ASSERT_EQ(automation.size(), 4u);
    for (int index = 0; index < 4; ++index)
    {
        EXPECT_EQ(automation[static_cast<size_t>(index)].index, index);
        EXPECT_EQ(automation[static_cast<size_t>(index)].opt, expected[index]);
    }
    EXPECT_EQ(host.Effect()->getParameter(host.Effect(), 0), 0.125f);
}

TEST_F(HostBoundary, ProgramNamesAreCutTo24Characters)
{
    PluginInstance host(Entry());
    char name[25];
    EXPECT_EQ(host.Dispatch(vst2::effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ(name, "Init");
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramNameIndexed, 1, 24), "Bright pad with a rather");
    EXPECT_EQ(host.Dispatch(vst2::effGetProgramNameIndexed, 3, 0, name), 0);
    EXPECT_EQ(host.Dispatch(vst2::effGetProgramNameIndexed, -1, 0, name), 0);

    host.Dispatch(vst2::effSetProgram, 0, 1);
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramName, 0, 24), "Bright pad with a rather");
    char newName[] = "A name longer than twenty-four characters";
    host.Dispatch(vst2::effSetProgramName, 0, 0, newName);
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramNameIndexed, 1, 24), "A name longer than twent");
}

TEST_F(HostBoundary, StateChunkCarriesTheBankAndRoundTrips)
{
    PluginInstance host(Entry());
    void* data = nullptr;
    const auto size = host.Dispatch(vst2::effGetChunk, 0, 0, &data);
    // Three programs: count, then per program a name length, the name and four floats.
    const auto expectedSize = 4 + (4 + 4 + 16) + (4 + 34 + 16) + (4 + 5 + 16);
    ASSERT_EQ(size, expectedSize);
    ASSERT_NE(data, nullptr);
    const std::vector<unsigned char> saved(static_cast<unsigned char*>(data),
                                           static_cast<unsigned char*>(data) + size);
    EXPECT_EQ(std::vector<unsigned char>(saved.begin(), saved.begin() + 12),
              (std::vector<unsigned char>{3, 0, 0, 0, 4, 0, 0, 0, 'I', 'n', 'i', 't'}));

    host.Effect()->setParameter(host.Effect(), levelIndex, 0.875f);
    char otherName[] = "Changed";
    host.Dispatch(vst2::effSetProgramName, 0, 0, otherName);

    auto copy = saved;
    EXPECT_EQ(host.Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(copy.size()), copy.data()), 0);
    EXPECT_EQ(host.Effect()->getParameter(host.Effect(), levelIndex), defaultLevel);
    EXPECT_EQ(host.CheckedText(vst2::effGetProgramName, 0, 24), "Init");

    void* again = nullptr;
    ASSERT_EQ(host.Dispatch(vst2::effGetChunk, 1, 0, &again), expectedSize) << "bank and preset alike";
    EXPECT_EQ(std::memcmp(again, saved.data(), saved.size()), 0);
}

TEST_F(HostBoundary, NoteAtOffset100SoundsFromSample100)
{
    PluginInstance host(Entry());
    host.Resume(44100.0f, 512);
    EXPECT_EQ(host.SendMidi({{100, {noteOn, 60, 100}}}), 1);
    auto out = Stereo(512, 9.0f);
    host.ProcessReplacing(out, 512);
    for (const auto& channel : out)
    {
        EXPECT_EQ(channel[0], 0.0f);
        EXPECT_EQ(channel[99], 0.0f);
        EXPECT_EQ(channel[100], defaultLevel);
        EXPECT_EQ(channel[511], defaultLevel);
    }
    host.ProcessReplacing(out, 512);
    EXPECT_EQ(out[0][0], defaultLevel) << "events are not delivered twice; the note holds";
    EXPECT_TRUE(NoViolations(host)) << Diagnostics(host);
}

TEST_F(HostBoundary, EventsAtOneOffsetKeepTheHostsOrder)
{
    PluginInstance host(Entry());
    host.Resume(44100.0f, 256);
    host.SendMidi({{0, {noteOn, 60, 100}}});
    auto out = Stereo(256);
    host.ProcessReplacing(out, 256);

    host.SendMidi({{20, {noteOff, 60, 0}}, {20, {noteOn, 60, 100}}});
    host.ProcessReplacing(out, 256);
    EXPECT_EQ(out[0][255], defaultLevel) << "off then on leaves the note sounding";

    host.SendMidi({{30, {noteOn, 61, 100}}, {30, {noteOff, 61, 0}}, {40, {noteOff, 60, 0}}});
    host.ProcessReplacing(out, 256);
    EXPECT_EQ(out[0][35], defaultLevel) << "on then off leaves no second note";
    EXPECT_EQ(out[0][40], 0.0f);
}

TEST_F(HostBoundary, ProcessAddsAndProcessReplacingOverwrites)
{
    PluginInstance host(Entry());
    host.Resume(44100.0f, 64);
    host.SendMidi({{0, {noteOn, 64, 100}}});
    auto replaced = Stereo(64, 1.0f);
    host.ProcessReplacing(replaced, 64);
    auto added = Stereo(64, 1.0f);
    host.ProcessAccumulating(added, 64);
    for (int channel = 0; channel < 2; ++channel)
    {
        EXPECT_EQ(replaced[static_cast<size_t>(channel)][10], defaultLevel);
        EXPECT_EQ(added[static_cast<size_t>(channel)][10], 1.0f + defaultLevel);
    }
}

TEST_F(HostBoundary, FirstBlockWithoutResumePreparesWithTheHostsSettings)
{
    PluginInstance defaults(Entry());
    auto out = Stereo(256);
    defaults.ProcessReplacing(out, 256);
    EXPECT_EQ(Diagnostics(defaults).rfind("prepared 44100/1024 x1 blocks 1", 0), 0u) << Diagnostics(defaults);

    PluginInstance configured(Entry());
    configured.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    configured.Dispatch(vst2::effSetBlockSize, 0, 128);
    configured.ProcessReplacing(out, 128);
    EXPECT_EQ(Diagnostics(configured).rfind("prepared 48000/128 x1 blocks 1", 0), 0u)
        << Diagnostics(configured);
    EXPECT_EQ(configured.Callbacks().CountRequests(vst2::audioMasterWantMidi), 2)
        << "the implicit resume asks for MIDI too";
}

TEST_F(HostBoundary, NotesSentBeforeAFirstBlockWithoutResumeArePlayed)
{
    PluginInstance host(Entry());
    host.SendMidi({{20, {noteOn, 60, 100}}});
    auto out = Stereo(64);
    host.ProcessReplacing(out, 64);
    EXPECT_EQ(out[0][19], 0.0f);
    EXPECT_EQ(out[0][20], defaultLevel);
}

TEST_F(HostBoundary, SuspendReleasesAndTheNextBlockPreparesAgain)
{
    PluginInstance host(Entry());
    host.Resume(44100.0f, 64);
    host.SendMidi({{0, {noteOn, 60, 100}}});
    host.Suspend();
    auto out = Stereo(64, 3.0f);
    host.ProcessReplacing(out, 64);
    EXPECT_EQ(out[0][0], 0.0f) << "suspending dropped the waiting note";
    EXPECT_EQ(Diagnostics(host).rfind("prepared 44100/64 x2", 0), 0u) << Diagnostics(host);
    EXPECT_TRUE(NoViolations(host)) << Diagnostics(host);
}

TEST_F(HostBoundary, EditorRectBeforeOpeningCreatesTheEditorAndGivesItsSize)
{
    PluginInstance host(Entry());
    vst2::ERect* rect = nullptr;
    EXPECT_NE(host.Dispatch(vst2::effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 485);
    EXPECT_EQ(rect->right, 440);
    EXPECT_EQ(host.Dispatch(vst2::effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(host.Dispatch(vst2::effEditIdle), 0);
    EXPECT_EQ(host.Dispatch(vst2::effEditClose), 0);
}

// A host of its own (one that guards its callbacks with its own lock, say) hooks in front of the
// host library's answers: it sees every request first and may take it.
TEST_F(HostBoundary, HostHookSeesEveryRequestFirstAndMayTakeIt)
{
    PluginInstance host(Entry());
    std::mutex seenMutex;
    std::vector<vst2::VstInt32> seen;
    host.Callbacks().SetHook(
        [&](const HostRequest& request) -> std::optional<vst2::VstIntPtr>
        {
            const std::lock_guard<std::mutex> lock(seenMutex);
            seen.push_back(request.opcode);
            if (request.opcode == vst2::audioMasterAutomate)
                return 0;
            return std::nullopt;
        });
    host.Callbacks().ClearRequests();
    host.Dispatch(vst2::effSetProgram, 0, 1);
    host.Resume(44100.0, 64);
    std::vector<vst2::VstInt32> expected(4, vst2::audioMasterAutomate); // one per parameter
    expected.push_back(vst2::audioMasterWantMidi);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterAutomate), 0) << "taken by the hook";
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterWantMidi), 1) << "left to the host";
}

TEST_F(HostBoundary, TwoInstancesSideBySide)
{
    PluginInstance first(Entry());
    PluginInstance second(Entry());
    ASSERT_TRUE(first.HasInstance());
    ASSERT_TRUE(second.HasInstance());
    first.Open();
    second.Open();
    first.Resume(44100.0f, 128);
    second.Resume(48000.0f, 64);

    first.Effect()->setParameter(first.Effect(), levelIndex, 0.25f);
    first.SendMidi({{0, {noteOn, 60, 100}}});
    auto firstOut = Stereo(128);
    auto secondOut = Stereo(64, 2.0f);
    first.ProcessReplacing(firstOut, 128);
    second.ProcessReplacing(secondOut, 64);
    EXPECT_EQ(firstOut[1][127], 0.25f);
    EXPECT_EQ(secondOut[1][63], 0.0f);
    EXPECT_EQ(second.Effect()->getParameter(second.Effect(), levelIndex), defaultLevel);

    first.Close();
    second.ProcessReplacing(secondOut, 64);
    EXPECT_EQ(Diagnostics(second).rfind("prepared 48000/64 x1 blocks 2", 0), 0u) << Diagnostics(second);
}
} // namespace

} // namespace brumalux
