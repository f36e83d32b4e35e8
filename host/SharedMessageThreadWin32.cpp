#include "SharedMessageThread.h"

// On Windows JUCE's message loop belongs to the host. The message manager lives on the
// thread that created the first instance, the host's user-interface thread; posted
// messages and timer callbacks go to JUCE's hidden window on that thread, and the host's
// own message loop dispatches them. So there is no loop of ours to run, stop or lend.

namespace SharedMessageThread
{
void AddUser() {}
void RemoveUser() {}

bool IsRunning()
{
    return false;
}

bool IsCurrentThread()
{
    return false;
}
} // namespace SharedMessageThread

ScopedHostMessageThread::ScopedHostMessageThread() = default;
ScopedHostMessageThread::~ScopedHostMessageThread() = default;
