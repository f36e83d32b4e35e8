// Learning a MIDI controller through the organ's editor in a host's X window, as a user does it with the
// mouse (XTEST): right-click a drawbar, choose "Learn MIDI controller", move a controller, and the drawbar
// follows it, the host hearing of every move; "Forget" lets it go; a click elsewhere cancels a learn.
// Skipped without a display or without XTEST.

#include "tests/support/X11TestDisplay.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int windowX = 40;
constexpr int windowY = 40;
// Drawbar 3 (parameter 9): its box at 10, 130, the slider at 145, 20 in it.
constexpr int drawbarParameter = 9;
constexpr int drawbarX = windowX + 10 + 145 + 17;
constexpr int drawbarY = windowY + 130 + 20 + 40;
// The menu opens at the pointer, one row of 22 pixels per item: "Learn MIDI controller", then
// "Forget CC n" for the control's first controller.
constexpr int menuRowHeight = 22;
constexpr int learnRow = 0;
constexpr int forgetRow = 1;
constexpr int learnedController = 20;
constexpr size_t factoryChunkSize = 1262;

class OrganControllerLearn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        display = X11TestDisplay::Shared();
        ASSERT_NE(display, nullptr);
        ASSERT_TRUE(library.IsLoaded()) << library.Error();
        if (!display->MovePointer(0, 0))
            GTEST_SKIP() << "no XTEST";
        host = std::make_unique<PluginInstance>(library.Entry());
        host->Open();
        host->Resume(44100.0, 256);
        window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost", windowX, windowY);
        ASSERT_EQ(host->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
        Idle(300);
        Click(windowX + 5, windowY + 100); // the window gets the focus, as a window manager gives it
    }

    void TearDown() override
    {
        if (host == nullptr)
            return;
        host->Dispatch(vst2::effEditClose);
        display->DestroyWindow(window);
        host.reset();
    }

    void Idle(int milliseconds)
    {
        for (int i = 0; i < milliseconds / 5; ++i)
        {
            host->Dispatch(vst2::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void Click(int x, int y, unsigned int button = X11TestDisplay::leftButton)
    {
        display->MovePointer(x, y);
        Idle(100);
        display->SetMouseButton(true, button);
        Idle(50);
        display->SetMouseButton(false, button);
        Idle(200);
    }

    // Presses the right button on the drawbar, waits for the menu (it takes no release in its first
    // quarter of a second), moves to a row of it and lets go there. The choice takes effect once the host's
    // idle calls have delivered it.
    void ChooseFromDrawbarMenu(int row, const std::function<bool()>& done)
    {
        const int rowY = drawbarY + 2 + menuRowHeight * row + menuRowHeight / 2;
        const auto shownBefore = display->ShownTopLevelWindows();
        display->MovePointer(drawbarX, drawbarY);
        Idle(100);
        display->SetMouseButton(true, X11TestDisplay::rightButton);
        ASSERT_TRUE(Eventually([&] { return NewWindow(shownBefore) != 0; })) << "no menu";
        Idle(300);
        display->MovePointer(drawbarX + 40, rowY - 2);
        Idle(100);
        display->MovePointer(drawbarX + 40, rowY);
        Idle(200);
        display->SetMouseButton(false, X11TestDisplay::rightButton);
        EXPECT_TRUE(Eventually(done)) << "the menu's row " << row << " was not chosen";
    }

    X11TestDisplay::WindowId NewWindow(const std::vector<X11TestDisplay::WindowId>& shownBefore)
    {
        for (const auto shown : display->ShownTopLevelWindows())
            if (std::find(shownBefore.begin(), shownBefore.end(), shown) == shownBefore.end())
                return shown;
        return 0;
    }

    void ChooseLearn()
    {
        ChooseFromDrawbarMenu(learnRow, [this] { return Dimmed(); });
    }

    // Chooses "Learn MIDI controller", then pulls the controller fully: learned, the overlay goes and the
    // drawbar is drawn.
    void LearnByMoving(int controller)
    {
        ChooseLearn();
        MoveController(controller, 127);
        EXPECT_TRUE(Eventually([this] { return !Dimmed(); }))
            << "controller " << controller << " not learned";
        EXPECT_EQ(host->Parameter(drawbarParameter), 1.0f);
    }

    // The controller in one block, then time for the editor and the host to hear of it.
    void MoveController(int controller, int value)
    {
        host->SendMidi({{0, {0xB0, static_cast<uint8_t>(controller), static_cast<uint8_t>(value)}}});
        host->Render(256);
        Idle(150);
    }

    // The editor's background under the learn overlay.
    bool Dimmed()
    {
        const auto children = display->ChildrenOf(window);
        return children.size() == 1 && display->PixelAt(children[0], 5, 200) != 0x87ceeb;
    }

    // Whether the condition comes true while the host idles for up to two seconds.
    bool Eventually(const std::function<bool()>& condition)
    {
        for (int poll = 0; poll < 20; ++poll)
        {
            if (condition())
                return true;
            Idle(100);
        }
        return false;
    }

    bool HostHeardOfTheDrawbar()
    {
        for (const auto& request : host->Callbacks().Requests())
            if (request.opcode == vst2::audioMasterAutomate && request.index == drawbarParameter)
                return true;
        return false;
    }

    X11TestDisplay* display = nullptr;
    PluginLibrary library{BRUMALUX_PLUGIN};
    std::unique_ptr<PluginInstance> host;
    X11TestDisplay::WindowId window = 0;
};

// Drawbar 3 loses its default controller (73) first, so that its menu holds one controller at a time.
TEST_F(OrganControllerLearn, ALearnedControllerMovesTheDrawbarUntilForgotten)
{
    MoveController(learnedController, 127);
    EXPECT_FLOAT_EQ(host->Parameter(drawbarParameter), 0.8f) << "not mapped yet: program 0's value";

    ChooseFromDrawbarMenu(forgetRow, [this] { return host->State().size() > factoryChunkSize; }); // CC 73
    const auto withoutDefault = host->State().size();
    MoveController(73, 127);
    EXPECT_FLOAT_EQ(host->Parameter(drawbarParameter), 0.8f) << "73 is forgotten";

    LearnByMoving(learnedController);
    host->Callbacks().ClearRequests();
    MoveController(learnedController, 0);
    EXPECT_FLOAT_EQ(host->Parameter(drawbarParameter), 0.0f);
    EXPECT_TRUE(Eventually([this] { return HostHeardOfTheDrawbar(); }));
    EXPECT_GT(host->State().size(), withoutDefault) << "controller 20 is in the saved map";

    ChooseFromDrawbarMenu(forgetRow, [&] { return host->State().size() == withoutDefault; }); // CC 20
    MoveController(learnedController, 127);
    EXPECT_FLOAT_EQ(host->Parameter(drawbarParameter), 0.0f) << "no longer moved by controller 20";
}

TEST_F(OrganControllerLearn, EscapeOrAClickElsewhereCancelsALearn)
{
    ChooseLearn();
    Click(windowX + 5, windowY + 100); // the editor's background
    EXPECT_TRUE(Eventually([this] { return !Dimmed(); }));
    MoveController(learnedController, 127);
    EXPECT_FLOAT_EQ(host->Parameter(drawbarParameter), 0.8f);

    ChooseLearn();
    display->TapKey(X11TestDisplay::escapeKey); // heard by the whole editor, wherever its focus is
    EXPECT_TRUE(Eventually([this] { return !Dimmed(); }));
    MoveController(learnedController, 127);
    EXPECT_FLOAT_EQ(host->Parameter(drawbarParameter), 0.8f);
}
} // namespace

} // namespace brumalux
