#include "Crc32.h"

#include <array>

namespace brumalux
{

namespace
{
constexpr std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte)
    {
        uint32_t remainder = byte;
        for (int bit = 0; bit < 8; ++bit)
            remainder = (remainder & 1u) != 0 ? 0xEDB88320u ^ (remainder >> 1) : remainder >> 1;
        table[byte] = remainder;
    }
    return table;
}

constexpr auto table = MakeTable();
} // namespace

uint32_t Crc32(const uint8_t* data, size_t size) noexcept
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace brumalux
