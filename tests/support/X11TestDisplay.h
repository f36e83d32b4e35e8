#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct _XDisplay;

namespace brumalux
{

// The test host's own X connection, and the windows it opens plug-in editors into. It is
// opened before anything in the process initialises JUCE: on a bare X server the
// window-manager atoms JUCE looks up are created here and live as long as this
// connection does. Xlib stays in the .cpp (its names clash with JUCE's).
class X11TestDisplay
{
public:
    using WindowId = unsigned long;

    // Null when there is no display (the X tests skip then).
    static std::unique_ptr<X11TestDisplay> Open();
    // One connection for the whole test program, opened on first use and kept open, so that the
    // atoms it creates outlive every JUCE initialisation in the process. Null without a display.
    static X11TestDisplay* Shared();
    ~X11TestDisplay();

    // At x, y on the screen; without a window manager, windows that overlap hide each other.
    WindowId CreateTopLevelWindow(int width, int height, const char* className, int x = 0, int y = 0);
    WindowId CreateChildWindow(WindowId parent, int width, int height, int borderWidth);
    void DestroyWindow(WindowId window);

    std::vector<WindowId> ChildrenOf(WindowId window);
    std::pair<int, int> SizeOf(WindowId window);
    bool IsMapped(WindowId window);
    // The windows that show on the screen's root (a pop-up menu opens as one more).
    std::vector<WindowId> ShownTopLevelWindows();
    // The colour at x, y as 0xRRGGBB; 0xffffffff when the window cannot be read.
    std::uint32_t PixelAt(WindowId window, int x, int y);
    // A mapped top-level window with this title, or 0 once timeoutMs have passed without one.
    WindowId WaitForTitle(const std::string& title, int timeoutMs);
    // Sends WM_DELETE_WINDOW, as a window manager does for its close button.
    bool RequestClose(WindowId window);
    // How many connections this process holds to the X server, this one included (the
    // X-Resource extension); -1 where the server cannot tell.
    int ConnectionsOfThisProcess();

    static constexpr unsigned int leftButton = 1;
    static constexpr unsigned int rightButton = 3;
    // X key symbols.
    static constexpr unsigned long escapeKey = 0xff1b;

    // Presses or releases a mouse button (the first by default) through the XTEST
    // extension; false where the extension's library or the server's support is missing.
    bool SetMouseButton(bool down, unsigned int button = leftButton);
    // Presses and releases the key of an X key symbol through XTEST.
    bool TapKey(unsigned long keySymbol);
    // Moves the pointer to x, y on the screen through XTEST; false where it is missing.
    bool MovePointer(int x, int y);

private:
    explicit X11TestDisplay(_XDisplay* displayToUse) : display(displayToUse) {}

    _XDisplay* const display;
};

} // namespace brumalux
