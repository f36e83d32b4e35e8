#include "engine/Brumalux.h"

#include "engine/ControllerMapEntry.h"
#include "engine/KeyMarks.h"
#include "engine/ParameterLimits.h"
#include "framework/PlayableRange.h"

#include <algorithm>

namespace brumalux
{

namespace
{
constexpr SettingsBlock::Key tuningKey = "TUNE";
constexpr SettingsBlock::Key polyphonyKey = "POLY";

// The longest stretch rendered in one go: longer announced or delivered blocks are rendered in
// consecutive slices of the prepared length.
int SliceLengthFor(int samplesPerBlock)
{
    if (samplesPerBlock <= 0)
        return Brumalux::defaultSliceLength;
    return std::min(samplesPerBlock, PlayableRange::maxBlockSize);
}
} // namespace

Brumalux::Brumalux(EditorFactory editorFactory) : createEditor(editorFactory)
{
    // The DSP objects exist by now (members); the parameters' storage too. Registering writes program
    // 0's values into it, so the waveform can be chosen right after.
    RegisterOrganParameters(*this, parameters);
    shapes.SetBaseShapeOfEveryOctave(
        shapes.BasicShape(ParameterLimits::WaveformIndex(Load(parameters.oscillator))));
    controls.Clear();
}

void Brumalux::FillProperties(PluginProperties& properties)
{
    properties.uniqueId = FourCharCode('Z', 'r', '4', 'm');
    properties.numInputChannels = 2;
    properties.numOutputChannels = 2;
    properties.latencySamples = 0;
    properties.isInstrument = true;
    properties.wantsMidiInput = true;
    properties.producesMidiOutput = false;
    properties.silentOutputWhenInputSilent = false;
}

int Brumalux::PrepareToPlay(double newSampleRate, int samplesPerBlock)
{
    if (!PlayableRange::IsPlayableSampleRate(newSampleRate))
    {
        ReleaseResources();
        return 0;
    }
    const bool rateChanged = static_cast<double>(static_cast<int>(sampleRate)) != newSampleRate;
    sampleRate = static_cast<float>(newSampleRate);

    const int sliceLength = SliceLengthFor(samplesPerBlock);
    if (rateChanged || !IsPrepared() || mixBuffer.getNumSamples() != sliceLength)
    {
        try
        {
            mixBuffer.setSize(1, sliceLength);
            spareOutput.setSize(2, sliceLength);
            juce::FloatVectorOperations::clear(mixBuffer.getWritePointer(0), sliceLength);
        }
        catch (const std::bad_alloc&)
        {
            ReleaseResources();
            return 0;
        }
    }
    {
        // The editor pointer is set and cleared under the callback lock, and a host may prepare
        // on another thread than the one that closes the editor.
        const juce::ScopedLock lock(GetCallbackLock());
        if (GetActiveEditor() != nullptr)
            ConnectEditor();
    }

    outputEffects.Prepare(sampleRate, rateChanged);
    shapes.SetSampleRate(static_cast<int>(sampleRate));
    if (rateChanged)
        for (Voice* voice : voices)
            voice->SetSampleRate(sampleRate);
    controls.aftertouchTarget = 0.0f;
    swell.Prepare(sampleRate);
    voices.Allocate();
    return 0;
}

void Brumalux::ReleaseResources()
{
    mixBuffer = juce::AudioBuffer<float>();
    spareOutput = juce::AudioBuffer<float>();
}

void Brumalux::SetTuning(const Tuning& tuning)
{
    if (StoreTuning(tuning))
        settingsChangedByPlayer.store(true, std::memory_order_relaxed);
}

bool Brumalux::StoreTuning(const Tuning& tuning)
{
    if (!tuning.IsValid())
        return false;
    transpose.store(tuning.transpose, std::memory_order_relaxed);
    reference.store(tuning.reference, std::memory_order_relaxed);
    return true;
}

void Brumalux::DeliverPendingChanges()
{
    QuellmarkFilterBase::DeliverPendingChanges();
    const bool mapChanged = controllerMapping.DeliverPending();
    if (settingsChangedByPlayer.exchange(false, std::memory_order_relaxed) || mapChanged)
        TellHostSettingsChanged();
}

Tuning Brumalux::GetTuning() const
{
    return {transpose.load(std::memory_order_relaxed), reference.load(std::memory_order_relaxed)};
}

void Brumalux::SetPolyphony(int limit)
{
    if (StorePolyphony(limit))
        settingsChangedByPlayer.store(true, std::memory_order_relaxed);
}

bool Brumalux::StorePolyphony(int limit)
{
    if (!Polyphony::IsValid(limit))
        return false;
    polyphony.store(limit, std::memory_order_relaxed);
    return true;
}

int Brumalux::GetPolyphony() const
{
    return polyphony.load(std::memory_order_relaxed);
}

void Brumalux::WriteSettings(SettingsBlock& block)
{
    ControllerMapEntry::Write(block, controllerMapping.Map());
    if (const auto tuning = GetTuning(); !tuning.IsDefault())
    {
        juce::MemoryBlock entry;
        tuning.WriteEntry(entry);
        block.Add(tuningKey, entry.getData(), entry.getSize());
    }
    if (const int limit = GetPolyphony(); limit != Polyphony::defaultVoices)
        block.AddInt32(polyphonyKey, limit);
}

bool Brumalux::ParseSettings(const SettingsBlock& block, PendingSettings& apply)
{
    std::optional<ControllerMap> map;
    if (!ControllerMapEntry::Read(block, map))
        return false;
    Tuning tuning;
    if (const auto* entry = block.Find(tuningKey))
    {
        const auto stored = Tuning::ReadEntry(entry->getData(), entry->getSize());
        if (!stored)
            return false;
        tuning = *stored;
    }
    int32_t limit = Polyphony::defaultVoices;
    if (const auto* entry = block.Find(polyphonyKey);
        entry != nullptr && !(SettingsBlock::ReadInt32(*entry, limit) && Polyphony::IsValid(limit)))
        return false;
    apply = [this, map, tuning, limit]
    {
        StoreTuning(tuning);
        StorePolyphony(limit);
        if (map)
            controllerMapping.RestoreMap(*map);
    };
    return true;
}

AudioFilterEditor* Brumalux::CreateEditor()
{
    return createEditor != nullptr ? createEditor(*this) : nullptr;
}

void Brumalux::ProcessBlock(const juce::AudioSampleBuffer& input, juce::AudioSampleBuffer& output,
                            bool accumulateOutput, juce::MidiBuffer& midiMessages)
{
    juce::ignoreUnused(input); // an instrument: the input's audio is never read
    const juce::ScopedNoDenormals noDenormals;
    if (ActiveEditorNeedsConnecting())
        ConnectEditor();
    KeyMarks keyMarks(connectedKeyboard);
    const int numSamples = output.getNumSamples();

    if (IsPrepared())
    {
        const int sliceCapacity = mixBuffer.getNumSamples();
        int sliceStart = 0;
        do
        {
            const int sliceLength = std::min(numSamples - sliceStart, sliceCapacity);
            const bool lastSlice = sliceStart + sliceLength >= numSamples;
            ProcessSlice(midiMessages, sliceStart, sliceLength, lastSlice, output, accumulateOutput,
                         keyMarks);
            sliceStart += sliceLength;
        } while (sliceStart < numSamples);
    }
    else
    {
        // Not prepared (or released): silence, but the MIDI still counts, so that no note-off is lost
        // before the next PrepareToPlay. Before the first one there is nothing to play notes with.
        ConsumeMidi(midiMessages, 0, numSamples, true, keyMarks);
        if (!accumulateOutput)
            output.clear();
    }
    keyMarks.PostRepaintIfNeeded();
    midiMessages.clear(); // no MIDI leaves the plug-in
}

void Brumalux::ProcessSlice(const juce::MidiBuffer& midiMessages, int sliceStart, int sliceLength,
                            bool lastSlice, juce::AudioSampleBuffer& output, bool accumulateOutput,
                            KeyMarks& keyMarks)
{
    ConsumeMidi(midiMessages, sliceStart, sliceLength, lastSlice, keyMarks);
    RenderVoices(sliceLength);
    swell.Process(mixBuffer.getWritePointer(0), sliceLength); // ahead of the overdrive
    ApplyOutputEffects(output, sliceStart, sliceLength, accumulateOutput);
    RemoveFinishedVoices();
}

void Brumalux::RenderVoices(int numSamples)
{
    using namespace ParameterLimits;
    VoiceBlockSettings block;
    block.mixBuffer = mixBuffer.getWritePointer(0);
    block.numSamples = numSamples;
    block.sampleRate = sampleRate;
    block.shapes = &shapes;
    block.noise = &noise;
    block.basicShape = shapes.BasicShape(WaveformIndex(Load(parameters.oscillator)));
    ReadDrawbars(parameters, block.drawbars);
    for (float& level : block.drawbars)
        level = Level(level);
    block.percussionLevel = Level(Load(parameters.percussionLevel));
    block.clickLevel = Level(Load(parameters.clickLevel));
    block.pitchBend = controls.pitchBend;
    block.transpose = transpose.load(std::memory_order_relaxed);
    block.reference = reference.load(std::memory_order_relaxed);

    // The percussion falls halfway within 87.5 ms and is gone 350 ms after its 5 ms attack.
    percussionEnvelope.SetDecayKnee(0.25f);
    percussionEnvelope.Configure(EnvelopeSamples(sampleRate * 0.005f), EnvelopeSamples(sampleRate * 0.35f),
                                 0.0f, 5);
    block.percussionEnvelope = &percussionEnvelope;

    for (Voice* voice : voices)
        voice->Render(block);
}

void Brumalux::ApplyOutputEffects(juce::AudioSampleBuffer& output, int sliceStart, int sliceLength,
                                  bool accumulateOutput)
{
    const int numChannels = output.getNumChannels();
    if (numChannels < 2)
        spareOutput.clear();
    float* left = numChannels > 0 ? output.getWritePointer(0) + sliceStart : spareOutput.getWritePointer(0);
    float* right = numChannels > 1 ? output.getWritePointer(1) + sliceStart : spareOutput.getWritePointer(1);
    outputEffects.Process(mixBuffer.getWritePointer(0), sliceLength, left, right, accumulateOutput,
                          parameters, controls);
}

void Brumalux::RemoveFinishedVoices()
{
    voices.RemoveIf([this](Voice& voice) { return voice.IsFinished(percussionEnvelope); });
}

} // namespace brumalux
