#include "tools/PluginReport.h"

#include "vst2host/PluginInstance.h"

#include <iomanip>
#include <sstream>
#include <utility>

namespace brumalux::render
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
    const int id = plugin.Effect()->uniqueID;
    std::ostringstream hexId;
    hexId << "0x" << std::uppercase << std::hex << std::setw(8) << std::setfill('0')
          << static_cast<unsigned>(id);
    out << "Plug-in:     " << path << "\n"
        << "Effect name: " << plugin.Text(vst2::effGetEffectName) << "\n"
        << "Vendor:      " << plugin.Text(vst2::effGetVendorString) << "\n"
        << "Product:     " << plugin.Text(vst2::effGetProductString) << "\n"
        << "Version:     " << plugin.Dispatch(vst2::effGetVendorVersion) << " (VST "
        << plugin.Dispatch(vst2::effGetVstVersion) << ")\n"
        << "Unique ID:   " << FourCharacters(id) << " (" << hexId.str() << ")\n"
        << "Category:    " << plugin.Category() << " (" << CategoryName(plugin.Category()) << ")\n"
        << "Channels:    " << plugin.Effect()->numInputs << " in, " << plugin.Effect()->numOutputs << " out\n"
        << "Flags:       " << plugin.Effect()->flags << " (" << FlagNames(plugin.Effect()->flags) << ")\n";
}

void PrintParameters(PluginInstance& plugin, std::ostream& out)
{
    out << "\nParameters (" << plugin.Effect()->numParams << "): index, name, value\n";
    for (int index = 0; index < plugin.Effect()->numParams; ++index)
    {
        const std::string label = plugin.Text(vst2::effGetParamLabel, index);
        out << std::setw(5) << index << "  " << std::left << std::setw(10)
            << plugin.Text(vst2::effGetParamName, index) << std::right
            << plugin.Text(vst2::effGetParamDisplay, index) << (label.empty() ? "" : " " + label) << "\n";
    }
}

void PrintPrograms(PluginInstance& plugin, std::ostream& out)
{
    const int current = plugin.CurrentProgram();
    out << "\nPrograms (" << plugin.Effect()->numPrograms << "), * marks the current one:\n";
    for (int index = 0; index < plugin.Effect()->numPrograms; ++index)
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
} // namespace brumalux::render
