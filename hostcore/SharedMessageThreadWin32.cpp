#include "SharedMessageThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

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

int ThreadsStarted()
{
    return 0;
}

// The host's loop delivers JUCE's posted messages. What an idle call adds is painting:
// Windows holds back a window's paint message until its thread's queue is empty, which
// in a busy host can take long.
void DispatchPendingMessages()
{
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer(i))
            peer->performAnyPendingRepaintsNow();
}
} // namespace SharedMessageThread

ScopedHostMessageThread::ScopedHostMessageThread() = default;
ScopedHostMessageThread::~ScopedHostMessageThread() = default;
ScopedHostDrivenLoop::ScopedHostDrivenLoop() = default;
ScopedHostDrivenLoop::~ScopedHostDrivenLoop() = default;

} // namespace brumalux
