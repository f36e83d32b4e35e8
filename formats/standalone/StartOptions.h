#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brumalux
{

// How the standalone program was asked to start.
struct StartOptions
{
    bool help = false;
    bool version = false;
    bool noGui = false;
    std::optional<int> program;
    std::optional<int> polyphony;
    std::string stateFile;
};

// A command line the program does not take; what() says why.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name, each option as "--name value" or "--name=value".
// Throws UsageError.
StartOptions ParseStartOptions(const std::vector<std::string>& arguments);

// --help's text, every option with its explanation.
std::string StartHelpText();
// The short word for a command line that was not understood.
std::string StartUsageText(const std::string& problem);

} // namespace brumalux
