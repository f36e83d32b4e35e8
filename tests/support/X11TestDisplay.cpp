#include "tests/support/X11TestDisplay.h"

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace brumalux
{

namespace
{
const char* const windowManagerAtoms[] = {"WM_PROTOCOLS",
                                          "WM_DELETE_WINDOW",
                                          "WM_TAKE_FOCUS",
                                          "_NET_WM_PING",
                                          "WM_STATE",
                                          "WM_CHANGE_STATE",
                                          "_NET_WM_STATE",
                                          "_NET_WM_WINDOW_TYPE",
                                          "_NET_WM_WINDOW_TYPE_NORMAL"};

bool errorSeen = false;

int NoteError(Display*, XErrorEvent*)
{
    errorSeen = true;
    return 0;
}
} // namespace

// The test display runs with -noreset (scripts/with-display.sh): an X server that resets
// when its last client leaves refuses connections while it does, and a test that starts
// just after another ended would find no display.
std::unique_ptr<X11TestDisplay> X11TestDisplay::Open()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    for (const auto* name : windowManagerAtoms)
        XInternAtom(display, name, False);
    // Our own requests on windows a plug-in may have destroyed must not end the test.
    XSetErrorHandler(NoteError);
    XSync(display, False);
    return std::unique_ptr<X11TestDisplay>(new X11TestDisplay(display));
}

X11TestDisplay* X11TestDisplay::Shared()
{
    static const auto keptOpen = Open();
    return keptOpen.get();
}

X11TestDisplay::~X11TestDisplay()
{
    XCloseDisplay(display);
}

X11TestDisplay::WindowId X11TestDisplay::CreateTopLevelWindow(int width, int height, const char* className,
                                                              int x, int y)
{
    const auto screen = DefaultScreen(display);
    const auto window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y,
                                            static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                            BlackPixel(display, screen), BlackPixel(display, screen));
    XClassHint hint{const_cast<char*>("brumalux-test-host"), const_cast<char*>(className)};
    XSetClassHint(display, window, &hint);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

X11TestDisplay::WindowId X11TestDisplay::CreateChildWindow(WindowId parent, int width, int height,
                                                           int borderWidth)
{
    const auto screen = DefaultScreen(display);
    const auto window = XCreateSimpleWindow(display, parent, 0, 0, static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), static_cast<unsigned>(borderWidth),
                                            BlackPixel(display, screen), BlackPixel(display, screen));
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void X11TestDisplay::DestroyWindow(WindowId window)
{
    XDestroyWindow(display, window);
    XSync(display, False);
}

std::vector<X11TestDisplay::WindowId> X11TestDisplay::ChildrenOf(WindowId window)
{
    XSync(display, False);
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    std::vector<WindowId> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0)
        result.assign(children, children + count);
    if (children != nullptr)
        XFree(children);
    return result;
}

std::pair<int, int> X11TestDisplay::SizeOf(WindowId window)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return {0, 0};
    return {attributes.width, attributes.height};
}

bool X11TestDisplay::IsMapped(WindowId window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

std::vector<X11TestDisplay::WindowId> X11TestDisplay::ShownTopLevelWindows()
{
    auto windows = ChildrenOf(DefaultRootWindow(display));
    windows.erase(
        std::remove_if(windows.begin(), windows.end(), [this](auto window) { return !IsMapped(window); }),
        windows.end());
    return windows;
}

std::uint32_t X11TestDisplay::PixelAt(WindowId window, int x, int y)
{
    errorSeen = false;
    auto* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    XSync(display, False);
    if (image == nullptr || errorSeen)
    {
        if (image != nullptr)
            XDestroyImage(image);
        return 0xffffffffu;
    }
    const auto pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return static_cast<std::uint32_t>(pixel & 0xffffffu);
}

namespace
{
std::string TitleOf(Display* display, ::Window window)
{
    XTextProperty property;
    if (XGetWMName(display, window, &property) == 0 || property.value == nullptr)
        return {};
    std::string title(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
    return title;
}
} // namespace

X11TestDisplay::WindowId X11TestDisplay::WaitForTitle(const std::string& title, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do
    {
        for (const auto window : ShownTopLevelWindows())
            if (TitleOf(display, window) == title)
                return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return 0;
}

bool X11TestDisplay::RequestClose(WindowId window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const auto sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XSync(display, False);
    return sent;
}

int X11TestDisplay::ConnectionsOfThisProcess()
{
    int eventBase = 0, errorBase = 0;
    if (!XResQueryExtension(display, &eventBase, &errorBase))
        return -1;
    XResClientIdSpec everyClient{0, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(display, 1, &everyClient, &count, &ids) != Success)
        return -1;
    int ours = 0;
    for (long i = 0; i < count; ++i)
        ours += XResGetClientPid(&ids[i]) == getpid() ? 1 : 0;
    XResClientIdsDestroy(count, ids);
    return ours;
}

namespace
{
// XTEST is loaded when first used, so that the tests build and skip without it.
void* XTestFunction(const char* name)
{
    static auto* library = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    return library != nullptr ? dlsym(library, name) : nullptr;
}
} // namespace

bool X11TestDisplay::MovePointer(int x, int y)
{
    using FakeMotionEvent = int (*)(Display*, int, int, int, unsigned long);
    static auto fakeMotionEvent = reinterpret_cast<FakeMotionEvent>(XTestFunction("XTestFakeMotionEvent"));
    if (fakeMotionEvent == nullptr || fakeMotionEvent(display, -1, x, y, CurrentTime) == 0)
        return false;
    XSync(display, False);
    return true;
}

bool X11TestDisplay::SetMouseButton(bool down, unsigned int button)
{
    using FakeButtonEvent = int (*)(Display*, unsigned int, int, unsigned long);
    static auto fakeButtonEvent = reinterpret_cast<FakeButtonEvent>(XTestFunction("XTestFakeButtonEvent"));
    if (fakeButtonEvent == nullptr || fakeButtonEvent(display, button, down ? True : False, CurrentTime) == 0)
        return false;
    XSync(display, False);
    return true;
}

bool X11TestDisplay::TapKey(unsigned long keySymbol)
{
    using FakeKeyEvent = int (*)(Display*, unsigned int, int, unsigned long);
    static auto fakeKeyEvent = reinterpret_cast<FakeKeyEvent>(XTestFunction("XTestFakeKeyEvent"));
    const auto keyCode = XKeysymToKeycode(display, keySymbol);
    if (fakeKeyEvent == nullptr || keyCode == 0 || fakeKeyEvent(display, keyCode, True, CurrentTime) == 0 ||
        fakeKeyEvent(display, keyCode, False, CurrentTime) == 0)
        return false;
    XSync(display, False);
    return true;
}

} // namespace brumalux
