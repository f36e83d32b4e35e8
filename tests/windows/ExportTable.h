#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace brumalux
{

// What any Windows host can find in a loaded module with GetProcAddress, read from its
// export directory: the exported names and the number of exported functions, which
// exceeds the names when something is exported by ordinal only.
struct ExportTable
{
    std::vector<std::string> names;
    DWORD numFunctions = 0;
};

ExportTable ReadExportTable(HMODULE module);

} // namespace brumalux
