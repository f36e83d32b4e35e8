#pragma once

#include "NativeWindowLayer.h"

namespace brumalux
{

// Makes room for an editor that changed size when the host does not resize its window on
// request: walks up from the editor's own window, giving each enclosing window the
// editor's size plus the border it had around its child, until it reaches what is taken
// for the host's frame. Message thread.
void ResizeEnclosingWindows(NativeWindowLayer& windows, NativeWindowLayer::WindowId editorWindow,
                            NativeWindowLayer::Size editorSize);

} // namespace brumalux
