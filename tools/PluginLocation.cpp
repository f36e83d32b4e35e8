#include "tools/PluginLocation.h"

#include "tools/RenderError.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace brumalux::render
{
namespace
{
constexpr const char* kPluginFileName = "brumalux.so";

// The plug-in of the build this tool belongs to: build/brumalux.so, beside build/tools/.
// An installed tool finds none there and goes on to the folders hosts search.
std::string BuildFolderPlugin()
{
    std::error_code error;
    const auto tool = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : (tool.parent_path().parent_path() / kPluginFileName).string();
}
} // namespace

std::vector<std::string> DefaultPluginCandidates()
{
    std::vector<std::string> candidates{BuildFolderPlugin()};
    if (const char* vstPath = std::getenv("VST_PATH"))
    {
        std::istringstream folders(vstPath);
        for (std::string folder; std::getline(folders, folder, ':');)
            if (!folder.empty())
                candidates.push_back((std::filesystem::path(folder) / kPluginFileName).string());
    }
    if (const char* home = std::getenv("HOME"))
        candidates.push_back((std::filesystem::path(home) / ".vst" / kPluginFileName).string());
    candidates.push_back(std::string("/usr/local/lib/vst/") + kPluginFileName);
    candidates.push_back(std::string("/usr/lib/vst/") + kPluginFileName); // the Debian package's
    return candidates;
}

std::string FindDefaultPlugin()
{
    std::string tried;
    for (const auto& candidate : DefaultPluginCandidates())
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
        tried += "\n  " + candidate;
    }
    throw RenderError("no --plugin given and Brumalux is not built or installed; looked for:" + tried);
}
} // namespace brumalux::render
