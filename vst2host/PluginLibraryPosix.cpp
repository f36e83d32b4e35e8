// The library loader on Linux: dlopen.

#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>

namespace brumalux::vst2host
{
void* OpenLibrary(const std::string& path, std::string& reason)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* message = dlerror();
        reason = message != nullptr ? message : "";
    }
    return handle;
}

// dlsym on a library handle also searches what the library depends on; an entry point that lives
// elsewhere (the C library's or our own program's main) is not the plug-in's.
void* FindOwnSymbol(void* handle, const char* name)
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

bool CloseLibrary(void* handle)
{
    return dlclose(handle) == 0;
}
} // namespace brumalux::vst2host
