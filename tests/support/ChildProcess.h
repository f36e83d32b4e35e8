#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace brumalux
{

// A child process with its own environment changes ("NAME=value" sets, a bare "NAME"
// removes), and its standard output and error in files when a folder is given for them;
// killed if still running at the end.
class ChildProcess
{
public:
    ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                 const std::filesystem::path& outputFolder = {})
    {
        pid = fork();
        if (pid != 0)
            return;
        for (const auto& change : environment)
            if (change.find('=') == std::string::npos)
                unsetenv(change.c_str());
            else
                putenv(const_cast<char*>(change.c_str()));
        if (!outputFolder.empty())
        {
            RedirectTo(outputFolder / "stdout", STDOUT_FILENO);
            RedirectTo(outputFolder / "stderr", STDERR_FILENO);
        }
        std::vector<char*> arguments;
        for (const auto& argument : command)
            arguments.push_back(const_cast<char*>(argument.c_str()));
        arguments.push_back(nullptr);
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    ~ChildProcess()
    {
        if (pid > 0 && !exited)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status (128 + the signal for a process a signal ended), or -1 while it
    // still runs after timeout.
    int WaitForExit(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        do
        {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
            {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < deadline);
        return -1;
    }
    bool Running() { return WaitForExit(std::chrono::milliseconds(0)) == -1; }
    void Terminate() { kill(pid, SIGTERM); }

private:
    static void RedirectTo(const std::filesystem::path& file, int stream)
    {
        const int descriptor = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (descriptor >= 0)
            dup2(descriptor, stream);
    }

    pid_t pid = -1;
    bool exited = false;
};

inline bool OnPath(const std::string& program)
{
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

} // namespace brumalux
