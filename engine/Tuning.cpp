#include "engine/Tuning.h"

#include "params/LittleEndian.h"

namespace brumalux
{

bool Tuning::IsValid() const
{
    return transpose >= minTranspose && transpose <= maxTranspose && reference >= minReference &&
           reference <= maxReference;
}

void Tuning::WriteEntry(juce::MemoryBlock& destination) const
{
    LittleEndian::AppendInt32(destination, transpose);
    LittleEndian::AppendFloat(destination, reference);
}

std::optional<Tuning> Tuning::ReadEntry(const void* data, size_t sizeInBytes)
{
    if (data == nullptr || sizeInBytes != static_cast<size_t>(entrySize))
        return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(data);
    Tuning tuning;
    tuning.transpose = LittleEndian::ReadInt32(bytes);
    tuning.reference = LittleEndian::ReadFloat(bytes + 4);
    if (!tuning.IsValid())
        return std::nullopt;
    return tuning;
}

} // namespace brumalux
