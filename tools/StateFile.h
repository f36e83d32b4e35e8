#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brumalux::render
{
// A plug-in's state chunk as a file of its bare bytes, the form a plug-in hands a host.
// Throws RenderError for a missing or empty file.
std::vector<uint8_t> ReadStateFile(const std::string& path);

// Written whole or not at all (see OutputFile); throws RenderError when it cannot be.
void WriteStateFile(const std::string& path, const std::vector<uint8_t>& state);
} // namespace brumalux::render
