#include "ProgramStore.h"

#include "LittleEndian.h"

#include "PluginParameterManager.h"

#include <cstring>

namespace brumalux
{

namespace
{
constexpr int maxStoredNameLength = 32;

void WriteName(juce::OutputStream& destination, const juce::String& name)
{
    auto character = name.getCharPointer();
    for (int i = 0; i < maxStoredNameLength && !character.isEmpty(); ++i)
    {
        const juce::juce_wchar c = character.getAndAdvance();
        destination.writeByte(static_cast<char>(c <= 0xff ? c : '?'));
    }
    destination.writeByte(0);
}

juce::String DecodeName(const uint8_t* bytes, size_t length)
{
    std::vector<juce::juce_wchar> characters(bytes, bytes + length);
    characters.push_back(0);
    return juce::String(juce::CharPointer_UTF32(characters.data()));
}

// The fields of a chunk, each read only when it lies whole inside the chunk.
class ChunkReader
{
public:
    ChunkReader(const void* data, int sizeInBytes)
        : stream(data, data != nullptr && sizeInBytes > 0 ? static_cast<size_t>(sizeInBytes) : 0, false)
    {
    }

    bool ReadInt32(int32_t& value)
    {
        if (Remaining() < 4)
            return false;
        value = stream.readInt();
        return true;
    }

    // A zero-terminated name; false when the chunk ends before the zero byte.
    bool ReadName(juce::String& name)
    {
        const auto* start = static_cast<const uint8_t*>(stream.getData()) + stream.getPosition();
        const auto* terminator = static_cast<const uint8_t*>(std::memchr(start, 0, Remaining()));
        if (terminator == nullptr)
            return false;
        const auto length = static_cast<size_t>(terminator - start);
        name = DecodeName(start, length);
        stream.skipNextBytes(static_cast<juce::int64>(length) + 1);
        return true;
    }

    bool ReadBlock(int32_t length, juce::MemoryBlock& block)
    {
        if (length < 0 || static_cast<size_t>(length) > Remaining())
            return false;
        stream.readIntoMemoryBlock(block, length);
        return true;
    }

    size_t Position() { return static_cast<size_t>(stream.getPosition()); }

private:
    size_t Remaining() { return static_cast<size_t>(stream.getNumBytesRemaining()); }

    juce::MemoryInputStream stream;
};
} // namespace

int ProgramStore::GetNumPrograms() const noexcept
{
    return static_cast<int>(programs.size());
}

ProgramRecord* ProgramStore::FindProgram(int number) noexcept
{
    if (number < 0 || number >= GetNumPrograms())
        return nullptr;
    return &programs[static_cast<size_t>(number)];
}

const ProgramRecord* ProgramStore::FindProgram(int number) const noexcept
{
    return const_cast<ProgramStore*>(this)->FindProgram(number);
}

void ProgramStore::AddProgram(const PluginParameterManager& manager, const juce::String& name)
{
    programs.emplace_back();
    CaptureProgram(GetNumPrograms() - 1, manager);
    programs.back().name = name;
}

void ProgramStore::CaptureProgram(int number, const PluginParameterManager& manager)
{
    auto* program = FindProgram(number);
    if (program == nullptr)
        return;
    const auto size = static_cast<size_t>(manager.GetNumParameters()) * 4;
    program->values.setSize(size);
    // Stored float by float: a stream would allocate (its new-line string) on the audio thread.
    auto* bytes = static_cast<uint8_t*>(program->values.getData());
    for (int index = 0; index < manager.GetNumParameters(); ++index)
        LittleEndian::StoreFloat(bytes + std::ptrdiff_t{4} * index, manager.GetValue(index));
}

const juce::MemoryBlock* ProgramStore::GetProgramValues(int number) const noexcept
{
    const auto* program = FindProgram(number);
    return program != nullptr ? &program->values : nullptr;
}

juce::String ProgramStore::GetProgramName(int number) const
{
    const auto* program = FindProgram(number);
    return program != nullptr ? program->name : juce::String("Unknown Program");
}

void ProgramStore::RenameProgram(int number, const juce::String& name)
{
    if (auto* program = FindProgram(number))
        program->name = name;
}

void ProgramStore::WritePrograms(juce::MemoryBlock& destination) const
{
    juce::MemoryOutputStream chunk(destination, true);
    chunk.writeInt(GetNumPrograms());
    for (const auto& program : programs)
    {
        WriteName(chunk, program.name);
        chunk.writeInt(static_cast<int>(program.values.getSize()));
        chunk.write(program.values.getData(), program.values.getSize());
    }
}

bool ProgramStore::ReadPrograms(const void* data, int sizeInBytes, size_t* programsEnd)
{
    ChunkReader reader(data, sizeInBytes);
    int32_t count = 0;
    if (!reader.ReadInt32(count) || count <= 0)
        return false;
    std::vector<ProgramRecord> read;
    for (int32_t number = 0; number < count; ++number)
    {
        ProgramRecord program;
        int32_t valuesSize = 0;
        if (!reader.ReadName(program.name) || !reader.ReadInt32(valuesSize) ||
            !reader.ReadBlock(valuesSize, program.values))
            return false;
        read.push_back(std::move(program));
    }
    programs.swap(read);
    if (programsEnd != nullptr)
        *programsEnd = reader.Position();
    return true;
}

} // namespace brumalux
