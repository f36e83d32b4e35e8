// Loads arbitrary bytes as a stored state, as a host may hand us from a damaged or
// foreign project. The load must stay inside the bytes, leave every parameter finite, and
// leave a bank that saves, loads and saves again to the very same bytes.
#include "tests/params/TestOrganFilter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TestOrganFilter filter;
    filter.LoadState(data, static_cast<int>(std::min<size_t>(size, INT_MAX)));
    for (int index = 0; index < filter.GetNumParameters(); ++index)
        if (!std::isfinite(filter.GetParameterManager().GetValue(index)))
            __builtin_trap();

    juce::MemoryBlock saved;
    filter.SaveState(saved);
    ProgramStore reloaded;
    reloaded.ReadPrograms(saved.getData(), static_cast<int>(saved.getSize()));
    if (reloaded.GetNumPrograms() != filter.GetNumPrograms())
        __builtin_trap();
    juce::MemoryBlock savedAgain;
    reloaded.WritePrograms(savedAgain);
    if (savedAgain != saved)
        __builtin_trap();
    return 0;
}
