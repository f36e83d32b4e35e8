#pragma once

#include <ostream>
#include <string>

namespace brumalux::vst2host
{
class PluginInstance;
}

namespace brumalux::render
{
using brumalux::vst2host::PluginInstance;

// A unique ID as the four characters it packs, first character in the top byte ("Zr4m").
std::string FourCharacters(int uniqueId);

// Names of the flags set in an effect record's flags field.
std::string FlagNames(int flags);

// What --list prints: identity, capabilities, parameters with their current texts, programs.
void PrintPluginReport(PluginInstance& plugin, const std::string& path, std::ostream& out);
} // namespace brumalux::render
