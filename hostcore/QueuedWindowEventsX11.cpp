// JUCE's own X declarations, for its connection to the display.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "QueuedWindowEvents.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{
// JUCE's hidden window for its own messages: it reads events sent there and passes them on to no
// component.
extern ::Window juce_messageWindowHandle;
} // namespace juce

namespace brumalux
{

void WakeForQueuedWindowEvents()
{
    auto* windows = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windows != nullptr ? windows->getDisplay() : nullptr;
    if (display == nullptr || juce::juce_messageWindowHandle == 0)
        return;
    const juce::XWindowSystemUtilities::ScopedXLock lock;
    if (XEventsQueued(display, QueuedAlready) == 0)
        return;
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.window = juce::juce_messageWindowHandle;
    wake.xclient.format = 32;
    // An empty event mask sends it to the window's own client: JUCE.
    XSendEvent(display, juce::juce_messageWindowHandle, False, NoEventMask, &wake);
    XFlush(display);
}

} // namespace brumalux
