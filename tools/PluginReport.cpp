#include "tools/PluginReport.h"

#include "tools/PluginInstance.h"

#include <iomanip>
#include <sstream>
#include <utility>

namespace render
{
std::string FourCharacters(int uniqueId)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((static_cast<unsigned>(uniqueId) >> shift) & 0xff);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

std::string FlagNames(int flags)
{
    static const std::pair<int, const char*> names[] = {
        {vst2::effFlagsHasEditor, "has editor"},
        {vst2::effFlagsHasClip, "has clip"},
        {vst2::effFlagsHasVu, "has VU"},
        {vst2::effFlagsCanMono, "can mono"},
        {vst2::effFlagsCanReplacing, "can replacing"},
        {vst2::effFlagsProgramChunks, "programs are chunks"},
        {vst2::effFlagsIsSynth, "is synth"},
        {vst2::effFlagsNoSoundInStop, "no sound in stop"},
    };
    std::string text;
    for (const auto& [flag, name] : names)
        if ((flags & flag) != 0)
            text += (text.empty() ? "" : ", ") + std::string(name);
    return text.empty() ? "none" : text;
}

namespace
{
std::string CategoryName(int category)
{
    switch (category)
    {
        case vst2::kPlugCategEffect:
            return "effect";
        case vst2::kPlugCategSynth:
            return "synth";
        case vst2::kPlugCategUnknown:
            return "unknown";
        default:
            return "other";
    }
}

void PrintIdentity(PluginInstance& plugin, const std::string& path, std::ostream& out)
{
    const int id = plugin.UniqueId();
    std::ostringstream hexId;
    hexId << "0x" << std::uppercase << std::hex << std::setw(8) << std::setfill('0')
          << static_cast<unsigned>(id);
    out << "Plug-in:     " << path << "\n"
        << "Effect name: " << plugin.EffectName() << "\n"
        << "Vendor:      " << plugin.VendorString() << "\n"
        << "Product:     " << plugin.ProductString() << "\n"
        << "Version:     " << plugin.VendorVersion() << " (VST " << plugin.VstVersion() << ")\n"
        << "Unique ID:   " << FourCharacters(id) << " (" << hexId.str() << ")\n"
        << "Category:    " << plugin.Category() << " (" << CategoryName(plugin.Category()) << ")\n"
        << "Channels:    " << plugin.NumInputs() << " in, " << plugin.NumOutputs() << " out\n"
        << "Flags:       " << plugin.Flags() << " (" << FlagNames(plugin.Flags()) << ")\n";
}

void PrintParameters(PluginInstance& plugin, std::ostream& out)
{
    out << "\nParameters (" << plugin.NumParameters() << "): index, name, value\n";
    for (int index = 0; index < plugin.NumParameters(); ++index)
    {
        const std::string label = plugin.ParameterLabel(index);
        out << std::setw(5) << index << "  " << std::left << std::setw(10) << plugin.ParameterName(index)
            << std::right << plugin.ParameterDisplay(index) << (label.empty() ? "" : " " + label) << "\n";
    }
}

void PrintPrograms(PluginInstance& plugin, std::ostream& out)
{
    const int current = plugin.CurrentProgram();
    out << "\nPrograms (" << plugin.NumPrograms() << "), * marks the current one:\n";
    for (int index = 0; index < plugin.NumPrograms(); ++index)
        out << (index == current ? "  * " : "    ") << std::setw(3) << index << "  "
            << plugin.ProgramName(index) << "\n";
}
} // namespace

void PrintPluginReport(PluginInstance& plugin, const std::string& path, std::ostream& out)
{
    PrintIdentity(plugin, path, out);
    PrintParameters(plugin, out);
    PrintPrograms(plugin, out);
}
} // namespace render
