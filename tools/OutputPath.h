#pragma once

#include <string>

namespace brumalux::render
{
// Refuses, before any work is done, a place the tool could not write a file to: a folder that does
// not exist, or a folder given as the file. Throws RenderError naming what was to be written.
void CheckOutputPath(const std::string& path, const std::string& what);
} // namespace brumalux::render
