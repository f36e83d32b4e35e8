#pragma once

// Counts the calls of malloc, calloc and realloc that the calling thread makes while it counts,
// wherever they come from (JUCE's buffers call malloc directly; a plug-in binary's calls reach
// the process's malloc too). Link CountedMalloc.cpp into a test binary of its own: it replaces
// malloc for the whole process. Sanitizer builds replace malloc themselves; there it counts
// nothing and Available() is false.
namespace brumalux::CountedMalloc
{
bool Available();
// Starts counting on this thread from zero.
void Start();
// Stops counting on this thread and answers the count.
int Stop();
} // namespace brumalux::CountedMalloc
