// The standalone program as a user starts it: it shows its window (and, where no audio
// device opens, a message that says so, which the user closes) and quits cleanly when
// the window is closed.

#include "TestRun.h"

#include <windows.h>

#include <string>
#include <vector>

namespace brumalux
{

namespace
{
constexpr DWORD startLimitMs = 60000;
constexpr DWORD quitLimitMs = 30000;

struct WindowSearch
{
    DWORD processId;
    std::vector<std::pair<HWND, std::string>> visibleWindows;
};

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM search)
{
    auto& found = *reinterpret_cast<WindowSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found.processId && IsWindowVisible(window))
    {
        char title[256] = {};
        GetWindowTextA(window, title, sizeof(title));
        found.visibleWindows.emplace_back(window, title);
    }
    return TRUE;
}

// The process's visible top-level windows and their titles.
std::vector<std::pair<HWND, std::string>> VisibleWindowsOf(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.visibleWindows;
}

HWND WindowTitled(const std::vector<std::pair<HWND, std::string>>& windows, const std::string& title)
{
    for (const auto& [window, text] : windows)
        if (text == title)
            return window;
    return nullptr;
}
} // namespace

void CheckStandaloneProgram(TestRun& run, const char* programPath)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string commandLine = std::string("\"") + programPath + "\"";
    const bool started = CreateProcessA(programPath, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process) != FALSE;
    run.Check("standalone: starts",
              [&](Expectations& e) { e.Expect(started, Describe("CreateProcess error", GetLastError())); });
    if (!started)
        return;

    HWND mainWindow = nullptr;
    std::vector<std::pair<HWND, std::string>> windows;
    for (DWORD waited = 0; waited < startLimitMs && mainWindow == nullptr; waited += 100)
    {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
            break;
        windows = VisibleWindowsOf(process.dwProcessId);
        mainWindow = WindowTitled(windows, "Brumalux");
    }
    run.Check("standalone: shows its window",
              [&](Expectations& e)
              {
                  e.Expect(mainWindow != nullptr, "no visible window titled \"Brumalux\"");
                  RECT bounds{};
                  GetClientRect(mainWindow, &bounds);
                  e.Expect(mainWindow == nullptr || (bounds.right >= 440 && bounds.bottom >= 485),
                           "the window is smaller than the editor: " + std::to_string(bounds.right) + " x " +
                               std::to_string(bounds.bottom));
              });

    // Let the program settle (it opens its audio device after showing the window). Without
    // a device it must have told the user, in a message that blocks the window until the
    // user closes it.
    Sleep(2000);
    HWND noDeviceMessage = WindowTitled(VisibleWindowsOf(process.dwProcessId), "No audio device");
    std::printf("     (%s)\n", noDeviceMessage != nullptr ? "no audio device: the program says so"
                                                          : "an audio device is open");
    if (noDeviceMessage != nullptr)
        run.Check("standalone: the message about the missing audio device closes",
                  [&](Expectations& e)
                  {
                      PostMessageA(noDeviceMessage, WM_CLOSE, 0, 0);
                      for (DWORD waited = 0; waited < quitLimitMs && IsWindowVisible(noDeviceMessage);
                           waited += 100)
                          Sleep(100);
                      e.Expect(!IsWindowVisible(noDeviceMessage), "still shown");
                  });

    DWORD exitCode = STILL_ACTIVE;
    if (mainWindow != nullptr)
    {
        PostMessageA(mainWindow, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, quitLimitMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &exitCode);
    }
    run.Check("standalone: quits cleanly when its window is closed",
              [&](Expectations& e)
              {
                  e.Expect(exitCode != STILL_ACTIVE, "still running " + std::to_string(quitLimitMs) +
                                                         " ms after its window was closed");
                  e.Expect(exitCode == 0 || exitCode == STILL_ACTIVE, Describe("exit code", exitCode));
              });
    if (exitCode == STILL_ACTIVE)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace brumalux
