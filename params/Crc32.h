#pragma once

#include <cstddef>
#include <cstdint>

namespace brumalux
{

// CRC-32 with the polynomial of zlib and PNG (reflected 0xEDB88320, initial value and final
// xor 0xFFFFFFFF): "123456789" gives 0xCBF43926. Any thread.
uint32_t Crc32(const uint8_t* data, size_t size) noexcept;

} // namespace brumalux
