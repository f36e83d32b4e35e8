#include "vst2host/PluginLibrary.h"

#include <filesystem>
#include <system_error>

namespace brumalux::vst2host
{
// Defined per system: PluginLibraryPosix.cpp, PluginLibraryWin32.cpp.
void* OpenLibrary(const std::string& path, std::string& reason);
void* FindOwnSymbol(void* handle, const char* name);
bool CloseLibrary(void* handle);

PluginLibrary::PluginLibrary(const std::string& requestedPath) : path(requestedPath)
{
    std::error_code failure;
    if (!std::filesystem::is_regular_file(requestedPath, failure))
    {
        error = "plug-in not found: " + requestedPath;
        return;
    }
    // An absolute path keeps the loader from searching its library path for a bare file name.
    path = std::filesystem::absolute(requestedPath).lexically_normal().string();
    std::string reason;
    handle = OpenLibrary(path, reason);
    if (handle == nullptr)
        error = "cannot load the plug-in " + path + ": " + (reason.empty() ? "unknown reason" : reason);
    else if (Entry() == nullptr)
        error = path + " is not a VST 2 plug-in: it exports neither VSTPluginMain nor main";
}

PluginLibrary::~PluginLibrary()
{
    Unload();
}

vst2::PluginEntryProc PluginLibrary::Entry() const
{
    const auto entry = Entry("VSTPluginMain");
    return entry != nullptr ? entry : Entry("main");
}

vst2::PluginEntryProc PluginLibrary::Entry(const char* name) const
{
    if (handle == nullptr)
        return nullptr;
    return reinterpret_cast<vst2::PluginEntryProc>(FindOwnSymbol(handle, name));
}

bool PluginLibrary::Unload()
{
    if (handle == nullptr)
        return true;
    const bool closed = CloseLibrary(handle);
    handle = nullptr;
    return closed;
}
} // namespace brumalux::vst2host
