#include "tests/support/ProcessProbes.h"

#include <dirent.h>

#include <fstream>

namespace brumalux
{

int CountThreads()
{
    int count = 0;
    if (auto* directory = opendir("/proc/self/task"))
    {
        while (auto* entry = readdir(directory))
            count += entry->d_name[0] != '.' ? 1 : 0;
        closedir(directory);
    }
    return count;
}

bool IsMapped(const std::string& pathPart)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(pathPart) != std::string::npos)
            return true;
    return false;
}

} // namespace brumalux
