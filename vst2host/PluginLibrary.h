#pragma once

#include "host/Vst2Interface.h"

#include <string>

namespace brumalux::vst2host
{
// A plug-in's shared library (a .so with dlopen, a DLL with LoadLibrary), loaded as a DAW loads it,
// and its exported entry point. Unloaded when destroyed, so every instance made from it must be
// closed first. Load and unload on one thread; entry points may then be called from any.
class PluginLibrary
{
public:
    // Never throws: Error() says why a library did not load or exports no entry point.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loaded and exporting VSTPluginMain or main.
    bool IsLoaded() const { return handle != nullptr && Entry() != nullptr; }
    // A sentence for the user, naming the file: empty while loaded.
    const std::string& Error() const { return error; }
    // The absolute path the library was loaded from.
    const std::string& Path() const { return path; }

    // VSTPluginMain, else main, as hosts look for them; null when neither is exported.
    vst2::PluginEntryProc Entry() const;
    // The library's own export of that name; null when it has none (a name found only in a
    // library it depends on is not its entry point).
    vst2::PluginEntryProc Entry(const char* name) const;

    // Unloads now; false when the system refused. Entry points are gone afterwards.
    bool Unload();
    // The system's handle (HMODULE on Windows, the dlopen handle elsewhere); null once unloaded.
    void* NativeHandle() const { return handle; }

private:
    std::string path;
    std::string error;
    void* handle = nullptr;
};
} // namespace brumalux::vst2host
