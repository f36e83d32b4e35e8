#include "tools/OutputPath.h"

#include "tools/RenderError.h"

#include <filesystem>

namespace brumalux::render
{
void CheckOutputPath(const std::string& path, const std::string& what)
{
    const auto target = std::filesystem::absolute(path);
    std::error_code error;
    if (std::filesystem::is_directory(target, error))
        throw RenderError("cannot write " + what + " " + path + ": it is a folder");
    if (!std::filesystem::is_directory(target.parent_path(), error))
        throw RenderError("cannot write " + what + " " + path + ": the folder " +
                          target.parent_path().string() + " does not exist");
}
} // namespace brumalux::render
