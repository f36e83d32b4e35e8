// The organ's own editor in a host's X window (skipped without a display).

#include "ProcessProbes.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include "X11TestDisplay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::HostRequest;
using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr std::uint32_t background = 0x87ceeb;
constexpr std::uint32_t keyboardBand = 0x67bedb;

class OrganEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        static const auto keptOpen = X11TestDisplay::Open();
        display = keptOpen.get();
        ASSERT_NE(display, nullptr);
        ASSERT_TRUE(library.IsLoaded()) << library.Error();
    }

    // Waits for one child window of the editor's size showing the editor's background
    // and the band behind its keyboard, idling the editor as hosts do.
    bool ShowsTheOrgan(X11TestDisplay::WindowId window, PluginInstance& idlingHost)
    {
        for (int attempt = 0; attempt < 300; ++attempt)
        {
            idlingHost.Dispatch(vst2::effEditIdle);
            const auto children = display->ChildrenOf(window);
            if (children.size() == 1 && display->SizeOf(children[0]) == std::make_pair(440, 485) &&
                display->PixelAt(children[0], 5, 200) == background &&
                display->PixelAt(children[0], 5, 407) == keyboardBand)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    X11TestDisplay* display = nullptr;
    PluginLibrary library{BRUMALUX_PLUGIN};
};

TEST_F(OrganEditor, ReportsItsSizeAndShowsInTheHostsWindow)
{
    PluginInstance host(library.Entry());
    host.Open();
    vst2::ERect* rect = nullptr;
    ASSERT_NE(host.Dispatch(vst2::effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect->bottom, 485);
    EXPECT_EQ(rect->right, 440);
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    EXPECT_EQ(host.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
    EXPECT_TRUE(ShowsTheOrgan(window, host));
    host.Dispatch(vst2::effEditClose);
    EXPECT_TRUE(display->ChildrenOf(window).empty());
    display->DestroyWindow(window);
}

TEST_F(OrganEditor, OpensAndClosesWhileNotesSound)
{
    PluginInstance host(library.Entry());
    host.Open();
    host.Resume(44100.0f, 128);
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    std::atomic<bool> playing{true};
    std::thread audio(
        [&]
        {
            PluginInstance::Channels out(2, std::vector<float>(128));
            for (unsigned char note = 36; playing;
                 note = static_cast<unsigned char>(note < 96 ? note + 1 : 36))
            {
                host.SendMidi({{0, {0x90, note, 100}}, {64, {0x80, note, 0}}});
                host.ProcessReplacing(out, 128);
            }
        });
    for (int round = 0; round < 10; ++round)
    {
        ASSERT_EQ(host.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
        for (int idle = 0; idle < 3; ++idle)
        {
            host.Dispatch(vst2::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        host.Dispatch(vst2::effEditClose);
    }
    playing = false;
    audio.join();
    EXPECT_TRUE(display->ChildrenOf(window).empty());
    host.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    EXPECT_TRUE(ShowsTheOrgan(window, host));
    host.Close();
    EXPECT_TRUE(display->ChildrenOf(window).empty()) << "closing the plug-in closes its editor";
    display->DestroyWindow(window);
}
} // namespace

} // namespace brumalux
