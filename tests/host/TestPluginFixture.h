#pragma once

#include "tests/support/ProcessProbes.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <string>

namespace brumalux
{

using brumalux::vst2host::HostRequest;
using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

// Loads the test plug-in (the fake instrument behind the real entry point and wrapper).
class TestPluginFixture : public ::testing::Test
{
protected:
    static constexpr int levelIndex = 0;
    static constexpr int diagnosticsIndex = 3;
    static constexpr float defaultLevel = 0.5f;

    void SetUp() override { ASSERT_TRUE(library.IsLoaded()) << library.Error(); }

    vst2::PluginEntryProc Entry() const { return library.Entry(); }

    // The fake instrument's own account of its preparation and contract breaches.
    static std::string Diagnostics(PluginInstance& host)
    {
        return host.CheckedText(vst2::effGetParamDisplay, diagnosticsIndex, 64);
    }
    static bool NoViolations(PluginInstance& host)
    {
        return Diagnostics(host).find("violations 0") != std::string::npos;
    }

    static PluginInstance::Channels Stereo(int numFrames, float fill = 0.0f)
    {
        return PluginInstance::Channels(2, std::vector<float>(static_cast<size_t>(numFrames), fill));
    }

    PluginLibrary library{BRUMALUX_TEST_PLUGIN};
};

constexpr unsigned char noteOn = 0x90;
constexpr unsigned char noteOff = 0x80;

} // namespace brumalux
