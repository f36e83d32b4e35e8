#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <cstring>

namespace brumalux
{

// The byte order of programs and state chunks: 32-bit little-endian integers and
// IEEE-754 floats, whatever the machine's own order. Readers take unaligned pointers.
namespace LittleEndian
{
inline void AppendUint32(juce::MemoryBlock& destination, uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    destination.append(bytes, sizeof(bytes));
}

inline void AppendInt32(juce::MemoryBlock& destination, int32_t value)
{
    AppendUint32(destination, static_cast<uint32_t>(value));
}

inline void AppendFloat(juce::MemoryBlock& destination, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    AppendUint32(destination, bits);
}

// Writes in place, into room the caller owns: no stream, so nothing is allocated.
inline void StoreFloat(uint8_t* destination, float value) noexcept
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    for (int i = 0; i < 4; ++i)
        destination[i] = static_cast<uint8_t>(bits >> (8 * i));
}

inline uint32_t ReadUint32(const uint8_t* bytes) noexcept
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

inline int32_t ReadInt32(const uint8_t* bytes) noexcept
{
    return static_cast<int32_t>(ReadUint32(bytes));
}

inline float ReadFloat(const uint8_t* bytes) noexcept
{
    const uint32_t bits = ReadUint32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}
} // namespace LittleEndian

} // namespace brumalux
