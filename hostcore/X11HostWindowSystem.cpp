// The window system on X11, through an X connection of its own. Xlib stays in this file:
// its Window, Font and Time clash with JUCE's names.

#include "HostWindowSystem.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace brumalux
{

namespace
{
// The handler cannot carry state of its own; X work happens on one thread at a time.
bool errorOccurred = false;

int RecordError(Display*, XErrorEvent*)
{
    errorOccurred = true;
    return 0;
}

int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

// Answers whether any of our own requests made within its lifetime failed.
class ErrorTrap
{
public:
    explicit ErrorTrap(Display* displayToCheck) : display(displayToCheck)
    {
        XSync(display, False);
        errorOccurred = false;
        previous = XSetErrorHandler(RecordError);
    }

    ~ErrorTrap()
    {
        XSync(display, False);
        XSetErrorHandler(previous);
    }

    bool Failed()
    {
        XSync(display, False);
        return errorOccurred;
    }

private:
    Display* display;
    XErrorHandler previous;
};

const char* const windowManagerAtoms[] = {"WM_PROTOCOLS",
                                          "WM_DELETE_WINDOW",
                                          "WM_TAKE_FOCUS",
                                          "_NET_WM_PING",
                                          "WM_STATE",
                                          "WM_CHANGE_STATE",
                                          "_NET_WM_STATE",
                                          "_NET_WM_STATE_HIDDEN",
                                          "_NET_WM_WINDOW_TYPE",
                                          "_NET_WM_WINDOW_TYPE_NORMAL"};

::Window ToX(NativeWindowLayer::WindowId window)
{
    return static_cast<::Window>(window);
}

class X11HostWindowSystem final : public HostWindowSystem
{
public:
    explicit X11HostWindowSystem(Display* displayToUse) : display(displayToUse) {}
    ~X11HostWindowSystem() override { XCloseDisplay(display); }

    bool IsWindow(WindowId window) override
    {
        if (window == 0)
            return false;
        ErrorTrap trap(display);
        XWindowAttributes attributes;
        const auto found = XGetWindowAttributes(display, ToX(window), &attributes) != 0;
        return found && !trap.Failed();
    }

    WindowId ParentOf(WindowId window) override
    {
        ErrorTrap trap(display);
        ::Window root = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned int numChildren = 0;
        if (XQueryTree(display, ToX(window), &root, &parent, &children, &numChildren) == 0 || trap.Failed())
            return 0;
        if (children != nullptr)
            XFree(children);
        return parent == root ? 0 : static_cast<WindowId>(parent);
    }

    std::string ClassNameOf(WindowId window) override
    {
        ErrorTrap trap(display);
        XClassHint hint{};
        if (XGetClassHint(display, ToX(window), &hint) == 0 || trap.Failed())
            return {};
        std::string className = hint.res_class != nullptr ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
        return className;
    }

    Size OuterSizeOf(WindowId window) override
    {
        XWindowAttributes attributes;
        if (!GetAttributes(window, attributes))
            return {};
        return {attributes.width + 2 * attributes.border_width,
                attributes.height + 2 * attributes.border_width};
    }

    void SetOuterSize(WindowId window, Size size) override
    {
        XWindowAttributes attributes;
        if (!GetAttributes(window, attributes))
            return;
        const auto border = 2 * attributes.border_width;
        ErrorTrap trap(display);
        XResizeWindow(display, ToX(window), static_cast<unsigned int>(std::max(1, size.width - border)),
                      static_cast<unsigned int>(std::max(1, size.height - border)));
    }

    // Frames belong to the window manager, in windows of their own.
    int DialogFrameWidth() override { return 0; }

private:
    bool GetAttributes(WindowId window, XWindowAttributes& attributes)
    {
        ErrorTrap trap(display);
        return XGetWindowAttributes(display, ToX(window), &attributes) != 0 && !trap.Failed();
    }

    Display* const display;
};
} // namespace

// Opening also creates the window-manager atoms that JUCE only looks up: on an X server
// without a window manager they would be missing, and JUCE's first window would end the
// host with an X error.
std::unique_ptr<HostWindowSystem> HostWindowSystem::Open()
{
    auto* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    for (const auto* name : windowManagerAtoms)
        XInternAtom(display, name, False);
    XSync(display, False);
    return std::make_unique<X11HostWindowSystem>(display);
}

ScopedWindowSystemErrorsIgnored::ScopedWindowSystemErrorsIgnored()
    : previousHandler(reinterpret_cast<void*>(XSetErrorHandler(IgnoreError)))
{
}

ScopedWindowSystemErrorsIgnored::~ScopedWindowSystemErrorsIgnored()
{
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(previousHandler));
}

} // namespace brumalux
