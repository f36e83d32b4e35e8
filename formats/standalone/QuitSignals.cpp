#include "QuitSignals.h"

#include <juce_events/juce_events.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace brumalux
{

namespace
{
volatile std::sig_atomic_t signalPipe = -1;
constexpr int quitSignals[] = {SIGINT, SIGTERM};

void SetHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : quitSignals)
        sigaction(signalNumber, &action, nullptr);
}
} // namespace

QuitSignals::QuitSignals(std::function<void()> quitOnMessageThread) : quit(std::move(quitOnMessageThread))
{
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalPipe = pipeEnds[1];
    juce::LinuxEventLoop::registerFdCallback(pipeEnds[0], [this](int) { Drain(); });
    SetHandler(&Handle);
}

QuitSignals::~QuitSignals()
{
    if (pipeEnds[0] < 0)
        return;
    SetHandler(SIG_DFL);
    signalPipe = -1;
    juce::LinuxEventLoop::unregisterFdCallback(pipeEnds[0]);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

void QuitSignals::Handle(int)
{
    if (signalPipe < 0)
        return;
    const char byte = 'q';
    [[maybe_unused]] const auto written = write(signalPipe, &byte, 1);
}

void QuitSignals::Drain()
{
    char bytes[16];
    while (read(pipeEnds[0], bytes, sizeof(bytes)) > 0)
    {
    }
    quit();
}

} // namespace brumalux
