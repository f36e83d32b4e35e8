#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace brumalux
{

// Points HOME at a fresh empty folder for its lifetime, so that per-user files (settings,
// presets) are the test's own; the folder goes with it and HOME comes back. Plain C++, so
// that tests which load a plug-in as a host does can use it too.
class TemporaryHome
{
public:
    TemporaryHome()
    {
        if (const char* home = std::getenv("HOME"))
            previous = home;
        std::string pattern = (std::filesystem::temp_directory_path() / "brumalux-home-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            folder = pattern;
        ::setenv("HOME", folder.c_str(), 1);
    }
    ~TemporaryHome()
    {
        if (previous)
            ::setenv("HOME", previous->c_str(), 1);
        else
            ::unsetenv("HOME");
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(folder, ignored);
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& Folder() const noexcept { return folder; }

    // Writes a file under the home folder, creating its folders.
    void Write(const std::filesystem::path& relativePath, const std::string& text) const
    {
        const auto path = folder / relativePath;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

private:
    std::filesystem::path folder;
    std::optional<std::string> previous;
};

} // namespace brumalux
