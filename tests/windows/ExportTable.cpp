#include "ExportTable.h"

namespace brumalux
{

ExportTable ReadExportTable(HMODULE module)
{
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dosHeader = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* ntHeaders = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dosHeader->e_lfanew);
    const auto& directory = ntHeaders->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.Size == 0)
        return {};

    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    ExportTable table;
    table.numFunctions = exports->NumberOfFunctions;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        table.names.emplace_back(reinterpret_cast<const char*>(base + nameOffsets[i]));
    return table;
}

} // namespace brumalux
