#include "ProgramStore.h"

#include "LittleEndian.h"
#include "PluginParameterManager.h"

namespace
{
constexpr int maxStoredNameLength = 32;

void AppendName(juce::MemoryBlock& destination, const juce::String& name)
{
    auto character = name.getCharPointer();
    for (int i = 0; i < maxStoredNameLength && !character.isEmpty(); ++i)
    {
        const juce::juce_wchar c = character.getAndAdvance();
        const auto byte = static_cast<char>(c <= 0xff ? c : '?');
        destination.append(&byte, 1);
    }
    destination.append("", 1);
}

juce::String DecodeName(const uint8_t* bytes, size_t length)
{
    std::vector<juce::juce_wchar> characters(bytes, bytes + length);
    characters.push_back(0);
    return juce::String(juce::CharPointer_UTF32(characters.data()));
}

// Reads the chunk front to back and never past its end.
class ChunkReader
{
public:
    ChunkReader(const void* data, int sizeInBytes)
        : bytes(static_cast<const uint8_t*>(data)),
          size(bytes != nullptr && sizeInBytes > 0 ? static_cast<size_t>(sizeInBytes) : 0)
    {
    }

    bool ReadInt32(int32_t& value)
    {
        if (size - position < 4)
            return false;
        value = LittleEndian::ReadInt32(bytes + position);
        position += 4;
        return true;
    }

    // A zero-terminated name; false when the chunk ends before the zero byte.
    bool ReadName(juce::String& name)
    {
        const auto* start = bytes + position;
        const auto* terminator = static_cast<const uint8_t*>(std::memchr(start, 0, size - position));
        if (terminator == nullptr)
            return false;
        const auto length = static_cast<size_t>(terminator - start);
        name = DecodeName(start, length);
        position += length + 1;
        return true;
    }

    bool ReadBlock(int32_t length, juce::MemoryBlock& block)
    {
        if (length < 0 || static_cast<size_t>(length) > size - position)
            return false;
        block.replaceAll(bytes + position, static_cast<size_t>(length));
        position += static_cast<size_t>(length);
        return true;
    }

    bool AtEnd() const noexcept { return position >= size; }

private:
    const uint8_t* bytes;
    size_t size;
    size_t position = 0;
};
} // namespace

int ProgramStore::GetNumPrograms() const noexcept
{
    return static_cast<int>(programs.size());
}

ProgramRecord* ProgramStore::FindProgram(int number) const noexcept
{
    if (number < 0 || number >= GetNumPrograms())
        return nullptr;
    return programs[static_cast<size_t>(number)].get();
}

void ProgramStore::AddProgram(const PluginParameterManager& manager, const juce::String& name)
{
    programs.push_back(std::make_unique<ProgramRecord>());
    CaptureProgram(GetNumPrograms() - 1, manager);
    programs.back()->name = name;
}

void ProgramStore::CaptureProgram(int number, const PluginParameterManager& manager)
{
    if (auto* program = FindProgram(number))
    {
        program->values.reset();
        manager.AppendValues(program->values);
    }
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
    LittleEndian::AppendInt32(destination, static_cast<int32_t>(programs.size()));
    for (const auto& program : programs)
    {
        AppendName(destination, program->name);
        LittleEndian::AppendInt32(destination, static_cast<int32_t>(program->values.getSize()));
        destination.append(program->values.getData(), program->values.getSize());
    }
}

void ProgramStore::ReadPrograms(const void* data, int sizeInBytes)
{
    ClearPrograms();
    ChunkReader reader(data, sizeInBytes);
    int32_t count = 0;
    if (!reader.ReadInt32(count))
        return;
    for (int32_t read = 0; read < count && !reader.AtEnd(); ++read)
    {
        auto program = std::make_unique<ProgramRecord>();
        int32_t valuesSize = 0;
        if (!reader.ReadName(program->name) || !reader.ReadInt32(valuesSize) ||
            !reader.ReadBlock(valuesSize, program->values))
            return;
        programs.push_back(std::move(program));
    }
}

void ProgramStore::ClearPrograms()
{
    programs.clear();
}
