#include "SettingsBlock.h"

#include "Crc32.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace brumalux
{

namespace
{
constexpr char tag[4] = {'B', 'L', 'X', 'S'};
constexpr size_t fieldSize = 4;
// Tag, version and length before the entries; the CRC after them.
constexpr size_t headerSize = 3 * fieldSize;
constexpr size_t overhead = headerSize + fieldSize;
} // namespace

SettingsBlock::StoredKey SettingsBlock::ToStoredKey(const Key& key) noexcept
{
    return {key[0], key[1], key[2], key[3]};
}

SettingsBlock::Entry* SettingsBlock::FindEntry(const StoredKey& key) noexcept
{
    const auto found =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.key == key; });
    return found != entries.end() ? &*found : nullptr;
}

void SettingsBlock::Add(const Key& key, const void* value, size_t size)
{
    const auto storedKey = ToStoredKey(key);
    auto* entry = FindEntry(storedKey);
    if (entry == nullptr)
        entry = &entries.emplace_back(Entry{storedKey, {}});
    entry->value.replaceAll(value, size);
}

void SettingsBlock::AddInt32(const Key& key, int32_t value)
{
    juce::MemoryBlock bytes;
    LittleEndian::AppendInt32(bytes, value);
    Add(key, bytes.getData(), bytes.getSize());
}

void SettingsBlock::AppendTo(juce::MemoryBlock& destination) const
{
    juce::MemoryBlock payload;
    for (const auto& entry : entries)
    {
        payload.append(entry.key.data(), entry.key.size());
        LittleEndian::AppendInt32(payload, static_cast<int32_t>(entry.value.getSize()));
        payload.append(entry.value.getData(), entry.value.getSize());
    }
    juce::MemoryBlock checked;
    LittleEndian::AppendInt32(checked, version);
    LittleEndian::AppendInt32(checked, static_cast<int32_t>(payload.getSize()));
    checked.append(payload.getData(), payload.getSize());

    destination.append(tag, sizeof(tag));
    destination.append(checked.getData(), checked.getSize());
    LittleEndian::AppendUint32(destination,
                               Crc32(static_cast<const uint8_t*>(checked.getData()), checked.getSize()));
}

SettingsBlock::Reading SettingsBlock::Read(const void* data, size_t size)
{
    entries.clear();
    if (size == 0)
        return Reading::absent;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (data == nullptr || size < overhead || std::memcmp(bytes, tag, sizeof(tag)) != 0)
        return Reading::damaged;
    const int32_t storedVersion = LittleEndian::ReadInt32(bytes + fieldSize);
    const int32_t length = LittleEndian::ReadInt32(bytes + 2 * fieldSize);
    // The block must end exactly where the chunk does.
    if (length < 0 || static_cast<size_t>(length) != size - overhead)
        return Reading::damaged;
    const auto* crc = bytes + headerSize + static_cast<size_t>(length);
    if (Crc32(bytes + fieldSize, 2 * fieldSize + static_cast<size_t>(length)) !=
        LittleEndian::ReadUint32(crc))
        return Reading::damaged;
    if (storedVersion < version)
        return Reading::damaged;
    if (storedVersion > version)
        return Reading::ignored;
    if (!ReadEntries(bytes + headerSize, static_cast<size_t>(length)))
    {
        entries.clear();
        return Reading::damaged;
    }
    return Reading::read;
}

bool SettingsBlock::ReadEntries(const uint8_t* payload, size_t size)
{
    size_t position = 0;
    while (position < size)
    {
        if (size - position < 2 * fieldSize)
            return false;
        const StoredKey key = {static_cast<char>(payload[position]), static_cast<char>(payload[position + 1]),
                               static_cast<char>(payload[position + 2]),
                               static_cast<char>(payload[position + 3])};
        const int32_t valueSize = LittleEndian::ReadInt32(payload + position + fieldSize);
        position += 2 * fieldSize;
        if (valueSize < 0 || static_cast<size_t>(valueSize) > size - position || FindEntry(key) != nullptr)
            return false;
        entries.push_back(Entry{key, juce::MemoryBlock(payload + position, static_cast<size_t>(valueSize))});
        position += static_cast<size_t>(valueSize);
    }
    return true;
}

const juce::MemoryBlock* SettingsBlock::Find(const Key& key) const noexcept
{
    const auto* entry = const_cast<SettingsBlock*>(this)->FindEntry(ToStoredKey(key));
    return entry != nullptr ? &entry->value : nullptr;
}

bool SettingsBlock::ReadInt32(const juce::MemoryBlock& value, int32_t& number) noexcept
{
    if (value.getSize() != fieldSize)
        return false;
    number = LittleEndian::ReadInt32(static_cast<const uint8_t*>(value.getData()));
    return true;
}

} // namespace brumalux
