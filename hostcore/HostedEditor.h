#pragma once

#include "EditorCompWrapper.h"
#include "HostWindowSystem.h"
#include "SharedMessageThread.h"

#include <memory>
#include <optional>

namespace brumalux
{

class AudioFilterBase;
class HostReports;

// A filter's editor inside a window the host gives: the window system it needs, the editor
// and its holder, the host's scale, and the host-driven message loop while it exists (the
// host's idle calls run the messages then). A format wrapper owns one and keeps to its host's
// order of calls. Message thread: every call runs inside a ScopedHostMessageThread.
class HostedEditor
{
public:
    HostedEditor(AudioFilterBase& filter, EditorWindowHost& windowHost, HostReports& reports);
    ~HostedEditor();

    // The editor, made when there is none yet (a host asks its size before it gives a window);
    // null when the filter has none.
    EditorCompWrapper* Prepare();
    // A new editor in the host's window; false when there is no window system or the id names no
    // window (X would end the host over a bad id), or the filter has no editor.
    bool Open(NativeWindowLayer::WindowId hostWindow);
    void Close();

    // The scale the host asks the editor to draw at (1 is 100 %), now and for editors opened later.
    void SetHostScale(float scale);
    // Runs what waits for the message thread: the reports queued before the host took the loop
    // over (first, in their order), timers and messages. The host's idle call.
    void Idle();

    EditorCompWrapper* Holder() const noexcept { return holder.get(); }
    NativeWindowLayer* Windows() const noexcept { return windows.get(); }

private:
    bool OpenWindowSystem();
    bool Hold();

    AudioFilterBase& filter;
    EditorWindowHost& windowHost;
    HostReports& reports;
    std::unique_ptr<HostWindowSystem> windows;
    std::optional<ScopedHostDrivenLoop> hostDrivenLoop;
    std::unique_ptr<EditorCompWrapper> holder;
    float hostScale = 1.0f;
};

} // namespace brumalux
