#pragma once

#include <string>
#include <utility>

namespace brumalux
{

// The test's view of the X display: finds a program's top-level window by its title and
// asks it to close as a window manager would. Xlib stays in its own file.
namespace TopLevelWindows
{
// A bare X server without a window manager knows none of the window manager's atoms, and
// JUCE then gives its windows no close protocol. Interns them on a connection kept open
// for the rest of the process (atoms live as long as some client is connected).
bool InternWindowManagerAtoms();
// The id of a mapped window with this title, or 0. Waits up to timeoutMs.
unsigned long WaitForTitle(const std::string& title, int timeoutMs);
// Sends WM_DELETE_WINDOW, as a window manager does for its close button.
bool RequestClose(unsigned long window);
// Width and height; 0, 0 for a window that is gone.
std::pair<int, int> SizeOf(unsigned long window);
} // namespace TopLevelWindows

} // namespace brumalux
