#pragma once

#include <string>

namespace brumalux
{

// Threads of this process right now (entries of /proc/self/task).
int CountThreads();
// Whether a library whose path contains this text is mapped into the process.
bool IsMapped(const std::string& pathPart);

} // namespace brumalux
