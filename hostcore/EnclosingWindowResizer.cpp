#include "EnclosingWindowResizer.h"

#include <algorithm>
#include <cctype>

namespace brumalux
{

namespace
{
constexpr int maxBorder = 100;

bool IsMultipleDocumentClient(const std::string& className)
{
    std::string lower(className);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "mdiclient";
}
} // namespace

void ResizeEnclosingWindows(NativeWindowLayer& windows, NativeWindowLayer::WindowId editorWindow,
                            NativeWindowLayer::Size editorSize)
{
    auto window = editorWindow;
    NativeWindowLayer::Size border;
    while (const auto parent = windows.ParentOf(window))
    {
        // Inside a host's multiple-document area the host manages the frames itself.
        if (IsMultipleDocumentClient(windows.ClassNameOf(parent)))
            break;
        const auto newBorder = windows.OuterSizeOf(parent) - windows.OuterSizeOf(window);
        windows.SetOuterSize(window, editorSize + border);
        border = newBorder;
        // A border of exactly a dialog frame on each side: the parent is the host's frame.
        if (border.width == 2 * windows.DialogFrameWidth())
        {
            window = parent;
            break;
        }
        // A parent this much larger is not a frame around us; leave it alone.
        if (border.width > maxBorder || border.height > maxBorder)
            return;
        window = parent;
    }
    windows.SetOuterSize(window, editorSize + border);
}

} // namespace brumalux
