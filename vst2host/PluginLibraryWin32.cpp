// The library loader on Windows: LoadLibrary. GetProcAddress searches only the module itself.

#include <windows.h>

#include <string>

namespace brumalux::vst2host
{
void* OpenLibrary(const std::string& path, std::string& reason)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        reason = "LoadLibrary error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* FindOwnSymbol(void* handle, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

bool CloseLibrary(void* handle)
{
    return FreeLibrary(static_cast<HMODULE>(handle)) != FALSE;
}
} // namespace brumalux::vst2host
