// What the host sees follows the filter's properties: an effect rather than an
// instrument, a filter without MIDI, one that sends MIDI, one that needs no keys.

#include "InProcessHost.h"

#include <gtest/gtest.h>

#include <cmath>

namespace brumalux
{

namespace
{
vst2::VstIntPtr CanDo(PluginInstance& host, const char* query)
{
    return host.Dispatch(vst2::effCanDo, 0, 0, const_cast<char*>(query));
}

TEST(WrapperVariants, EffectWithoutMidi)
{
    FakeInstrument::Options options;
    options.isInstrument = false;
    options.wantsMidiInput = false;
    auto host = HostWrapped(options);
    auto* effect = host->Effect();
    EXPECT_EQ(effect->flags, 1 + 16 + 32);
    EXPECT_EQ(host->Dispatch(vst2::effGetPlugCategory), 1);
    EXPECT_EQ(CanDo(*host, "receiveVstEvents"), -1);
    EXPECT_EQ(CanDo(*host, "receiveVstMidiEvents"), -1);
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterWantMidi), 0);

    vst2::VstMidiEvent note{};
    note.type = vst2::kVstMidiType;
    note.midiData[0] = char(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    vst2::VstEvents list{1, 0, {reinterpret_cast<vst2::VstEvent*>(&note), nullptr}};
    EXPECT_EQ(host->Dispatch(vst2::effProcessEvents, 0, 0, &list), 0);
    host->Dispatch(vst2::effMainsChanged, 0, 1);
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterWantMidi), 0);
    std::vector<float> left(32), right(32);
    float* outputs[] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 32);
    EXPECT_EQ(left[31], 0.0f) << "the events were dropped";
}

TEST(WrapperVariants, FilterThatSendsMidi)
{
    FakeInstrument::Options options;
    options.producesMidiOutput = true;
    auto host = HostWrapped(options);
    auto* effect = host->Effect();
    EXPECT_EQ(CanDo(*host, "sendVstEvents"), 1);
    EXPECT_EQ(CanDo(*host, "sendVstMidiEvent"), 1);

    vst2::VstMidiEvent note{};
    note.type = vst2::kVstMidiType;
    note.deltaFrames = 7;
    note.midiData[0] = char(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    vst2::VstEvents list{1, 0, {reinterpret_cast<vst2::VstEvent*>(&note), nullptr}};
    EXPECT_EQ(host->Dispatch(vst2::effProcessEvents, 0, 0, &list), 1);
    std::vector<float> left(32), right(32);
    float* outputs[] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 32);
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterProcessEvents), 1);
    effect->processReplacing(effect, nullptr, outputs, 32);
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterProcessEvents), 1) << "nothing new to send";
}

TEST(WrapperVariants, FilterThatNeedsNoKeys)
{
    FakeInstrument::Options options;
    options.keysRequired = false;
    EXPECT_EQ(HostWrapped(options)->Dispatch(vst2::effKeysRequired), 1);
}

TEST(WrapperVariants, ChangesFromTheFilterAreAppliedThenReportedAsAutomation)
{
    auto host = HostWrapped({});
    auto* effect = host->Effect();
    auto* wrapper = JuceVSTWrapper::FromEffect(effect);
    ASSERT_NE(wrapper, nullptr);
    auto& filter = wrapper->GetFilter();
    filter.SetParameterAndTellHost(0, 0.625f);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.625f);
    ASSERT_EQ(host->Callbacks().CountRequests(vst2::audioMasterAutomate), 1);
    EXPECT_EQ(host->Callbacks().Requests().back().index, 0);
    EXPECT_EQ(host->Callbacks().Requests().back().opt, 0.625f);

    filter.SetParameterAndTellHost(99, 0.5f);
    filter.SetParameterAndTellHost(1, std::nanf(""));
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterAutomate), 1) << "nothing to report";
}
} // namespace

} // namespace brumalux
