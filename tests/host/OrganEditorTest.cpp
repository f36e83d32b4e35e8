// The organ's own editor in a host's X window (skipped without a display).

#include "tests/support/ProcessProbes.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include "tests/support/TemporaryHome.h"
#include "tests/support/X11TestDisplay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
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

// Points inside flat areas of the 100 % editor: their colours must reappear at the scaled points.
struct SamplePoint
{
    const char* what;
    int x, y;
};
constexpr SamplePoint samplePoints[] = {
    {"background", 5, 200},      {"keyboard band", 5, 407},  {"top border", 220, 2},
    {"bottom border", 220, 483}, {"drawbar track", 37, 220}, {"white key", 16, 470},
};

class OrganEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        display = X11TestDisplay::Shared();
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

    // The editor's child window once it has this size and shows the background where
    // the scaled editor has it.
    X11TestDisplay::WindowId WaitForEditorWindow(X11TestDisplay::WindowId window, PluginInstance& idlingHost,
                                                 std::pair<int, int> size, float scale)
    {
        for (int attempt = 0; attempt < 300; ++attempt)
        {
            idlingHost.Dispatch(vst2::effEditIdle);
            const auto children = display->ChildrenOf(window);
            if (children.size() == 1 && display->SizeOf(children[0]) == size &&
                display->PixelAt(children[0], Scaled(5, scale), Scaled(200, scale)) == background)
                return children[0];
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }

    // The colours at the scaled sample points once they are these (painting may still be under way), or
    // what they are when the wait ends; with none expected, as soon as the editor shows.
    std::vector<std::uint32_t> Picture(X11TestDisplay::WindowId editor, PluginInstance& idlingHost,
                                       float scale, const std::vector<std::uint32_t>& expected = {})
    {
        const auto colours = [&]
        {
            std::vector<std::uint32_t> seen;
            for (const auto& point : samplePoints)
                seen.push_back(display->PixelAt(editor, Scaled(point.x, scale), Scaled(point.y, scale)));
            return seen;
        };
        for (int attempt = 0; attempt < 300 && !expected.empty() && colours() != expected; ++attempt)
        {
            idlingHost.Dispatch(vst2::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return colours();
    }

    void ExpectPicture(const std::vector<std::uint32_t>& seen, const std::vector<std::uint32_t>& expected)
    {
        for (size_t i = 0; i < std::size(samplePoints); ++i)
            EXPECT_EQ(seen[i], expected[i]) << samplePoints[i].what;
    }

    static int Scaled(int position, float scale)
    {
        return static_cast<int>((static_cast<float>(position) + 0.5f) * scale);
    }

    X11TestDisplay* display = nullptr;
    PluginLibrary library{BRUMALUX_PLUGIN};
};

// The scale request of hosts that scale plug-in windows.
vst2::VstIntPtr RequestScale(PluginInstance& host, float scale)
{
    return host.Dispatch(vst2::effVendorSpecific, 0x50726553, 0x41654373, nullptr, scale);
}

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

TEST_F(OrganEditor, EveryScaleSourceGivesAWindowOfTheScaledSizeWithTheSamePicture)
{
    const TemporaryHome home;
    struct Case
    {
        const char* source;
        float hostScale; // 0: the host asks for none
        int userZoom;
        float scale;
    };
    const Case cases[] = {
        {"none", 0.0f, 100, 1.0f},
        {"host 200 %", 2.0f, 100, 2.0f},
        {"host 125 %", 1.25f, 100, 1.25f},
        {"user 150 %", 0.0f, 150, 1.5f},
        {"host 150 % and user 200 %", 1.5f, 200, 3.0f},
    };
    std::vector<std::uint32_t> reference;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.source);
        home.Write(".config/Brumalux/Editor.settings", "zoom = " + std::to_string(c.userZoom) + "\n");
        PluginInstance host(library.Entry());
        host.Open();
        if (c.hostScale > 0.0f)
        {
            EXPECT_EQ(RequestScale(host, c.hostScale), 1);
        }
        const std::pair size(static_cast<int>(std::ceil(440 * c.scale)),
                             static_cast<int>(std::ceil(485 * c.scale)));
        vst2::ERect* rect = nullptr;
        ASSERT_NE(host.Dispatch(vst2::effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ(std::make_pair(int(rect->right), int(rect->bottom)), size)
            << "the size before the editor opens";
        const auto window = display->CreateTopLevelWindow(size.first, size.second, "BrumaluxTestHost");
        ASSERT_EQ(host.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
        const auto editor = WaitForEditorWindow(window, host, size, c.scale);
        ASSERT_NE(editor, 0u) << "no editor window of " << size.first << " x " << size.second;
        if (reference.empty())
            reference = Picture(editor, host, c.scale);
        ExpectPicture(Picture(editor, host, c.scale, reference), reference);
        host.Dispatch(vst2::effEditClose);
        display->DestroyWindow(window);
    }
}

TEST_F(OrganEditor, AScaleRequestWhileOpenResizesTheHostsWindow)
{
    const TemporaryHome home;
    PluginInstance host(library.Entry());
    host.Callbacks().SetCanDoAnswer("sizeWindow", 1);
    host.Callbacks().SetAnswer(vst2::audioMasterSizeWindow, 1);
    host.Open();
    // As large as the scaled editor will be: the window a host has once it has followed the size request.
    const auto window = display->CreateTopLevelWindow(880, 970, "BrumaluxTestHost");
    ASSERT_EQ(host.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
    const auto editorAt100 = WaitForEditorWindow(window, host, {440, 485}, 1.0f);
    ASSERT_NE(editorAt100, 0u);
    const auto reference = Picture(editorAt100, host, 1.0f);
    host.Callbacks().ClearRequests();

    EXPECT_EQ(RequestScale(host, 2.0f), 1);
    std::vector<std::pair<int, int>> sizesAsked;
    for (const auto& request : host.Callbacks().Requests())
        if (request.opcode == vst2::audioMasterSizeWindow)
            sizesAsked.emplace_back(request.index, static_cast<int>(request.value));
    EXPECT_EQ(sizesAsked, (std::vector<std::pair<int, int>>{{880, 970}}));
    const auto editorAt200 = WaitForEditorWindow(window, host, {880, 970}, 2.0f);
    ASSERT_NE(editorAt200, 0u);
    ExpectPicture(Picture(editorAt200, host, 2.0f, reference),
                  reference); // the part beyond the size it had too
    vst2::ERect* rect = nullptr;
    ASSERT_NE(host.Dispatch(vst2::effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(std::make_pair(int(rect->right), int(rect->bottom)), std::make_pair(880, 970));
    EXPECT_EQ(RequestScale(host, std::nanf("")), 0) << "a request without a scale is refused";
    host.Dispatch(vst2::effEditClose);
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
