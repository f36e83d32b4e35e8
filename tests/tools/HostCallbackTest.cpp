#include "tools/HostCallback.h"

#include <gtest/gtest.h>

using namespace render;

TEST(HostCallback, AnswersVersionRateBlockSizeAndWhatItCanDo)
{
    const HostContext context{48000.0, 256};
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterVersion, nullptr), 2300);
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterGetSampleRate, nullptr), 48000);
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterGetBlockSize, nullptr), 256);
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterCanDo, const_cast<char*>("sendVstMidiEvent")), 1);
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterCanDo, const_cast<char*>("sendVstEvents")), 1);
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterCanDo, const_cast<char*>("sizeWindow")), 0);
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterCanDo, nullptr), 0);
    EXPECT_EQ(HostAnswer(context, vst2::audioMasterGetTime, nullptr), 0);
}

TEST(HostCallback, FindsTheContextDuringTheEntryPointAndThroughTheRecordAfterwards)
{
    const HostContext creating{96000.0, 64}, attached{22050.0, 32};
    {
        ScopedHostContext scope(creating);
        EXPECT_EQ(HostCallback(nullptr, vst2::audioMasterGetSampleRate, 0, 0, nullptr, 0), 96000);
    }
    vst2::AEffect effect{};
    AttachHostContext(effect, attached);
    EXPECT_EQ(HostCallback(&effect, vst2::audioMasterGetBlockSize, 0, 0, nullptr, 0), 32);
    // Outside any render, a plug-in asking for the version still learns it talks to a VST 2 host.
    EXPECT_EQ(HostCallback(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0), 2300);
}
