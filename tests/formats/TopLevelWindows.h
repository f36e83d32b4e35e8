#pragma once

#include <string>

// The test's view of the X display: finds a program's top-level window by its title and
// asks it to close as a window manager would. Xlib stays in its own file.
namespace TopLevelWindows
{
// The id of a mapped window with this title, or 0. Waits up to timeoutMs.
unsigned long WaitForTitle(const std::string& title, int timeoutMs);
// Sends WM_DELETE_WINDOW, as a window manager does for its close button.
bool RequestClose(unsigned long window);
} // namespace TopLevelWindows
