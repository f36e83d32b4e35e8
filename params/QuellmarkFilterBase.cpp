#include "QuellmarkFilterBase.h"

#include "LittleEndian.h"

namespace brumalux
{

QuellmarkFilterBase::QuellmarkFilterBase() = default;

QuellmarkFilterBase::~QuellmarkFilterBase() = default;

int QuellmarkFilterBase::GetNumParameters()
{
    return manager.GetNumParameters();
}

juce::String QuellmarkFilterBase::GetParameterName(int index)
{
    return manager.GetParameterName(index);
}

float QuellmarkFilterBase::GetNormalisedParameter(int index)
{
    return manager.GetNormalisedValue(index);
}

juce::String QuellmarkFilterBase::GetParameterText(int index)
{
    return manager.GetParameterText(index);
}

void QuellmarkFilterBase::SetNormalisedParameter(int index, float normalisedValue)
{
    manager.SetNormalisedValue(index, normalisedValue);
}

int QuellmarkFilterBase::GetNumPrograms()
{
    const std::lock_guard<std::mutex> lock(bankLock);
    return programStore.GetNumPrograms();
}

int QuellmarkFilterBase::GetCurrentProgram()
{
    const std::lock_guard<std::mutex> lock(bankLock);
    return currentProgram;
}

void QuellmarkFilterBase::SetCurrentProgram(int number)
{
    juce::BigInteger written;
    {
        const std::lock_guard<std::mutex> lock(bankLock);
        if (number >= programStore.GetNumPrograms() || number == currentProgram)
            return;
        programStore.CaptureProgram(currentProgram, manager);
        const auto* values = programStore.GetProgramValues(number);
        if (values == nullptr)
            return;
        written = manager.StoreValues(values->getData(), static_cast<int>(values->getSize()));
        currentProgram = number;
    }
    manager.ReportValues(written);
}

void QuellmarkFilterBase::LoadIntoCurrentProgram(const juce::String& name,
                                                 const std::vector<std::pair<int, float>>& values)
{
    juce::MemoryBlock block;
    for (int index = 0; index < manager.GetNumParameters(); ++index)
    {
        float value = manager.GetValue(index);
        for (const auto& [named, namedValue] : values)
            if (named == index)
                value = namedValue;
        LittleEndian::AppendFloat(block, value);
    }
    juce::BigInteger written;
    {
        const std::lock_guard<std::mutex> lock(bankLock);
        written = manager.StoreValues(block.getData(), static_cast<int>(block.getSize()));
        if (name.isNotEmpty())
            programStore.RenameProgram(currentProgram, name);
    }
    manager.ReportValues(written);
}

juce::String QuellmarkFilterBase::GetProgramName(int number)
{
    const std::lock_guard<std::mutex> lock(bankLock);
    return programStore.GetProgramName(number);
}

void QuellmarkFilterBase::ChangeProgramName(int number, const juce::String& name)
{
    const std::lock_guard<std::mutex> lock(bankLock);
    programStore.RenameProgram(number, name);
}

void QuellmarkFilterBase::SaveState(juce::MemoryBlock& destination)
{
    ProgramStore snapshot;
    {
        const std::lock_guard<std::mutex> lock(bankLock);
        programStore.CaptureProgram(currentProgram, manager);
        snapshot = programStore;
    }
    snapshot.WritePrograms(destination);
}

void QuellmarkFilterBase::LoadState(const void* data, int sizeInBytes)
{
    ProgramStore loaded;
    if (!loaded.ReadPrograms(data, sizeInBytes))
        return;
    juce::BigInteger written;
    bool applied = false;
    {
        const std::lock_guard<std::mutex> lock(bankLock);
        std::swap(programStore, loaded);
        if (const auto* values = programStore.GetProgramValues(currentProgram))
        {
            written = manager.StoreValues(values->getData(), static_cast<int>(values->getSize()));
            applied = true;
        }
    }
    if (applied)
        manager.ReportValues(written);
}

} // namespace brumalux
