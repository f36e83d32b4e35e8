// brumalux-lv2-bundle FOLDER: writes the LV2 bundle's description (its .ttl files) into FOLDER,
// from the organ's parameters and factory programs. The build runs it (through the cross
// compiler's emulator when it builds for another processor); what it writes is the same on every
// processor.

#include "Lv2Description.h"
#include "params/OrganParameterSet.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace brumalux
{

namespace
{
bool WriteFile(const std::string& folder, const char* name, const std::string& text)
{
    const auto path = folder + "/" + name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        std::fprintf(stderr, "brumalux-lv2-bundle: cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}
} // namespace

} // namespace brumalux

int main(int argc, char** argv)
{
    using namespace brumalux;
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: brumalux-lv2-bundle FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    OrganParameterSet organ;
    // The plug-in's description first: it reads the organ's values as a new instance has them.
    const bool written = WriteFile(folder, Lv2Description::pluginFile, Lv2Description::Plugin(organ)) &&
                         WriteFile(folder, Lv2Description::manifestFile, Lv2Description::Manifest(organ)) &&
                         WriteFile(folder, Lv2Description::editorFile, Lv2Description::Editor()) &&
                         WriteFile(folder, Lv2Description::presetsFile, Lv2Description::Presets(organ));
    return written ? 0 : 1;
}
