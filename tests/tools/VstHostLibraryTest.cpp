// What the host library does for plug-ins unlike ours: one that only accumulates, and one that asks
// the host about its processing through the callback.

#include "vst2host/PluginInstance.h"

#include <gtest/gtest.h>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;

namespace
{
// A record with no processReplacing: it adds one to every output sample, and keeps the callback
// it was created with so that the test can ask the host what the plug-in would.
struct AccumulatingOnly
{
    static inline vst2::HostCallback host = nullptr;
    static inline vst2::AEffect record{};

    static vst2::AEffect* Create(vst2::HostCallback callback)
    {
        host = callback;
        record = {};
        record.magic = vst2::kEffectMagic;
        record.dispatcher = [](vst2::AEffect*, vst2::VstInt32, vst2::VstInt32, vst2::VstIntPtr, void*,
                               float) -> vst2::VstIntPtr { return 0; };
        record.process = [](vst2::AEffect*, float**, float** outputs, vst2::VstInt32 numFrames)
        {
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < numFrames; ++i)
                    outputs[channel][i] += 1.0f;
        };
        record.setParameter = [](vst2::AEffect*, vst2::VstInt32, float) {};
        record.getParameter = [](vst2::AEffect*, vst2::VstInt32) { return 0.0f; };
        record.numOutputs = 2;
        return &record;
    }
};

TEST(VstHostLibrary, RendersFromSilenceThroughProcessWhenThereIsNoReplacing)
{
    PluginInstance plugin(AccumulatingOnly::Create);
    ASSERT_TRUE(plugin.HasInstance()) << plugin.Problem();
    plugin.SetProcessing(48000.0, 16);
    for (int block = 0; block < 2; ++block)
    {
        plugin.Render(16);
        for (const float* channel : plugin.Outputs())
            for (int i = 0; i < 16; ++i)
                ASSERT_EQ(channel[i], 1.0f) << "block " << block << " sample " << i;
    }
}

TEST(VstHostLibrary, AnswersWhatItToldThePluginAndRoutesByRecord)
{
    PluginInstance plugin(AccumulatingOnly::Create);
    plugin.SetProcessing(96000.0, 64);
    const auto ask = [](vst2::AEffect* effect, vst2::VstInt32 opcode)
    { return AccumulatingOnly::host(effect, opcode, 0, 0, nullptr, 0.0f); };
    EXPECT_EQ(ask(plugin.Effect(), vst2::audioMasterGetSampleRate), 96000);
    EXPECT_EQ(ask(plugin.Effect(), vst2::audioMasterGetBlockSize), 64);
    EXPECT_EQ(plugin.Callbacks().CountRequests(vst2::audioMasterGetBlockSize), 1);
    // A record the host does not know still learns it talks to a VST 2 host, and nothing more.
    vst2::AEffect stranger{};
    EXPECT_EQ(ask(&stranger, vst2::audioMasterVersion), 2300);
    EXPECT_EQ(ask(&stranger, vst2::audioMasterGetSampleRate), 0);
}
} // namespace

} // namespace brumalux
