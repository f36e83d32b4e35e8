// The resize walk and the Win32 window layer under it, on real windows: the layer must
// read parents, class names and outer sizes as Win32 reports them, and the walk must stop
// where a host's frame, a multiple-document area or a far larger parent begins.

#include "TestRun.h"
#include "hostcore/EnclosingWindowResizer.h"
#include "hostcore/HostWindowSystem.h"

#include <windows.h>

#include <memory>
#include <string>

namespace brumalux
{

namespace
{
using Size = NativeWindowLayer::Size;
using WindowId = NativeWindowLayer::WindowId;

constexpr Size editorSize{440, 485};
const char* const windowClassName = "BrumaluxLayerTestWindow";

// Windows of the test, destroyed with it. Top-level ones stay hidden: the walk measures
// and sizes windows whether they are shown or not.
class TestWindows
{
public:
    TestWindows()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = windowClassName;
        RegisterClassA(&windowClass);
    }

    ~TestWindows()
    {
        if (topLevel != nullptr)
            DestroyWindow(topLevel);
    }

    HWND TopLevel(Size size)
    {
        topLevel = CreateWindowExA(0, windowClassName, "", WS_POPUP, 50, 50, size.width, size.height, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        return topLevel;
    }

    static HWND Child(HWND parent, int x, int y, Size size, const char* className = windowClassName,
                      void* creationData = nullptr)
    {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, x, y, size.width, size.height, parent,
                               nullptr, GetModuleHandleA(nullptr), creationData);
    }

private:
    HWND topLevel = nullptr;
};

WindowId Id(HWND window)
{
    return reinterpret_cast<WindowId>(window);
}

Size OuterSize(HWND window)
{
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

POINT PositionInParent(HWND window)
{
    RECT bounds{};
    GetWindowRect(window, &bounds);
    POINT topLeft{bounds.left, bounds.top};
    ScreenToClient(GetParent(window), &topLeft);
    return topLeft;
}

void ExpectSize(Expectations& e, const char* which, HWND window, Size expected)
{
    const Size actual = OuterSize(window);
    e.Expect(actual == expected, std::string(which) + " is " + std::to_string(actual.width) + " x " +
                                     std::to_string(actual.height) + ", not " +
                                     std::to_string(expected.width) + " x " +
                                     std::to_string(expected.height));
}

void CheckLayerReadsWindows(Expectations& e, HostWindowSystem& layer)
{
    TestWindows windows;
    HWND frame = windows.TopLevel({400, 300});
    HWND child = TestWindows::Child(frame, 7, 9, {200, 100});
    e.Expect(layer.IsWindow(Id(child)) && !layer.IsWindow(0), "tells windows from 0");
    e.Expect(layer.ParentOf(Id(child)) == Id(frame), "parent of a child window");
    e.Expect(layer.ParentOf(Id(frame)) == 0, "parent of a top-level window");
    e.Expect(layer.ClassNameOf(Id(child)) == windowClassName, "class name " + layer.ClassNameOf(Id(child)));
    e.Expect(layer.OuterSizeOf(Id(child)) == Size{200, 100}, "outer size of the child");
    e.Expect(layer.DialogFrameWidth() == GetSystemMetrics(SM_CXFIXEDFRAME),
             Describe("dialog frame width", layer.DialogFrameWidth()));

    layer.SetOuterSize(Id(child), {300, 150});
    ExpectSize(e, "the resized child", child, {300, 150});
    const POINT position = PositionInParent(child);
    e.Expect(position.x == 7 && position.y == 9, "resizing moved the child");

    DestroyWindow(child);
    e.Expect(!layer.IsWindow(Id(child)), "a destroyed window is no window");
}

// Host window inside a frame, editor inside the host window: each takes the editor's
// size plus the border it had around its child, up to the top-level window.
void CheckWalkToTopLevel(Expectations& e, HostWindowSystem& layer)
{
    TestWindows windows;
    HWND frame = windows.TopLevel({340, 260});
    HWND hostWindow = TestWindows::Child(frame, 5, 5, {300, 200});
    HWND editor = TestWindows::Child(hostWindow, 0, 0, {300, 200});
    ResizeEnclosingWindows(layer, Id(editor), editorSize);
    ExpectSize(e, "the editor", editor, editorSize);
    ExpectSize(e, "the host window", hostWindow, editorSize);
    ExpectSize(e, "the frame", frame, editorSize + Size{40, 60});
    const POINT position = PositionInParent(hostWindow);
    e.Expect(position.x == 5 && position.y == 5, "the host window moved");
}

// A window that is exactly a dialog frame larger than its child is the host's frame:
// it is sized, and nothing above it.
void CheckWalkStopsAtDialogFrame(Expectations& e, HostWindowSystem& layer)
{
    const int frameWidth = GetSystemMetrics(SM_CXFIXEDFRAME);
    const Size dialogBorder{2 * frameWidth, 2 * frameWidth};
    TestWindows windows;
    HWND outer = windows.TopLevel(Size{300, 200} + dialogBorder + Size{20, 20});
    HWND dialog = TestWindows::Child(outer, 10, 10, Size{300, 200} + dialogBorder);
    HWND editor = TestWindows::Child(dialog, frameWidth, frameWidth, {300, 200});
    ResizeEnclosingWindows(layer, Id(editor), editorSize);
    ExpectSize(e, "the editor", editor, editorSize);
    ExpectSize(e, "the dialog", dialog, editorSize + dialogBorder);
    ExpectSize(e, "the window around the dialog", outer, Size{300, 200} + dialogBorder + Size{20, 20});
}

// Inside a multiple-document area the host arranges the windows: only the editor's own
// window changes, though the area is close enough around it to pass for a frame.
void CheckWalkLeavesMultipleDocumentArea(Expectations& e, HostWindowSystem& layer)
{
    TestWindows windows;
    HWND frame = windows.TopLevel({360, 290});
    CLIENTCREATESTRUCT clientCreation{nullptr, 1};
    HWND area = TestWindows::Child(frame, 0, 0, {320, 230}, "MDICLIENT", &clientCreation);
    e.Expect(area != nullptr, "no multiple-document area");
    if (area == nullptr)
        return;
    HWND editor = TestWindows::Child(area, 0, 0, {300, 200});
    ResizeEnclosingWindows(layer, Id(editor), editorSize);
    ExpectSize(e, "the editor", editor, editorSize);
    ExpectSize(e, "the multiple-document area", area, {320, 230});
    ExpectSize(e, "the frame", frame, {360, 290});
}

// A parent more than 100 pixels larger is no frame around the editor: it keeps its size.
void CheckWalkStopsAtLargeParent(Expectations& e, HostWindowSystem& layer)
{
    TestWindows windows;
    HWND frame = windows.TopLevel({1000, 260});
    HWND editor = TestWindows::Child(frame, 0, 0, {300, 200});
    ResizeEnclosingWindows(layer, Id(editor), editorSize);
    ExpectSize(e, "the editor", editor, editorSize);
    ExpectSize(e, "the frame", frame, {1000, 260});
}
} // namespace

void CheckWin32WindowLayer(TestRun& run)
{
    const std::unique_ptr<HostWindowSystem> layer = HostWindowSystem::Open();
    run.Check("the window layer opens",
              [&](Expectations& e) { e.Expect(layer != nullptr, "no window layer"); });
    if (layer == nullptr)
        return;
    run.Check("the window layer reads Win32 windows",
              [&](Expectations& e) { CheckLayerReadsWindows(e, *layer); });
    run.Check("the resize walk sizes every window up to the top level",
              [&](Expectations& e) { CheckWalkToTopLevel(e, *layer); });
    run.Check("the resize walk stops at a dialog frame",
              [&](Expectations& e) { CheckWalkStopsAtDialogFrame(e, *layer); });
    run.Check("the resize walk leaves a multiple-document area alone",
              [&](Expectations& e) { CheckWalkLeavesMultipleDocumentArea(e, *layer); });
    run.Check("the resize walk stops below a far larger parent",
              [&](Expectations& e) { CheckWalkStopsAtLargeParent(e, *layer); });
}

} // namespace brumalux
