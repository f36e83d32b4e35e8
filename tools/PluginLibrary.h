#pragma once

#include "host/Vst2Interface.h"

#include <string>

namespace render
{
// A plug-in's shared library, loaded as a DAW loads it, and its exported entry point.
// Unloaded when destroyed, so every instance made from it must be closed first.
class PluginLibrary
{
public:
    // Throws RenderError when the file is missing, cannot be loaded or exports no entry point.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& Path() const { return path; }
    vst2::PluginEntryProc Entry() const { return entry; }

private:
    std::string path;
    void* handle = nullptr;
    vst2::PluginEntryProc entry = nullptr;
};
} // namespace render
