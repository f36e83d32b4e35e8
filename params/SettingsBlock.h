#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brumalux
{

// The optional block of settings that follows the programs in a state chunk (see
// ProgramStore for the programs). Integers are 32-bit little-endian:
//   "BLXS", int32 version, int32 length L, L bytes of entries, then a uint32 CRC-32
//   (Crc32.h) over version, length and entries;
// each entry is a key of four ASCII characters, int32 n, then n bytes of value. A filter
// writes the block only when some setting differs from its default, so a chunk with
// default settings is the bank alone, readable by builds that know no block.
//
// Reading is all or nothing: the bytes after the programs are either nothing or exactly
// one whole block; anything else (another tag, cut short, a length past the end, bytes
// after the CRC, a CRC mismatch, an entry running past the others, a key twice) makes
// the whole state one to refuse. A whole block of a later version is ignored, so that
// its bank still loads. What a value means, and whether it is well formed, is for the
// owner of its key to decide.
//
// A plain value: built and read on the host's control thread, outside every lock.
class SettingsBlock
{
public:
    static constexpr int32_t version = 1;
    // A key: four ASCII characters, e.g. "PROG".
    using Key = char[5];

    // What the bytes after the programs turned out to be.
    enum class Reading
    {
        absent,  // nothing: no settings stored
        read,    // one whole block of this version: its entries are here
        ignored, // one whole block of a later version: no entries
        damaged  // anything else: refuse the whole state
    };
    // Replaces the entries with those of the bytes after the programs.
    Reading Read(const void* data, size_t size);

    // Adds an entry, or replaces the one with this key.
    void Add(const Key& key, const void* value, size_t size);
    void AddInt32(const Key& key, int32_t value);
    size_t GetNumEntries() const noexcept { return entries.size(); }
    // Appends the whole block: header, entries in the order they were added, CRC.
    void AppendTo(juce::MemoryBlock& destination) const;

    // The value stored under the key; null when there is none.
    const juce::MemoryBlock* Find(const Key& key) const noexcept;
    // The value of a four-byte entry; false when its size is not four.
    static bool ReadInt32(const juce::MemoryBlock& value, int32_t& number) noexcept;

private:
    using StoredKey = std::array<char, 4>;
    struct Entry
    {
        StoredKey key;
        juce::MemoryBlock value;
    };

    static StoredKey ToStoredKey(const Key& key) noexcept;
    Entry* FindEntry(const StoredKey& key) noexcept;
    bool ReadEntries(const uint8_t* payload, size_t size);

    std::vector<Entry> entries;
};

} // namespace brumalux
