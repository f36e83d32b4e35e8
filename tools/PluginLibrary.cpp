#include "tools/PluginLibrary.h"

#include "tools/RenderError.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <system_error>

namespace render
{
namespace
{
// dlsym on a library handle also searches what the library depends on; an entry point that
// lives elsewhere (the C library's or our own program's main) is not the plug-in's.
void* SymbolOfLibrary(void* handle, const char* name)
{
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr)
        return nullptr;
    Dl_info symbolInfo{};
    link_map* library = nullptr;
    if (dladdr(symbol, &symbolInfo) == 0 || symbolInfo.dli_fname == nullptr ||
        dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 || library == nullptr)
        return nullptr;
    return std::strcmp(symbolInfo.dli_fname, library->l_name) == 0 ? symbol : nullptr;
}
} // namespace

PluginLibrary::PluginLibrary(const std::string& requestedPath)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(requestedPath, error))
        throw RenderError("plug-in not found: " + requestedPath);
    // An absolute path keeps dlopen from searching the library path for a bare file name.
    path = std::filesystem::absolute(requestedPath).lexically_normal().string();

    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* reason = dlerror();
        throw RenderError("cannot load the plug-in " + path + ": " +
                          (reason != nullptr ? reason : "unknown reason"));
    }
    void* symbol = SymbolOfLibrary(handle, "VSTPluginMain");
    if (symbol == nullptr)
        symbol = SymbolOfLibrary(handle, "main");
    if (symbol == nullptr)
    {
        dlclose(handle);
        throw RenderError(path + " is not a VST 2 plug-in: it exports neither VSTPluginMain nor main");
    }
    entry = reinterpret_cast<vst2::PluginEntryProc>(symbol);
}

PluginLibrary::~PluginLibrary()
{
    dlclose(handle);
}
} // namespace render
