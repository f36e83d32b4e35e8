#include "TopLevelWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace brumalux
{

namespace TopLevelWindows
{
namespace
{
struct DisplayConnection
{
    Display* display = XOpenDisplay(nullptr);
    ~DisplayConnection()
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }
};

std::string TitleOf(Display* display, Window window)
{
    XTextProperty property;
    if (XGetWMName(display, window, &property) == 0 || property.value == nullptr)
        return {};
    std::string title(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
    return title;
}

Window FindMapped(Display* display, Window parent, const std::string& title)
{
    Window root = 0, parentOfParent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &parentOfParent, &children, &count) == 0)
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i)
    {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable && TitleOf(display, children[i]) == title)
            found = children[i];
    }
    if (children != nullptr)
        XFree(children);
    return found;
}
} // namespace

bool InternWindowManagerAtoms()
{
    static Display* const keptOpen = XOpenDisplay(nullptr);
    if (keptOpen == nullptr)
        return false;
    for (const char* name :
         {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "_NET_WM_PING", "WM_STATE", "WM_CHANGE_STATE",
          "_NET_WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL"})
        XInternAtom(keptOpen, name, False);
    XSync(keptOpen, False);
    return true;
}

unsigned long WaitForTitle(const std::string& title, int timeoutMs)
{
    const DisplayConnection connection;
    if (connection.display == nullptr)
        return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (const auto window = FindMapped(connection.display, DefaultRootWindow(connection.display), title))
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

bool RequestClose(unsigned long window)
{
    const DisplayConnection connection;
    if (connection.display == nullptr)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection.display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection.display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const auto sent = XSendEvent(connection.display, window, False, NoEventMask, &event) != 0;
    XFlush(connection.display);
    return sent;
}

std::pair<int, int> SizeOf(unsigned long window)
{
    const DisplayConnection connection;
    XWindowAttributes attributes{};
    if (connection.display == nullptr || XGetWindowAttributes(connection.display, window, &attributes) == 0)
        return {0, 0};
    return {attributes.width, attributes.height};
}
} // namespace TopLevelWindows

} // namespace brumalux
