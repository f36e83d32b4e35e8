#pragma once

#include <string>
#include <vector>

namespace brumalux::render
{
// Where our own plug-in is looked for when no --plugin is given, in order: next to this tool's
// build, every folder of $VST_PATH, ~/.vst, /usr/local/lib/vst, /usr/lib/vst.
std::vector<std::string> DefaultPluginCandidates();

// The first candidate that exists; throws RenderError naming them all when none does.
std::string FindDefaultPlugin();
} // namespace brumalux::render
