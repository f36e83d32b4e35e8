#pragma once

#include <functional>

namespace brumalux
{

// Ctrl-C (SIGINT) and SIGTERM end the program from its message thread, as a quit from
// the desktop does: the handler only writes a byte to a pipe that JUCE's Linux event loop
// watches. One at a time; made and destroyed on the message thread.
class QuitSignals
{
public:
    explicit QuitSignals(std::function<void()> quitOnMessageThread);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    static void Handle(int signalNumber);
    void Drain();

    std::function<void()> quit;
    int pipeEnds[2] = {-1, -1};
};

} // namespace brumalux
