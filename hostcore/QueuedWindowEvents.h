#pragma once

namespace brumalux
{

// JUCE reads its X connection's events when the connection has data to read. Xlib, though, also
// reads every event that arrives while it waits for a reply (JUCE asks the server for the mouse
// buttons' state many times a second while a menu is open), and such events wait in Xlib's queue,
// unseen, until something else arrives: the click on a menu's item could wait for seconds. A loop
// that the host drives calls this after each round of messages: when events wait, it sends JUCE's
// connection one more, which makes the connection readable, so that JUCE reads them all in the next
// round. Message thread. Windows has no such queue: nothing to do there.
#if defined(_WIN32)
inline void WakeForQueuedWindowEvents() {}
#else
void WakeForQueuedWindowEvents();
#endif

} // namespace brumalux
