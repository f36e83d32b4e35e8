#pragma once

#include <mutex>

namespace brumalux
{

// Inside a plug-in on Linux nobody runs JUCE's message loop for us, so the library runs
// it on a thread of its own, shared by all instances in the process: timers, posted
// messages, change notifications and X events are handled whether or not the host ever
// calls effEditIdle. The loop runs while at least one user (an instance) exists, no host
// thread has borrowed the message thread role and no editor is open. While an editor is
// open the host drives the loop from its effEditIdle calls, so every callback an editor
// makes reaches the host on the thread that calls effEditIdle, and no idle call starts or
// stops a thread.
namespace SharedMessageThread
{
// Called by JuceRuntimeHolder, whose constructor and destructor run inside a
// ScopedHostMessageThread: JUCE's own init counting is not thread-safe.
void AddUser();
void RemoveUser();

// Any thread.
bool IsRunning();
bool IsCurrentThread();
// How many times the loop thread has been started in this process (threads cost time and
// a host's UI thread waits for each stop, so this is watched in tests).
int ThreadsStarted();

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

// Keeps the shared loop stopped for as long as it lives: the host's thread runs the
// messages in its effEditIdle calls. An instance holds one while its editor exists. Create
// and destroy it inside a ScopedHostMessageThread.
class ScopedHostDrivenLoop
{
public:
    ScopedHostDrivenLoop();
    ~ScopedHostDrivenLoop();

    ScopedHostDrivenLoop(const ScopedHostDrivenLoop&) = delete;
    ScopedHostDrivenLoop& operator=(const ScopedHostDrivenLoop&) = delete;
};

} // namespace brumalux
