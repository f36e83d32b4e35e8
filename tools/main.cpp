// brumalux-render: plays a MIDI file through a VST 2 instrument into a WAV file.

#include "tools/RenderJob.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <unistd.h>

namespace
{
std::atomic<bool> stopRequested{false};

// The render loop notices between blocks and removes its unfinished file; a second Ctrl-C kills
// at once, for a plug-in that hangs.
void RequestStop(int signalNumber)
{
    stopRequested.store(true);
    std::signal(signalNumber, SIG_DFL);
}
} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const brumalux::render::RenderEnvironment environment{std::cout, std::cerr, isatty(STDERR_FILENO) != 0,
                                                          &stopRequested};
    return brumalux::render::RunRenderCommand(arguments, environment);
}
