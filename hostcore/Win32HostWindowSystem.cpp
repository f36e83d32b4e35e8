// The window system on Windows.

#include "HostWindowSystem.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace brumalux
{

namespace
{
HWND ToHandle(NativeWindowLayer::WindowId window)
{
    return reinterpret_cast<HWND>(window);
}

class Win32HostWindowSystem final : public HostWindowSystem
{
public:
    bool IsWindow(WindowId window) override { return window != 0 && ::IsWindow(ToHandle(window)) != FALSE; }

    WindowId ParentOf(WindowId window) override
    {
        return reinterpret_cast<WindowId>(::GetParent(ToHandle(window)));
    }

    std::string ClassNameOf(WindowId window) override
    {
        char name[256] = {};
        const auto length = ::GetClassNameA(ToHandle(window), name, sizeof(name));
        return std::string(name, static_cast<size_t>(length > 0 ? length : 0));
    }

    Size OuterSizeOf(WindowId window) override
    {
        RECT bounds{};
        if (::GetWindowRect(ToHandle(window), &bounds) == FALSE)
            return {};
        return {bounds.right - bounds.left, bounds.bottom - bounds.top};
    }

    void SetOuterSize(WindowId window, Size size) override
    {
        ::SetWindowPos(ToHandle(window), nullptr, 0, 0, size.width, size.height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }

    int DialogFrameWidth() override { return ::GetSystemMetrics(SM_CXDLGFRAME); }
};
} // namespace

std::unique_ptr<HostWindowSystem> HostWindowSystem::Open()
{
    return std::make_unique<Win32HostWindowSystem>();
}

// Win32 reports errors as return values; there is nothing that could end the host.
ScopedWindowSystemErrorsIgnored::ScopedWindowSystemErrorsIgnored() = default;
ScopedWindowSystemErrorsIgnored::~ScopedWindowSystemErrorsIgnored() = default;

} // namespace brumalux
