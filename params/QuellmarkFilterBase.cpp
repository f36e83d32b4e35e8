#include "QuellmarkFilterBase.h"

namespace brumalux
{

QuellmarkFilterBase::QuellmarkFilterBase()
{
    // Without a message loop (a filter built bare, as in unit tests) nobody is there to tell.
    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        startTimer(midiSwitchPollMs);
}

QuellmarkFilterBase::~QuellmarkFilterBase()
{
    stopTimer();
}

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

bool QuellmarkFilterBase::SwitchProgram(int number, juce::BigInteger& written)
{
    const std::lock_guard<std::mutex> lock(bankLock);
    if (number >= programStore.GetNumPrograms() || number == currentProgram)
        return false;
    programStore.CaptureProgram(currentProgram, manager);
    const auto* values = programStore.GetProgramValues(number);
    if (values == nullptr)
        return false;
    written = manager.StoreValues(values->getData(), static_cast<int>(values->getSize()));
    currentProgram = number;
    return true;
}

void QuellmarkFilterBase::SetCurrentProgram(int number)
{
    juce::BigInteger written;
    if (SwitchProgram(number, written))
        manager.ReportValues(written);
}

void QuellmarkFilterBase::SelectProgramFromMidi(int number)
{
    juce::BigInteger written;
    if (SwitchProgram(number, written))
        switchedByMidi.store(true, std::memory_order_release);
}

void QuellmarkFilterBase::timerCallback()
{
    if (!switchedByMidi.exchange(false, std::memory_order_acquire))
        return;
    juce::BigInteger everyParameter;
    everyParameter.setRange(0, manager.GetNumParameters(), true);
    manager.ReportValues(everyParameter);
    TellHostProgramChanged();
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
