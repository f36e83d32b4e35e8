#pragma once

#include "NativeWindowLayer.h"

#include <memory>

namespace brumalux
{

// The platform's window system as embedding an editor in a host's window needs it: the
// operations of the resize walk, and telling a real window from whatever id a host
// passes. One implementation per platform (X11, Win32). Message thread.
class HostWindowSystem : public NativeWindowLayer
{
public:
    // Null where no window system can be reached (no X display). Open it before JUCE's
    // first window or widget: on X11 it creates the window-manager atoms that JUCE only
    // looks up, which a server without a window manager lacks.
    static std::unique_ptr<HostWindowSystem> Open();

    virtual bool IsWindow(WindowId window) = 0;
};

// Keeps window-system errors from ending the host while it lives, for work on windows the
// host may already have destroyed: our window inside the host's goes with it. (Xlib's
// default error handler exits the process; Win32 reports such errors as return values.)
// Message thread. The handler it swaps is the whole process's, so keep the scope short.
class ScopedWindowSystemErrorsIgnored
{
public:
    ScopedWindowSystemErrorsIgnored();
    ~ScopedWindowSystemErrorsIgnored();

    ScopedWindowSystemErrorsIgnored(const ScopedWindowSystemErrorsIgnored&) = delete;
    ScopedWindowSystemErrorsIgnored& operator=(const ScopedWindowSystemErrorsIgnored&) = delete;

private:
    void* previousHandler = nullptr;
};

} // namespace brumalux
