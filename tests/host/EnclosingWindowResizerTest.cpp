#include "hostcore/EnclosingWindowResizer.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace brumalux
{

namespace
{
using Size = NativeWindowLayer::Size;
using WindowId = NativeWindowLayer::WindowId;

// Windows as plain records, with every resize noted.
class FakeWindows : public NativeWindowLayer
{
public:
    struct Window
    {
        WindowId parent;
        std::string className;
        Size size;
    };

    explicit FakeWindows(int dialogFrameWidth) : frameWidth(dialogFrameWidth) {}

    void Add(WindowId id, WindowId parent, const std::string& className, Size size)
    {
        windows[id] = {parent, className, size};
    }

    WindowId ParentOf(WindowId window) override { return windows.at(window).parent; }
    std::string ClassNameOf(WindowId window) override { return windows.at(window).className; }
    Size OuterSizeOf(WindowId window) override { return windows.at(window).size; }
    void SetOuterSize(WindowId window, Size size) override
    {
        windows.at(window).size = size;
        resized.push_back(window);
    }
    int DialogFrameWidth() override { return frameWidth; }

    std::map<WindowId, Window> windows;
    std::vector<WindowId> resized;

private:
    int frameWidth;
};

constexpr WindowId editor = 1, container = 2, frame = 3, desktop = 4;
constexpr Size newSize{500, 400};

void ExpectSize(FakeWindows& windows, WindowId id, Size expected, const std::string& note = {})
{
    EXPECT_EQ(windows.windows.at(id).size.width, expected.width) << "window " << id << " " << note;
    EXPECT_EQ(windows.windows.at(id).size.height, expected.height) << "window " << id << " " << note;
}

TEST(EnclosingWindowResizer, StopsAtTheParentWhoseBorderIsADialogFrame)
{
    FakeWindows windows(3);
    windows.Add(editor, container, "Editor", {440, 485});
    windows.Add(container, frame, "Container", {440, 485});
    windows.Add(frame, desktop, "Frame", {446, 511});
    windows.Add(desktop, 0, "Desktop", {1024, 768});
    ResizeEnclosingWindows(windows, editor, newSize);

    ExpectSize(windows, editor, {500, 400});
    ExpectSize(windows, container, {500, 400});
    ExpectSize(windows, frame, {506, 426}, "the frame keeps its 6 x 26 border");
    ExpectSize(windows, desktop, {1024, 768});
    EXPECT_EQ(windows.resized, (std::vector<WindowId>{editor, container, frame}));
}

TEST(EnclosingWindowResizer, WithoutDialogFramesTheFirstParentOfTheSameWidthIsTheFrame)
{
    FakeWindows windows(0);
    windows.Add(editor, container, "", {440, 485});
    windows.Add(container, frame, "HostPluginWindow", {440, 485});
    windows.Add(frame, 0, "HostMain", {800, 600});
    ResizeEnclosingWindows(windows, editor, newSize);
    ExpectSize(windows, editor, newSize);
    ExpectSize(windows, container, newSize);
    ExpectSize(windows, frame, {800, 600});
}

TEST(EnclosingWindowResizer, StopsBelowAMultipleDocumentArea)
{
    for (const auto* className : {"MDIClient", "mdiclient", "MdiClient"})
    {
        FakeWindows windows(3);
        windows.Add(editor, container, "", {440, 485});
        windows.Add(container, frame, "Child", {450, 495});
        windows.Add(frame, 0, className, {1000, 800});
        ResizeEnclosingWindows(windows, editor, newSize);
        ExpectSize(windows, editor, newSize);
        ExpectSize(windows, container, {510, 410}, className);
        ExpectSize(windows, frame, {1000, 800}, className);
    }
}

TEST(EnclosingWindowResizer, LeavesAParentFarLargerThanAFrameAlone)
{
    FakeWindows windows(3);
    windows.Add(editor, container, "", {440, 485});
    windows.Add(container, frame, "Workspace", {440, 600});
    windows.Add(frame, 0, "Main", {1000, 800});
    ResizeEnclosingWindows(windows, editor, newSize);
    ExpectSize(windows, editor, newSize);
    ExpectSize(windows, container, {440, 600});
    EXPECT_EQ(windows.resized, (std::vector<WindowId>{editor}));
}

TEST(EnclosingWindowResizer, TopLevelWindowWalksToTheTop)
{
    FakeWindows alone(3);
    alone.Add(editor, 0, "", {440, 485});
    ResizeEnclosingWindows(alone, editor, newSize);
    ExpectSize(alone, editor, newSize);

    FakeWindows chain(3);
    chain.Add(editor, container, "", {440, 485});
    chain.Add(container, frame, "", {450, 495});
    chain.Add(frame, 0, "", {470, 515});
    ResizeEnclosingWindows(chain, editor, newSize);
    ExpectSize(chain, editor, newSize);
    ExpectSize(chain, container, {510, 410});
    ExpectSize(chain, frame, {520, 420}, "the border measured around the container");
}
} // namespace

} // namespace brumalux
