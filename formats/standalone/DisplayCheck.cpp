// Xlib in a file of its own: its Window, Font and Time would clash with JUCE's names.
#include "DisplayCheck.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace brumalux
{

std::string WhyNoDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return "there is no X display (DISPLAY is not set)";
    Display* display = XOpenDisplay(name);
    if (display == nullptr)
        return std::string("the X display \"") + name + "\" cannot be opened";
    XCloseDisplay(display);
    return {};
}

} // namespace brumalux
