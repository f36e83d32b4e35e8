#include "QuellmarkFilterBase.h"

#include "FactoryPrograms.h"
#include "LittleEndian.h"

namespace brumalux
{

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

void QuellmarkFilterBase::SelectFactoryProgram(int number)
{
    if (number < 0 || number >= NumFactoryPrograms())
        return;
    SetCurrentProgram(number);
    LoadFactoryProgram(*this, number);
}

void QuellmarkFilterBase::SelectProgramFromMidi(int number)
{
    juce::BigInteger written;
    if (SwitchProgram(number, written))
        switchedByMidi.store(true, std::memory_order_release);
}

void QuellmarkFilterBase::DeliverPendingChanges()
{
    manager.AnnounceStoredValues();
    if (!switchedByMidi.exchange(false, std::memory_order_acquire))
        return;
    juce::BigInteger everyParameter;
    everyParameter.setRange(0, manager.GetNumParameters(), true);
    manager.ReportValues(everyParameter);
    TellHostProgramChanged();
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
    int selected = 0;
    {
        const std::lock_guard<std::mutex> lock(bankLock);
        programStore.CaptureProgram(currentProgram, manager);
        snapshot = programStore;
        selected = currentProgram;
    }
    snapshot.WritePrograms(destination);

    SettingsBlock settings;
    const bool selectedIsStored = selected >= 0 && selected < snapshot.GetNumPrograms();
    if (selectedIsStored)
        settings.AddInt32(selectedProgramKey, selected);
    const auto entriesBefore = settings.GetNumEntries();
    WriteSettings(settings);
    // The first program with default settings needs no block: the chunk stays the bank
    // alone, as builds that knew no block wrote it.
    if ((selectedIsStored && selected != 0) || settings.GetNumEntries() > entriesBefore)
        settings.AppendTo(destination);
}

bool QuellmarkFilterBase::ReadSelectedProgram(const SettingsBlock& settings, int numPrograms,
                                              std::optional<int>& selected)
{
    const auto* value = settings.Find(selectedProgramKey);
    if (value == nullptr)
        return true;
    int32_t number = 0;
    if (!SettingsBlock::ReadInt32(*value, number) || number < 0 || number >= numPrograms)
        return false;
    selected = number;
    return true;
}

void QuellmarkFilterBase::LoadState(const void* data, int sizeInBytes)
{
    TryLoadState(data, sizeInBytes);
}

bool QuellmarkFilterBase::TryLoadState(const void* data, int sizeInBytes)
{
    // Everything is parsed and checked before anything changes.
    ProgramStore loaded;
    size_t programsEnd = 0;
    if (!loaded.ReadPrograms(data, sizeInBytes, &programsEnd))
        return false;
    SettingsBlock settings;
    const auto* afterPrograms = static_cast<const uint8_t*>(data) + programsEnd;
    if (settings.Read(afterPrograms, static_cast<size_t>(sizeInBytes) - programsEnd) ==
        SettingsBlock::Reading::damaged)
        return false;
    std::optional<int> selected;
    PendingSettings applySettings;
    if (!ReadSelectedProgram(settings, loaded.GetNumPrograms(), selected) ||
        !ParseSettings(settings, applySettings))
        return false;

    juce::BigInteger written;
    bool applied = false;
    {
        const std::lock_guard<std::mutex> lock(bankLock);
        std::swap(programStore, loaded);
        currentProgram = selected.value_or(currentProgram);
        if (const auto* values = programStore.GetProgramValues(currentProgram))
        {
            written = manager.StoreValues(values->getData(), static_cast<int>(values->getSize()));
            applied = true;
        }
    }
    if (applied)
        manager.ReportValues(written);
    if (applySettings)
        applySettings();
    return true;
}

} // namespace brumalux
