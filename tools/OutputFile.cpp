#include "tools/OutputFile.h"

#include "tools/OutputPath.h"
#include "tools/RenderError.h"

#include <juce_core/juce_core.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace brumalux::render
{
namespace
{
std::string SystemReason()
{
    return std::strerror(errno);
}

bool IsSomethingElseThanAFile(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}
} // namespace

// Writes through to the descriptor: the WAV writer seeks back to finish its header, and every
// failure is recorded with its reason at once.
class OutputFile::Stream : public juce::OutputStream
{
public:
    explicit Stream(OutputFile& owner) : file(owner) {}

    void flush() override {}
    bool setPosition(juce::int64 newPosition) override
    {
        if (lseek(file.descriptor, static_cast<off_t>(newPosition), SEEK_SET) < 0)
        {
            file.Fail(SystemReason());
            return false;
        }
        position = newPosition;
        return true;
    }
    juce::int64 getPosition() override { return position; }
    bool write(const void* data, size_t numBytes) override
    {
        if (!file.WriteAll(data, numBytes))
            return false;
        position += static_cast<juce::int64>(numBytes);
        return true;
    }

private:
    OutputFile& file;
    juce::int64 position = 0;
};

OutputFile::OutputFile(const std::string& pathToWrite, const std::string& whatIsWritten)
    : path(pathToWrite),
      what(whatIsWritten)
{
    CheckOutputPath(path, what);
    const juce::File target = juce::File::getCurrentWorkingDirectory().getChildFile(path);
    int flags = O_WRONLY | O_CLOEXEC;
    std::string opened = target.getFullPathName().toStdString();
    if (!IsSomethingElseThanAFile(opened))
    {
        temporary = std::make_unique<juce::TemporaryFile>(target, juce::TemporaryFile::useHiddenFile);
        opened = temporary->getFile().getFullPathName().toStdString();
        flags |= O_CREAT | O_TRUNC | O_EXCL;
    }
    descriptor = open(opened.c_str(), flags, 0644);
    if (descriptor < 0)
        Throw(SystemReason());
}

OutputFile::~OutputFile()
{
    if (descriptor >= 0)
        close(descriptor);
}

std::unique_ptr<juce::OutputStream> OutputFile::NewStream()
{
    return std::make_unique<Stream>(*this);
}

bool OutputFile::WriteAll(const void* data, size_t numBytes)
{
    // A full disk first takes part of a write and refuses only the next one, with the reason.
    const auto* bytes = static_cast<const char*>(data);
    while (numBytes > 0 && failure.empty())
    {
        const auto written = ::write(descriptor, bytes, numBytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            Fail(SystemReason());
        else
        {
            bytes += written;
            numBytes -= static_cast<size_t>(written);
        }
    }
    return failure.empty();
}

void OutputFile::Fail(const std::string& reason)
{
    if (failure.empty())
        failure = reason;
}

void OutputFile::Throw(const std::string& reason) const
{
    throw RenderError("cannot write " + what + " " + path + ": " + reason);
}

void OutputFile::ThrowIfFailed() const
{
    if (!failure.empty())
        Throw(failure);
}

void OutputFile::Commit()
{
    ThrowIfFailed();
    // Devices and pipes cannot be synced; their data is theirs once written.
    if (temporary != nullptr && fsync(descriptor) != 0)
        Throw(SystemReason());
    const int closed = close(descriptor);
    descriptor = -1;
    if (closed != 0)
        Throw(SystemReason());
    if (temporary != nullptr && !temporary->overwriteTargetFileWithTemporary())
        Throw("cannot move the finished file into place");
}
} // namespace brumalux::render
