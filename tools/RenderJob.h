#pragma once

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace brumalux::render
{
// What a run of the tool talks to besides its arguments.
struct RenderEnvironment
{
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;                       // progress is shown only to a person watching
    const std::atomic<bool>* stopRequested = nullptr; // set from a signal handler to abandon a render
    std::chrono::steady_clock::time_point (*now)() = &std::chrono::steady_clock::now;
};

enum ExitCode
{
    kExitDone = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitInterrupted = 130,
};

// Runs the whole tool for one command line (without the program name); answers the exit code.
int RunRenderCommand(const std::vector<std::string>& arguments, const RenderEnvironment& environment);
} // namespace brumalux::render
