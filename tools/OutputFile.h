#pragma once

#include <memory>
#include <string>

namespace juce
{
class OutputStream;
class TemporaryFile;
} // namespace juce

namespace brumalux::render
{
// A file the tool writes whole or not at all. A new or regular file is written under a hidden
// temporary name next to its place and renamed there by Commit, so a failed or interrupted run
// leaves nothing half-written and spoils no older file. Anything else already there (a device such
// as /dev/null, a pipe) is written in place: renaming over it would replace the device itself.
// Every failure carries the system's reason ("No space left on device").
class OutputFile
{
public:
    // `what` names the file in messages ("the WAV file"). Throws RenderError when the place cannot
    // be written.
    OutputFile(const std::string& path, const std::string& what);
    // Removes the temporary file unless committed.
    ~OutputFile();

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // A stream onto the file that may be handed to a writer that deletes it; this object must
    // outlive it.
    std::unique_ptr<juce::OutputStream> NewStream();
    // Throws RenderError with the reason of the first failed write or seek, if any.
    void ThrowIfFailed() const;
    // Flushes to the disk, closes, and renames the temporary file into place.
    void Commit();

    const std::string& Path() const { return path; }

private:
    class Stream;

    bool WriteAll(const void* data, size_t numBytes);
    void Fail(const std::string& reason);
    [[noreturn]] void Throw(const std::string& reason) const;

    std::string path, what;
    std::unique_ptr<juce::TemporaryFile> temporary; // null when written in place
    int descriptor = -1;
    std::string failure;
};
} // namespace brumalux::render
