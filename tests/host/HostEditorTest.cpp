// The editor embedded in a host's X window, through the test plug-in's entry point: the
// fake editor (440 x 485, one colour) must become a child of the host's window, be painted
// with or without host idle calls, and come and go any number of times.

#include "FakeEditorLook.h"
#include "TestPluginFixture.h"
#include "tests/support/X11TestDisplay.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace brumalux
{

namespace
{
constexpr std::uint32_t fillRgb = FakeEditorLook::fillColour & 0xffffffu;

class HostEditor : public TestPluginFixture
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        display = X11TestDisplay::Shared();
        ASSERT_NE(display, nullptr);
        TestPluginFixture::SetUp();
    }

    std::unique_ptr<PluginInstance> MakeHost()
    {
        auto host = std::make_unique<PluginInstance>(Entry());
        host->Callbacks().SetCanDoAnswer("sizeWindow", 1);
        host->Callbacks().SetAnswer(vst2::audioMasterSizeWindow, 1);
        host->Open();
        return host;
    }

    // Waits until the window holds one child editor window of the fake editor's size that
    // shows its colour, calling effEditIdle in between as hosts do: while an editor is open
    // the host's idle calls run the plug-in's messages, painting included.
    bool ShowsTheEditor(X11TestDisplay::WindowId window, PluginInstance& idlingHost)
    {
        for (int attempt = 0; attempt < 300; ++attempt)
        {
            idlingHost.Dispatch(vst2::effEditIdle);
            const auto children = display->ChildrenOf(window);
            if (children.size() == 1 && display->IsMapped(children[0]) &&
                display->SizeOf(children[0]) ==
                    std::make_pair(FakeEditorLook::width, FakeEditorLook::height) &&
                display->PixelAt(children[0], 220, 240) == fillRgb &&
                display->PixelAt(children[0], FakeEditorLook::width - 1, FakeEditorLook::height - 1) ==
                    fillRgb)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // A host's idle calls for a while, about 100 a second.
    static void IdleFor(PluginInstance& host, int milliseconds)
    {
        for (int waited = 0; waited < milliseconds; waited += 10)
        {
            host.Dispatch(vst2::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    X11TestDisplay* display = nullptr;
};

TEST_F(HostEditor, OpensAsAChildOfTheHostsWindow)
{
    auto host = MakeHost();
    const auto window = display->CreateTopLevelWindow(600, 500, "BrumaluxTestHost");
    host->Callbacks().ClearRequests();
    EXPECT_EQ(host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
    EXPECT_TRUE(ShowsTheEditor(window, *host));

    const auto requests = host->Callbacks().Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0].opcode, vst2::audioMasterCanDo);
    EXPECT_EQ(requests[0].text, "sizeWindow");
    EXPECT_EQ(requests[1].opcode, vst2::audioMasterSizeWindow);
    EXPECT_EQ(requests[1].index, FakeEditorLook::width);
    EXPECT_EQ(requests[1].value, FakeEditorLook::height);

    EXPECT_EQ(host->Dispatch(vst2::effEditClose), 0);
    EXPECT_TRUE(display->ChildrenOf(window).empty());
    display->DestroyWindow(window);
}

TEST_F(HostEditor, PaintsWhileTheHostCallsIdle)
{
    auto host = MakeHost();
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    EXPECT_EQ(host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
    EXPECT_TRUE(ShowsTheEditor(window, *host));
    host->Dispatch(vst2::effEditClose);
    display->DestroyWindow(window);
}

TEST_F(HostEditor, OpenAndClose50TimesLeavesNothingBehind)
{
    auto host = MakeHost();
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    ASSERT_TRUE(ShowsTheEditor(window, *host));
    host->Dispatch(vst2::effEditClose);
    const auto threadsBefore = CountThreads();
    for (int round = 0; round < 50; ++round)
    {
        ASSERT_EQ(host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
        ASSERT_EQ(display->ChildrenOf(window).size(), 1u) << "round " << round;
        host->Dispatch(vst2::effEditIdle);
        host->Dispatch(vst2::effEditClose);
        ASSERT_TRUE(display->ChildrenOf(window).empty()) << "round " << round;
    }
    EXPECT_EQ(CountThreads(), threadsBefore);
    host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    EXPECT_TRUE(ShowsTheEditor(window, *host));
    host->Dispatch(vst2::effEditClose);
    display->DestroyWindow(window);
}

TEST_F(HostEditor, OpeningAgainReplacesTheEditor)
{
    auto host = MakeHost();
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    vst2::ERect* rect = nullptr;
    ASSERT_NE(host->Dispatch(vst2::effEditGetRect, 0, 0, &rect), 0);
    host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    EXPECT_TRUE(ShowsTheEditor(window, *host)) << "one editor window, not two";
    host->Dispatch(vst2::effEditClose);
    display->DestroyWindow(window);
}

TEST_F(HostEditor, TwoInstancesWithEditorsAtOnce)
{
    auto first = MakeHost();
    auto second = MakeHost();
    const auto firstWindow = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    const auto secondWindow = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost", 500, 0);
    EXPECT_EQ(first->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(firstWindow)), 1);
    EXPECT_EQ(second->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(secondWindow)), 1);
    EXPECT_TRUE(ShowsTheEditor(firstWindow, *first));
    EXPECT_TRUE(ShowsTheEditor(secondWindow, *second));
    first->Close();
    EXPECT_TRUE(display->ChildrenOf(firstWindow).empty());
    EXPECT_TRUE(ShowsTheEditor(secondWindow, *second));
    second->Dispatch(vst2::effEditClose);
    display->DestroyWindow(firstWindow);
    display->DestroyWindow(secondWindow);
}

TEST_F(HostEditor, ClosingWhileNotesSound)
{
    auto host = MakeHost();
    host->Resume(44100.0f, 64);
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    std::atomic<bool> playing{true};
    std::thread audio(
        [&]
        {
            auto out = Stereo(64);
            for (unsigned char note = 0; playing; note = static_cast<unsigned char>((note + 1) & 127))
            {
                host->SendMidi({{0, {noteOn, note, 100}}, {32, {noteOff, note, 0}}});
                host->ProcessReplacing(out, 64);
            }
        });
    for (int round = 0; round < 20; ++round)
    {
        host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        host->Dispatch(vst2::effEditClose);
    }
    playing = false;
    audio.join();
    EXPECT_TRUE(display->ChildrenOf(window).empty());
    EXPECT_TRUE(NoViolations(*host)) << Diagnostics(*host);
    display->DestroyWindow(window);
}

TEST_F(HostEditor, WindowIdsThatNameNoWindowAreRefused)
{
    auto host = MakeHost();
    EXPECT_EQ(host->Dispatch(vst2::effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(0x3fffff01)), 0);
    EXPECT_EQ(host->Dispatch(vst2::effEditClose), 0);
    EXPECT_EQ(host->CheckedText(vst2::effGetEffectName, 0, 64), "Brumalux") << "the plug-in lives on";
}

TEST_F(HostEditor, HostWindowDestroyedBeforeTheEditorIsClosed)
{
    auto host = MakeHost();
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    ASSERT_TRUE(ShowsTheEditor(window, *host));
    display->DestroyWindow(window);
    host->Dispatch(vst2::effEditIdle);
    EXPECT_EQ(host->Dispatch(vst2::effEditClose), 0);

    const auto another = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    EXPECT_EQ(host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(another)), 1);
    EXPECT_TRUE(ShowsTheEditor(another, *host));
    host->Dispatch(vst2::effEditClose);
    display->DestroyWindow(another);
}

TEST_F(HostEditor, ItsOwnWindowsAreResizedWhenTheHostWillNot)
{
    PluginInstance host(Entry());
    host.Open();
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    host.Callbacks().ClearRequests();
    EXPECT_EQ(host.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
    EXPECT_TRUE(ShowsTheEditor(window, host));
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterCanDo), 1);
    EXPECT_EQ(host.Callbacks().CountRequests(vst2::audioMasterSizeWindow), 0)
        << "a host that cannot is not asked";
    EXPECT_EQ(display->SizeOf(window), std::make_pair(440, 485));
    host.Dispatch(vst2::effEditClose);
    display->DestroyWindow(window);
}

// The idle rule asks a host that stops idling while the mouse is held to go on. Here the host's
// own idle calls run the plug-in's timers, so the rule only ever runs inside one of them, and
// must not call the host back from there.
TEST_F(HostEditor, AskForNoIdleCallsFromInsideTheHostsIdleCalls)
{
    auto host = MakeHost();
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    ASSERT_TRUE(ShowsTheEditor(window, *host));
    host->Callbacks().ClearRequests();
    if (!display->SetMouseButton(true))
        GTEST_SKIP() << "no XTEST";
    IdleFor(*host, 800);
    display->SetMouseButton(false);
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterIdle), 0);
    host->Dispatch(vst2::effEditClose);
    display->DestroyWindow(window);
}
} // namespace

} // namespace brumalux
