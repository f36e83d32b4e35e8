// Loads arbitrary bytes as a stored state, as a host may hand us from a damaged or
// foreign project. The load must stay inside the bytes and leave every parameter finite;
// a chunk that is not whole must change nothing and tell the host nothing, and one that
// is whole must bring every program it announces; the bank must then save, load and
// save again to the very same bytes.
#include "tests/params/TestOrganFilter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace brumalux
{

namespace
{
juce::MemoryBlock Save(QuellmarkFilterBase& filter)
{
    juce::MemoryBlock saved;
    filter.SaveState(saved);
    return saved;
}

juce::MemoryBlock LiveValues(TestOrganFilter& filter)
{
    juce::MemoryBlock values;
    filter.GetParameterManager().AppendValues(values);
    return values;
}

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}
} // namespace

} // namespace brumalux

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brumalux;
    const int sizeInBytes = static_cast<int>(std::min<size_t>(size, INT_MAX));
    TestOrganFilter filter;
    filter.SetCurrentProgram(2);
    filter.AttachHost();
    const auto bankBefore = Save(filter);
    const auto valuesBefore = LiveValues(filter);

    filter.LoadState(data, sizeInBytes);
    for (int index = 0; index < filter.GetNumParameters(); ++index)
        Check(std::isfinite(filter.GetParameterManager().GetValue(index)));

    ProgramStore whole;
    if (whole.ReadPrograms(data, sizeInBytes))
    {
        Check(filter.GetNumPrograms() == whole.GetNumPrograms());
        Check(filter.GetNumPrograms() == static_cast<int>(juce::ByteOrder::littleEndianInt(data)));
    }
    else
    {
        Check(Save(filter) == bankBefore);
        Check(LiveValues(filter) == valuesBefore);
        Check(filter.GetCurrentProgram() == 2);
        Check(filter.host.automation.empty());
    }

    const auto saved = Save(filter);
    ProgramStore reloaded;
    Check(reloaded.ReadPrograms(saved.getData(), static_cast<int>(saved.getSize())));
    Check(reloaded.GetNumPrograms() == filter.GetNumPrograms());
    juce::MemoryBlock savedAgain;
    reloaded.WritePrograms(savedAgain);
    Check(savedAgain == saved);
    return 0;
}
