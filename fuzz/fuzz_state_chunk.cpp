// Loads arbitrary bytes as a stored state, as a host may hand us from a damaged or
// foreign project. The load must stay inside the bytes and leave every parameter finite;
// a chunk that is not whole (a damaged bank, or bytes after it that are not one whole
// settings block) must change nothing and tell the host nothing, and one that loads must
// bring every program it announces and select the program it stored; the bank must then
// save, load and save again to the very same bytes, followed by nothing or a whole block.
#include "fuzz/FuzzCheck.h"
#include "params/SettingsBlock.h"
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
    size_t programsEnd = 0;
    SettingsBlock settings;
    const bool wellFormed =
        whole.ReadPrograms(data, sizeInBytes, &programsEnd) &&
        settings.Read(data + programsEnd, static_cast<size_t>(sizeInBytes) - programsEnd) !=
            SettingsBlock::Reading::damaged;
    const bool untouched = Save(filter) == bankBefore && LiveValues(filter) == valuesBefore &&
                           filter.GetCurrentProgram() == 2 && filter.host.automation.empty();
    const auto* selected = settings.Find("PROG");
    Check(wellFormed || untouched);
    if (wellFormed && selected == nullptr)
        Check(filter.GetNumPrograms() == whole.GetNumPrograms());
    if (!untouched)
    {
        Check(filter.GetNumPrograms() == whole.GetNumPrograms());
        Check(filter.GetNumPrograms() == static_cast<int>(juce::ByteOrder::littleEndianInt(data)));
        int32_t number = 0;
        if (selected != nullptr)
            Check(SettingsBlock::ReadInt32(*selected, number) && filter.GetCurrentProgram() == number);
    }

    const auto saved = Save(filter);
    ProgramStore reloaded;
    size_t savedProgramsEnd = 0;
    Check(reloaded.ReadPrograms(saved.getData(), static_cast<int>(saved.getSize()), &savedProgramsEnd));
    Check(reloaded.GetNumPrograms() == filter.GetNumPrograms());
    SettingsBlock savedSettings;
    Check(savedSettings.Read(saved.begin() + savedProgramsEnd, saved.getSize() - savedProgramsEnd) !=
          SettingsBlock::Reading::damaged);
    juce::MemoryBlock savedAgain;
    reloaded.WritePrograms(savedAgain);
    Check(savedAgain == juce::MemoryBlock(saved.getData(), savedProgramsEnd));
    return 0;
}
