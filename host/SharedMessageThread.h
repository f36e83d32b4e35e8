#pragma once

#include <mutex>

// Inside a plug-in on Linux nobody runs JUCE's message loop for us, so the library runs
// it on a thread of its own, shared by all instances in the process: timers, posted
// messages, change notifications and X events are handled whether or not the host ever
// calls effEditIdle. The loop runs while at least one user (an instance) exists and no
// host thread has borrowed the message thread role.
namespace SharedMessageThread
{
// Called by JuceRuntimeHolder, whose constructor and destructor run inside a
// ScopedHostMessageThread: JUCE's own init counting is not thread-safe.
void AddUser();
void RemoveUser();

// Any thread.
bool IsRunning();
bool IsCurrentThread();

// Delivers what is waiting in JUCE's queue (posted messages, timer and X events), up to a
// bound so that a stream of new messages cannot keep the host's thread here. Call it on a
// host thread inside a ScopedHostMessageThread.
void DispatchPendingMessages();
} // namespace SharedMessageThread

// Makes the calling host thread JUCE's message thread for the scope's duration: the
// shared loop is stopped on entry and restarted on exit (when it still has users). Every
// dispatcher call that touches JUCE's GUI, creates or deletes instances holds one; such
// calls from different host threads are serialised. Taking it on the loop thread itself
// (a host calling back into us from a request we sent) changes nothing: that thread is
// already the message thread. Never take it on the audio thread.
class ScopedHostMessageThread
{
public:
    ScopedHostMessageThread();
    ~ScopedHostMessageThread();

    ScopedHostMessageThread(const ScopedHostMessageThread&) = delete;
    ScopedHostMessageThread& operator=(const ScopedHostMessageThread&) = delete;

private:
    std::unique_lock<std::recursive_mutex> lock;
};
