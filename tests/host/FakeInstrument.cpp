#include "FakeInstrument.h"

#include "FakeEditor.h"
#include "framework/FilterNativeCallbacks.h"

#include <cmath>

namespace brumalux
{

namespace
{
const char* const parameterNames[FakeInstrument::numParameters] = {"Level", "Frequency Offset", "Gate",
                                                                   "Diagnostics"};

bool IsDataByte(juce::uint8 byte)
{
    return byte < 0x80;
}

bool IsWellFormed(const juce::MidiMessageMetadata& event)
{
    if (event.numBytes < 1 || IsDataByte(event.data[0]))
        return false;
    for (int i = 1; i < event.numBytes; ++i)
        if (!IsDataByte(event.data[i]))
            return false;
    return event.numBytes == juce::MidiMessage::getMessageLengthFromFirstByte(event.data[0]);
}

void AppendInt(juce::MemoryBlock& block, int value)
{
    const auto littleEndian = juce::ByteOrder::swapIfBigEndian(static_cast<juce::uint32>(value));
    block.append(&littleEndian, sizeof(littleEndian));
}

// Reads forward through a chunk and never past its end.
struct ChunkReader
{
    const juce::uint8* data;
    size_t size;
    size_t position = 0;

    bool Read(void* destination, size_t count)
    {
        if (size - position < count)
            return false;
        std::memcpy(destination, data + position, count);
        position += count;
        return true;
    }
};
} // namespace

FakeInstrument::FakeInstrument(Options optionsToUse) : options(optionsToUse)
{
    keysRequired = options.keysRequired;
    programs = {{"Init", {0.5f, 0.0f, 0.0f, 0.0f}},
                {"Bright pad with a rather long name", {0.25f, 0.75f, 1.0f, 0.0f}},
                {"Third", {0.125f, 0.5f, 0.0f, 0.0f}}};
    for (int i = 0; i < numParameters; ++i)
        values[static_cast<size_t>(i)] = programs[0].values[static_cast<size_t>(i)];
    echoedMidi.ensureSize(4096);
}

FakeInstrument::~FakeInstrument() = default;

void FakeInstrument::FillProperties(PluginProperties& properties)
{
    properties.uniqueId = FourCharCode('B', 'x', 'T', 's');
    properties.numInputChannels = 2;
    properties.numOutputChannels = 2;
    properties.latencySamples = 0;
    properties.isInstrument = options.isInstrument;
    properties.wantsMidiInput = options.wantsMidiInput;
    properties.producesMidiOutput = options.producesMidiOutput;
    properties.silentOutputWhenInputSilent = false;
}

int FakeInstrument::PrepareToPlay(double rate, int samplesPerBlock)
{
    ++numPrepareCalls;
    prepared = true;
    preparedRate = rate;
    preparedBlockSize = samplesPerBlock;
    if (rate != GetSampleRate() || samplesPerBlock != GetBlockSize())
        Violation();
    return 0;
}

void FakeInstrument::ReleaseResources()
{
    prepared = false;
}

void FakeInstrument::CheckBuffers(const juce::AudioSampleBuffer& input, const juce::AudioSampleBuffer& output)
{
    if (!prepared || output.getNumSamples() <= 0 || input.getNumSamples() != output.getNumSamples() ||
        input.getNumChannels() != 2 || output.getNumChannels() != 2)
        Violation();
    for (int channel = 0; channel < output.getNumChannels(); ++channel)
        if (output.getReadPointer(channel) == nullptr)
            Violation();
    for (int channel = 0; channel < input.getNumChannels(); ++channel)
        if (input.getReadPointer(channel) == nullptr)
            Violation();
}

void FakeInstrument::ProcessBlock(const juce::AudioSampleBuffer& input, juce::AudioSampleBuffer& output,
                                  bool accumulate, juce::MidiBuffer& midi)
{
    ++numBlocks;
    CheckBuffers(input, output);
    const auto numSamples = output.getNumSamples();
    int position = 0;
    for (const auto event : midi)
    {
        const auto eventPosition = juce::jlimit(0, numSamples, event.samplePosition);
        WriteLevel(output, position, eventPosition, accumulate);
        position = eventPosition;
        ApplyEvent(event, numSamples);
    }
    WriteLevel(output, position, numSamples, accumulate);
    midi.clear();
    if (options.producesMidiOutput)
        midi.swapWith(echoedMidi);
}

void FakeInstrument::ApplyEvent(const juce::MidiMessageMetadata& event, int numSamples)
{
    if (event.samplePosition < 0 || event.samplePosition >= numSamples || !IsWellFormed(event))
    {
        Violation();
        return;
    }
    if (options.producesMidiOutput)
        echoedMidi.addEvent(event.data, event.numBytes, event.samplePosition);
    const auto message = event.getMessage();
    const auto note = message.getNoteNumber() & 127;
    if (message.isNoteOn())
        if (auto* editor = dynamic_cast<FakeEditor*>(GetActiveEditor()))
            editor->NoteSeen();
    if (message.isNoteOn() && !heldNotes[static_cast<size_t>(note)])
    {
        heldNotes[static_cast<size_t>(note)] = true;
        ++numHeldNotes;
    }
    else if (message.isNoteOff() && heldNotes[static_cast<size_t>(note)])
    {
        heldNotes[static_cast<size_t>(note)] = false;
        --numHeldNotes;
    }
    else if (message.isAllNotesOff() || message.isAllSoundOff())
    {
        heldNotes.fill(false);
        numHeldNotes = 0;
    }
}

void FakeInstrument::WriteLevel(juce::AudioSampleBuffer& output, int start, int end, bool accumulate) const
{
    const auto level = values[levelIndex].load() * static_cast<float>(numHeldNotes);
    for (int channel = 0; channel < output.getNumChannels(); ++channel)
    {
        auto* samples = output.getWritePointer(channel);
        if (samples == nullptr)
            continue;
        for (int i = start; i < end; ++i)
            samples[i] = accumulate ? samples[i] + level : level;
    }
}

AudioFilterEditor* FakeInstrument::CreateEditor()
{
    return options.withEditor ? new FakeEditor(*this) : nullptr;
}

juce::String FakeInstrument::GetParameterName(int index)
{
    return IsValidParameter(index) ? juce::String(parameterNames[index]) : juce::String("Unknown Parameter");
}

float FakeInstrument::GetNormalisedParameter(int index)
{
    return IsValidParameter(index) ? values[static_cast<size_t>(index)].load() : 0.0f;
}

juce::String FakeInstrument::GetParameterText(int index)
{
    if (index == diagnosticsIndex)
        return Diagnostics();
    if (!IsValidParameter(index))
        return "Unknown Parameter";
    const auto value = static_cast<double>(values[static_cast<size_t>(index)].load());
    // In semitones from -24 to 24, rounded, as real plug-ins show their settings: a host that
    // searches for a setting by its text must cope with that.
    if (index == frequencyOffsetIndex)
        return juce::String::formatted("%.1f", -24.0 + 48.0 * value);
    return juce::String::formatted("%.9g", value);
}

void FakeInstrument::SetNormalisedParameter(int index, float normalisedValue)
{
    if (!IsValidParameter(index))
        return;
    if (!std::isfinite(normalisedValue))
        Violation();
    values[static_cast<size_t>(index)] = normalisedValue;
}

void FakeInstrument::SetCurrentProgram(int number)
{
    if (number < 0 || number >= GetNumPrograms() || number == currentProgram)
        return;
    for (int i = 0; i < numParameters; ++i)
        programs[static_cast<size_t>(currentProgram)].values[static_cast<size_t>(i)] =
            values[static_cast<size_t>(i)];
    currentProgram = number;
    for (int i = 0; i < numParameters; ++i)
        SetParameterAndTellHost(i, programs[static_cast<size_t>(number)].values[static_cast<size_t>(i)]);
}

juce::String FakeInstrument::GetProgramName(int number)
{
    if (number < 0 || number >= GetNumPrograms())
        return "Unknown Program";
    return programs[static_cast<size_t>(number)].name;
}

void FakeInstrument::ChangeProgramName(int number, const juce::String& name)
{
    if (number >= 0 && number < GetNumPrograms())
        programs[static_cast<size_t>(number)].name = name;
}

// Chunk: program count, then per program its UTF-8 name's length, the name and the values.
void FakeInstrument::SaveState(juce::MemoryBlock& destination)
{
    // The current program remembers the edits made while it is selected, as the organ's do.
    for (int i = 0; i < numParameters; ++i)
        programs[static_cast<size_t>(currentProgram)].values[static_cast<size_t>(i)] =
            values[static_cast<size_t>(i)];
    AppendInt(destination, GetNumPrograms());
    for (const auto& program : programs)
    {
        const auto name = program.name.toStdString();
        AppendInt(destination, static_cast<int>(name.size()));
        destination.append(name.data(), name.size());
        destination.append(program.values.data(), sizeof(program.values));
    }
}

void FakeInstrument::LoadState(const void* data, int sizeInBytes)
{
    ChunkReader reader{static_cast<const juce::uint8*>(data), static_cast<size_t>(sizeInBytes)};
    juce::uint32 count = 0;
    if (!reader.Read(&count, sizeof(count)) || count == 0 || count > 1000)
        return;
    std::vector<Program> loaded;
    for (juce::uint32 i = 0; i < count; ++i)
    {
        juce::uint32 nameLength = 0;
        if (!reader.Read(&nameLength, sizeof(nameLength)) || nameLength > 1000)
            return;
        std::string name(nameLength, '\0');
        Program program;
        if (!reader.Read(name.data(), nameLength) ||
            !reader.Read(program.values.data(), sizeof(program.values)))
            return;
        program.name = juce::String::fromUTF8(name.data(), static_cast<int>(name.size()));
        loaded.push_back(program);
    }
    programs = std::move(loaded);
    currentProgram = juce::jlimit(0, GetNumPrograms() - 1, currentProgram);
    for (int i = 0; i < numParameters; ++i)
        SetParameterAndTellHost(i,
                                programs[static_cast<size_t>(currentProgram)].values[static_cast<size_t>(i)]);
}

juce::String FakeInstrument::Diagnostics() const
{
    return "prepared " + juce::String(preparedRate, 0) + "/" + juce::String(preparedBlockSize) + " x" +
           juce::String(numPrepareCalls.load()) + " blocks " + juce::String(numBlocks.load()) +
           " violations " + juce::String(violations.load());
}

} // namespace brumalux
