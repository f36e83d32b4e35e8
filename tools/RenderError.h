#pragma once

#include <stdexcept>
#include <string>

namespace brumalux::render
{
// A failure the user can act on: the message is printed as it stands and the tool exits non-zero.
struct RenderError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// A mistake on the command line: printed with a hint to --help, exit code 2.
struct UsageError : RenderError
{
    using RenderError::RenderError;
};

// The user asked to stop (Ctrl-C): exit code 130, like a shell reports it.
struct Interrupted : RenderError
{
    Interrupted() : RenderError("interrupted") {}
};
} // namespace brumalux::render
