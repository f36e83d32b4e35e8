#include "PluginParameterManager.h"

#include "LittleEndian.h"

#include "framework/AudioFilterBase.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace brumalux
{

namespace
{
constexpr auto unknownParameterName = "Unknown Parameter";

// printf's "%.9g" of the value widened to double, always with a "." decimal point:
// std::to_chars ignores the process locale, which a host may have set to one that
// writes decimal commas.
juce::String FormatParameterValue(float value)
{
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof(text), static_cast<double>(value), std::chars_format::general, 9);
    return juce::String(text, static_cast<size_t>(result.ptr - text));
}
} // namespace

PluginParameterManager::PluginParameterManager(AudioFilterBase& ownerFilter) : owner(ownerFilter) {}

PluginParameterManager::~PluginParameterManager() = default;

void PluginParameterManager::SetParameterCount(int count)
{
    records.clear();
    for (int index = 0; index < count; ++index)
        records.push_back(std::make_unique<ParameterRecord>());
}

void PluginParameterManager::AddRangedParameter(int index, std::atomic<float>* target,
                                                const juce::String& name, float minimum, float maximum)
{
    if (index < 0 || index >= GetNumParameters())
        return;
    jassert(minimum < maximum);
    auto& record = *records[static_cast<size_t>(index)];
    record.target = target;
    record.name = name;
    record.minimum = minimum;
    record.maximum = maximum;
}

void PluginParameterManager::AddParameter(int index, std::atomic<float>* target, const juce::String& name)
{
    AddRangedParameter(index, target, name, 0.0f, 1.0f);
}

int PluginParameterManager::GetNumParameters() const noexcept
{
    return static_cast<int>(records.size());
}

const ParameterRecord* PluginParameterManager::FindRecord(int index) const noexcept
{
    if (index < 0 || index >= GetNumParameters())
        return nullptr;
    const auto* record = records[static_cast<size_t>(index)].get();
    return record->target != nullptr ? record : nullptr;
}

juce::String PluginParameterManager::GetParameterName(int index) const
{
    const auto* record = FindRecord(index);
    return record != nullptr ? record->name : juce::String(unknownParameterName);
}

juce::String PluginParameterManager::GetParameterText(int index) const
{
    const auto* record = FindRecord(index);
    return record != nullptr ? FormatParameterValue(record->target->load(std::memory_order_relaxed))
                             : juce::String(unknownParameterName);
}

juce::String PluginParameterManager::FormatValue(float value)
{
    return FormatParameterValue(value);
}

juce::String PluginParameterManager::GetParameterTextFor(int index, float normalisedValue) const
{
    return FindRecord(index) != nullptr ? FormatParameterValue(ValueFor(index, normalisedValue))
                                        : juce::String(unknownParameterName);
}

float PluginParameterManager::ValueFor(int index, float normalisedValue) const noexcept
{
    const auto* record = FindRecord(index);
    return record != nullptr ? record->ValueFromNormalised(normalisedValue) : 0.0f;
}

float PluginParameterManager::NormalisedFor(int index, float value) const noexcept
{
    const auto* record = FindRecord(index);
    return record != nullptr ? record->NormalisedFromValue(value) : 0.0f;
}

float PluginParameterManager::GetValue(int index) const noexcept
{
    const auto* record = FindRecord(index);
    return record != nullptr ? record->target->load(std::memory_order_relaxed) : 0.0f;
}

float PluginParameterManager::GetNormalisedValue(int index) const noexcept
{
    const auto* record = FindRecord(index);
    return record != nullptr ? record->NormalisedFromValue(record->target->load(std::memory_order_relaxed))
                             : 0.0f;
}

bool PluginParameterManager::StoreIfFinite(const ParameterRecord& record, float value)
{
    if (!std::isfinite(value))
        return false;
    record.target->store(value, std::memory_order_relaxed);
    sendChangeMessage();
    return true;
}

void PluginParameterManager::SetNormalisedValue(int index, float normalisedValue)
{
    if (const auto* record = FindRecord(index))
        StoreIfFinite(*record, record->ValueFromNormalised(normalisedValue));
}

void PluginParameterManager::StoreNormalisedValue(int index, float normalisedValue) noexcept
{
    const auto* record = FindRecord(index);
    if (record == nullptr)
        return;
    const float value = record->ValueFromNormalised(normalisedValue);
    if (std::isfinite(value))
        record->target->store(value, std::memory_order_relaxed);
}

void PluginParameterManager::StoreValueAndAnnounceLater(int index, float value) noexcept
{
    const auto* record = FindRecord(index);
    if (record == nullptr || !std::isfinite(value))
        return;
    record->target->store(value, std::memory_order_relaxed);
    storedSinceAnnounced.store(true, std::memory_order_release);
}

void PluginParameterManager::AnnounceStoredValues()
{
    if (storedSinceAnnounced.exchange(false, std::memory_order_acquire))
        sendChangeMessage();
}

void PluginParameterManager::StoreAndReportToHost(int index, const ParameterRecord& record, float value)
{
    if (StoreIfFinite(record, value))
        owner.SetParameterAndTellHost(index, record.NormalisedFromValue(value));
}

void PluginParameterManager::SetValueNotifyingHost(int index, float value)
{
    if (const auto* record = FindRecord(index))
        StoreAndReportToHost(index, *record, value);
}

void PluginParameterManager::BeginGesture(int index)
{
    if (FindRecord(index) != nullptr)
        owner.BeginParameterGesture(index);
}

void PluginParameterManager::EndGesture(int index)
{
    if (FindRecord(index) != nullptr)
        owner.EndParameterGesture(index);
}

juce::Range<float> PluginParameterManager::GetRange(int index) const noexcept
{
    const auto* record = FindRecord(index);
    return record != nullptr ? juce::Range<float>(record->minimum, record->maximum) : juce::Range<float>();
}

void PluginParameterManager::AppendValues(juce::MemoryBlock& destination) const
{
    juce::MemoryOutputStream stream(destination, true);
    WriteValues(stream);
}

void PluginParameterManager::WriteValues(juce::OutputStream& destination) const
{
    for (int index = 0; index < GetNumParameters(); ++index)
        destination.writeFloat(GetValue(index));
}

void PluginParameterManager::ApplyValues(const void* data, int sizeInBytes)
{
    ReportValues(StoreValues(data, sizeInBytes));
}

juce::BigInteger PluginParameterManager::StoreValues(const void* data, int sizeInBytes)
{
    juce::BigInteger written;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const int available = bytes != nullptr && sizeInBytes > 0 ? sizeInBytes / 4 : 0;
    const int count = std::min(available, GetNumParameters());
    for (int index = 0; index < count; ++index)
    {
        const auto* record = FindRecord(index);
        const float value = LittleEndian::ReadFloat(bytes + std::ptrdiff_t{4} * index);
        if (record != nullptr && std::isfinite(value))
        {
            record->target->store(value, std::memory_order_relaxed);
            written.setBit(index);
        }
    }
    return written;
}

void PluginParameterManager::ReportValues(const juce::BigInteger& writtenIndices)
{
    for (int index = writtenIndices.findNextSetBit(0); index >= 0;
         index = writtenIndices.findNextSetBit(index + 1))
        if (FindRecord(index) != nullptr)
            owner.SetParameterAndTellHost(index, owner.GetNormalisedParameter(index));
    // Change messages coalesce: one announces every value written above.
    sendChangeMessage();
}

} // namespace brumalux
