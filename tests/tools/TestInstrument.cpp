// A tiny VST 2 instrument of our own that is not the organ, written straight against the interface
// declarations, so that the render tool's host side is proven on its own. Every note is a cosine at
// the note's frequency that starts with its full amplitude at the note-on's exact sample and stops
// at its note-off, so a test can read the timing and the settings straight off the samples.
//
// Parameters: 0 "Level" (amplitude at velocity 127, 0..1, shown as "%.3f"), 1 "Transpose"
// (-24..24 semitones, shown rounded as "%.1f"). Programs: 0 "Soft" (Level 0.25, Transpose 0) and
// 1 "Octave Up" (Level 0.5, Transpose 12). The state chunk holds the two parameter values.
//
// Built in variants by compile definitions: TEST_INSTRUMENT_EFFECT (is-synth flag clear, category
// effect), TEST_INSTRUMENT_NULL_ENTRY (the entry point answers null), TEST_INSTRUMENT_BAD_MAGIC,
// TEST_INSTRUMENT_ACCUMULATE_ONLY (no processReplacing), TEST_INSTRUMENT_MAIN_ONLY (exports only
// "main").

#include "host/Vst2Interface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
using namespace vst2;

constexpr int kMaxVoices = 32;
constexpr int kMaxPendingEvents = 512;
constexpr char kChunkMagic[4] = {'T', 'I', 's', 't'};

struct Program
{
    const char* name;
    float level;
    float transpose; // normalised
};
constexpr Program kPrograms[] = {{"Soft", 0.25f, 0.5f}, {"Octave Up", 0.5f, 0.75f}};

struct Voice
{
    int note = -1;
    double phase = 0.0;
    double increment = 0.0;
    float amplitude = 0.0f;
};

struct Instrument
{
    AEffect effect{};
    HostCallback host = nullptr;
    float sampleRate = 44100.0f;
    int blockSize = 1024;
    std::array<float, 2> parameters{kPrograms[0].level, kPrograms[0].transpose};
    int program = 0;
    bool hostAgrees = true;
    std::array<Voice, kMaxVoices> voices{};
    std::array<VstMidiEvent, kMaxPendingEvents> pending{};
    int numPending = 0;
    std::array<char, 12> chunk{};
};

Instrument& Of(AEffect* effect)
{
    return *static_cast<Instrument*>(effect->object);
}

double Semitones(const Instrument& instrument)
{
    return -24.0 + 48.0 * instrument.parameters[1];
}

void StartNote(Instrument& instrument, int note, int velocity)
{
    for (auto& voice : instrument.voices)
        if (voice.note < 0)
        {
            const double frequency = 440.0 * std::pow(2.0, (note + Semitones(instrument) - 69.0) / 12.0);
            voice = {note, 0.0, frequency / instrument.sampleRate,
                     instrument.parameters[0] * velocity / 127.0f};
            return;
        }
}

void StopNote(Instrument& instrument, int note)
{
    for (auto& voice : instrument.voices)
        if (voice.note == note)
            voice.note = -1;
}

void ApplyEventsAt(Instrument& instrument, int offset)
{
    for (int i = 0; i < instrument.numPending; ++i)
    {
        const auto& event = instrument.pending[static_cast<std::size_t>(i)];
        if (event.deltaFrames != offset)
            continue;
        const int status = static_cast<unsigned char>(event.midiData[0]) & 0xf0;
        const int note = event.midiData[1], velocity = event.midiData[2];
        if (status == 0x90 && velocity > 0)
            StartNote(instrument, note, velocity);
        else if (status == 0x80 || status == 0x90)
            StopNote(instrument, note);
    }
}

void Render(AEffect* effect, float** outputs, VstInt32 numSamples, bool accumulate)
{
    auto& instrument = Of(effect);
    for (int i = 0; i < numSamples; ++i)
    {
        ApplyEventsAt(instrument, i);
        float sample = 0.0f;
        for (auto& voice : instrument.voices)
            if (voice.note >= 0)
            {
                sample += voice.amplitude * static_cast<float>(std::cos(2.0 * M_PI * voice.phase));
                voice.phase = std::fmod(voice.phase + voice.increment, 1.0);
            }
        if (!instrument.hostAgrees)
            sample = 0.0f;
        for (int channel = 0; channel < effect->numOutputs; ++channel)
            outputs[channel][i] = accumulate ? outputs[channel][i] + sample : sample;
    }
    instrument.numPending = 0;
}

void ProcessReplacing(AEffect* effect, float**, float** outputs, VstInt32 numSamples)
{
    Render(effect, outputs, numSamples, false);
}

void ProcessAccumulating(AEffect* effect, float**, float** outputs, VstInt32 numSamples)
{
    Render(effect, outputs, numSamples, true);
}

void SetParameter(AEffect* effect, VstInt32 index, float value)
{
    if (index >= 0 && index < 2)
        Of(effect).parameters[static_cast<std::size_t>(index)] = value;
}

float GetParameter(AEffect* effect, VstInt32 index)
{
    return index >= 0 && index < 2 ? Of(effect).parameters[static_cast<std::size_t>(index)] : 0.0f;
}

// Cut to the limit, as a host expects of every text it is handed.
void CopyText(void* destination, const char* text, std::size_t limit)
{
    const std::size_t length = std::min(std::strlen(text), limit);
    std::memcpy(destination, text, length);
    static_cast<char*>(destination)[length] = '\0';
}

VstIntPtr TakeEvents(Instrument& instrument, const VstEvents* events)
{
    for (int i = 0; i < events->numEvents; ++i)
    {
        const VstEvent* event = (&events->events[0])[i];
        if (event->type == kVstMidiType && instrument.numPending < kMaxPendingEvents)
            std::memcpy(&instrument.pending[static_cast<std::size_t>(instrument.numPending++)], event,
                        sizeof(VstMidiEvent));
    }
    return 1;
}

VstIntPtr GetChunk(Instrument& instrument, void** data)
{
    std::memcpy(instrument.chunk.data(), kChunkMagic, 4);
    std::memcpy(instrument.chunk.data() + 4, instrument.parameters.data(), 8);
    *data = instrument.chunk.data();
    return static_cast<VstIntPtr>(instrument.chunk.size());
}

VstIntPtr SetChunk(Instrument& instrument, const void* data, VstIntPtr size)
{
    if (size == 12 && std::memcmp(data, kChunkMagic, 4) == 0)
        std::memcpy(instrument.parameters.data(), static_cast<const char*>(data) + 4, 8);
    return 0;
}

void Resume(Instrument& instrument)
{
    // The host must tell us through its callback what it told us through the dispatcher.
    const auto rate = instrument.host(&instrument.effect, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f);
    const auto block = instrument.host(&instrument.effect, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f);
    instrument.hostAgrees =
        rate == static_cast<VstIntPtr>(instrument.sampleRate) && block == instrument.blockSize;
    instrument.voices = {};
    instrument.numPending = 0;
}

VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    auto& instrument = Of(effect);
    char text[64];
    switch (opcode)
    {
        case effClose:
            delete &instrument;
            return 0;
        case effSetProgram:
            if (value >= 0 && value < 2)
            {
                instrument.program = static_cast<int>(value);
                instrument.parameters = {kPrograms[value].level, kPrograms[value].transpose};
            }
            return 0;
        case effGetProgram:
            return instrument.program;
        case effGetProgramNameIndexed:
            if (index < 0 || index >= 2)
                return 0;
            CopyText(ptr, kPrograms[index].name, kVstMaxProgNameLen);
            return 1;
        case effGetParamName:
            CopyText(ptr, index == 0 ? "Level" : "Transpose", kVstMaxParamStrLen);
            return 0;
        case effGetParamDisplay:
            if (index == 0)
                std::snprintf(text, sizeof text, "%.3f", instrument.parameters[0]);
            else
                std::snprintf(text, sizeof text, "%.1f", Semitones(instrument));
            CopyText(ptr, text, kVstMaxParamStrLen);
            return 0;
        case effGetParamLabel:
            CopyText(ptr, index == 0 ? "" : "semi", kVstMaxParamStrLen);
            return 0;
        case effSetSampleRate:
            instrument.sampleRate = opt;
            return 0;
        case effSetBlockSize:
            instrument.blockSize = static_cast<int>(value);
            return 0;
        case effMainsChanged:
            if (value != 0)
                Resume(instrument);
            return 0;
        case effGetChunk:
            return GetChunk(instrument, static_cast<void**>(ptr));
        case effSetChunk:
            return SetChunk(instrument, ptr, value);
        case effProcessEvents:
            return TakeEvents(instrument, static_cast<const VstEvents*>(ptr));
        case effGetPlugCategory:
#ifdef TEST_INSTRUMENT_EFFECT
            return kPlugCategEffect;
#else
            return kPlugCategSynth;
#endif
        case effGetEffectName:
            CopyText(ptr, "Test Sine", kVstMaxEffectNameLen);
            return 1;
        case effGetVendorString:
            CopyText(ptr, "Render Tests", kVstMaxVendorStrLen);
            return 1;
        case effGetProductString:
            CopyText(ptr, "Test Sine Instrument", kVstMaxProductStrLen);
            return 1;
        case effGetVendorVersion:
            return 7;
        case effGetVstVersion:
            return 2300;
        default:
            return 0;
    }
}

AEffect* CreateInstrument(HostCallback host)
{
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
#ifdef TEST_INSTRUMENT_NULL_ENTRY
    return nullptr;
#endif
#ifdef TEST_INSTRUMENT_BAD_MAGIC
    // No host may call into a record with the wrong magic, so none can close it: it is
    // not allocated, or every refusal would leak it.
    static AEffect notAnEffect{};
    notAnEffect.magic = 0x12345678;
    return &notAnEffect;
#endif
    auto* instrument = new Instrument;
    instrument->host = host;
    AEffect& effect = instrument->effect;
    effect.magic = kEffectMagic;
    effect.dispatcher = Dispatch;
    effect.process = ProcessAccumulating;
    effect.processReplacing = ProcessReplacing;
    effect.setParameter = SetParameter;
    effect.getParameter = GetParameter;
    effect.numPrograms = 2;
    effect.numParams = 2;
    effect.numInputs = 0;
    effect.numOutputs = 2;
    effect.flags = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth;
#ifdef TEST_INSTRUMENT_EFFECT
    effect.flags &= ~effFlagsIsSynth;
    effect.numInputs = 2;
#endif
#ifdef TEST_INSTRUMENT_ACCUMULATE_ONLY
    effect.flags &= ~effFlagsCanReplacing;
    effect.processReplacing = nullptr;
#endif
    effect.object = instrument;
    effect.uniqueID = 0x54735369; // 'TsSi'
    effect.version = 1;
    host(&effect, audioMasterWantMidi, 0, 1, nullptr, 0.0f);
    return &effect;
}
} // namespace

#ifdef TEST_INSTRUMENT_MAIN_ONLY
extern "C" __attribute__((visibility("default"))) AEffect* PluginMain(HostCallback host) asm("main");
AEffect* PluginMain(HostCallback host)
{
    return CreateInstrument(host);
}
#else
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(HostCallback host)
{
    return CreateInstrument(host);
}
#endif
