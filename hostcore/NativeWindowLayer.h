#pragma once

#include <cstdint>
#include <string>

namespace brumalux
{

// What resizing the windows around an embedded editor needs of the platform's window
// system, and nothing more: X11 in the plug-in, a fake in tests. Message thread.
class NativeWindowLayer
{
public:
    using WindowId = std::uintptr_t; // 0: no window

    struct Size
    {
        int width = 0;
        int height = 0;

        Size operator+(Size other) const { return {width + other.width, height + other.height}; }
        Size operator-(Size other) const { return {width - other.width, height - other.height}; }
        bool operator==(Size other) const { return width == other.width && height == other.height; }
    };

    virtual ~NativeWindowLayer() = default;

    // The window's parent; 0 for a top-level window.
    virtual WindowId ParentOf(WindowId window) = 0;
    virtual std::string ClassNameOf(WindowId window) = 0;
    // Including the window's own border.
    virtual Size OuterSizeOf(WindowId window) = 0;
    virtual void SetOuterSize(WindowId window, Size size) = 0;
    // The width of the frame the window system puts around a dialog; 0 where it has none.
    virtual int DialogFrameWidth() = 0;
};

} // namespace brumalux
