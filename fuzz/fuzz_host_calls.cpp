// Random sequences of host requests with random arguments, and audio calls, driven on a
// plug-in instance in this process exactly as a host drives it through its effect
// record. Each pointer argument has the shape its request expects (a host that passes a
// text where an event list belongs cannot be defended against); everything else, counts,
// sizes, indices, values, offsets and contents, is the fuzzer's.

#include "host/Vst2InstanceFactory.h"
#include "host/Vst2Interface.h"
#include "hostcore/JuceRuntimeHolder.h"
#include "hostcore/PluginFilterFactory.h"
#include "hostcore/SharedMessageThread.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace brumalux
{

namespace
{
// The block size announced to the organ is short, so that the longest block the fuzzer
// plays (four announced ones) reaches the slicing of blocks longer than announced and
// still costs little: under coverage tracing every sample is expensive.
constexpr int announcedFrames = 32;
constexpr int maxFrames = 128;

vst2::VstIntPtr HostCallback(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr, void*,
                             float)
{
    return opcode == vst2::audioMasterVersion ? 2400 : 0;
}

vst2::VstIntPtr Dispatch(vst2::AEffect& effect, vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                         vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
{
    return effect.dispatcher(&effect, opcode, index, value, ptr, opt);
}

std::vector<unsigned char> GetChunk(vst2::AEffect& effect)
{
    void* data = nullptr;
    const auto size = Dispatch(effect, vst2::effGetChunk, 0, 0, &data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return bytes != nullptr && size > 0 ? std::vector<unsigned char>(bytes, bytes + size)
                                        : std::vector<unsigned char>();
}

// The organ every input drives. JUCE and the instance stay up for the whole run, and this
// thread is JUCE's message thread throughout, like a host's UI thread that also idles the
// plug-in: no loop thread runs beside the inputs, and an input's messages are delivered
// within it.
class FuzzedOrgan
{
public:
    FuzzedOrgan()
        : runtime(std::make_unique<JuceRuntimeHolder>()),
          effect(CreateVst2Instance(&HostCallback, &CreateBrumalux))
    {
        if (effect == nullptr)
            __builtin_trap();
        Dispatch(*effect, vst2::effOpen);
        openedState = GetChunk(*effect);
        Rest();
    }

    vst2::AEffect& Effect() { return *effect; }

    // Everything a host can observe or set goes back to how it was after effOpen (no
    // input opens the editor): every voice silenced and every controller at rest,
    // rendered once at the first sample rate and block size, then suspended with no MIDI
    // pending; the opened bank, program 0 and its values; the messages delivered. What
    // the host cannot reach stays as the last input left it: the signal history of the
    // delay lines, filters and rotors after a silent block, and the chunks kept for the
    // host.
    //
    // Called at the end of every input, so that what an input made the organ allocate
    // (kept chunks aside) is freed within the same input: the fuzzer looks for leaks,
    // scanning the whole heap, after every input that allocated more than it freed.
    void Rest()
    {
        Dispatch(*effect, vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
        Dispatch(*effect, vst2::effSetBlockSize, 0, announcedFrames);
        Dispatch(*effect, vst2::effMainsChanged, 0, 1);
        SilenceAndRest();
        Dispatch(*effect, vst2::effMainsChanged, 0, 0);
        Dispatch(*effect, vst2::effSetProgram, 0, 0);
        Dispatch(*effect, vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(openedState.size()),
                 openedState.data());
        Dispatch(*effect, vst2::effEditIdle);
    }

private:
    static constexpr int silentFrames = 4;

    // All sound off, sustain pedal up, modulation wheel down, pitch wheel centred, no
    // channel pressure.
    static constexpr unsigned char restMessages[][3] = {
        {0xB0, 120, 0}, {0xB0, 64, 0}, {0xB0, 1, 0}, {0xE0, 0, 0x40}, {0xD0, 0, 0}};
    static constexpr size_t numRestMessages = std::size(restMessages);

    void SilenceAndRest()
    {
        std::array<vst2::VstMidiEvent, numRestMessages> events{};
        struct
        {
            vst2::VstInt32 numEvents;
            vst2::VstIntPtr reserved;
            vst2::VstEvent* events[numRestMessages];
        } list{static_cast<vst2::VstInt32>(numRestMessages), 0, {}};
        for (size_t i = 0; i < events.size(); ++i)
        {
            events[i].type = vst2::kVstMidiType;
            events[i].byteSize = sizeof(vst2::VstMidiEvent);
            std::memcpy(events[i].midiData, restMessages[i], 3);
            list.events[i] = reinterpret_cast<vst2::VstEvent*>(&events[i]);
        }
        Dispatch(*effect, vst2::effProcessEvents, 0, 0, &list);
        std::array<std::array<float, silentFrames>, 4> channels{};
        float* inputs[] = {channels[0].data(), channels[1].data()};
        float* outputs[] = {channels[2].data(), channels[3].data()};
        effect->processReplacing(effect, inputs, outputs, silentFrames);
    }

    const ScopedHostMessageThread messageThread;
    std::unique_ptr<JuceRuntimeHolder> runtime;
    vst2::AEffect* effect;
    std::vector<unsigned char> openedState;
};

class HostSession
{
public:
    HostSession(vst2::AEffect& effectToDrive, FuzzedDataProvider& input) : effect(effectToDrive), data(input)
    {
        for (auto& channel : channels)
            channel.resize(maxFrames);
    }

    void RunOneStep()
    {
        switch (data.ConsumeIntegralInRange(0, 5))
        {
            case 0:
            {
                const auto index = data.ConsumeIntegral<int>();
                effect.setParameter(&effect, index, data.ConsumeFloatingPoint<float>());
                break;
            }
            case 1:
                effect.getParameter(&effect, data.ConsumeIntegral<int>());
                break;
            case 2:
            case 3:
                Process(data.ConsumeBool());
                break;
            default:
                Dispatch();
                break;
        }
    }

private:
    void Dispatch()
    {
        static constexpr std::array<vst2::VstInt32, 34> opcodes{vst2::effSetProgram,
                                                                vst2::effGetProgram,
                                                                vst2::effSetProgramName,
                                                                vst2::effGetProgramName,
                                                                vst2::effGetParamLabel,
                                                                vst2::effGetParamDisplay,
                                                                vst2::effGetParamName,
                                                                vst2::effGetVu,
                                                                vst2::effSetSampleRate,
                                                                vst2::effSetBlockSize,
                                                                vst2::effMainsChanged,
                                                                vst2::effEditClose,
                                                                vst2::effEditIdle,
                                                                vst2::effIdentify,
                                                                vst2::effGetChunk,
                                                                vst2::effSetChunk,
                                                                vst2::effProcessEvents,
                                                                vst2::effCanBeAutomated,
                                                                vst2::effGetNumProgramCategories,
                                                                vst2::effGetProgramNameIndexed,
                                                                vst2::effGetPlugCategory,
                                                                vst2::effSetBlockSizeAndSampleRate,
                                                                vst2::effGetEffectName,
                                                                vst2::effGetVendorString,
                                                                vst2::effGetProductString,
                                                                vst2::effGetVendorVersion,
                                                                vst2::effCanDo,
                                                                vst2::effKeysRequired,
                                                                vst2::effGetVstVersion,
                                                                vst2::effGetTailSize,
                                                                vst2::effIdle,
                                                                vst2::effStartProcess,
                                                                vst2::effStopProcess,
                                                                vst2::effVendorSpecific};
        const auto opcode = data.ConsumeBool() ? data.PickValueInArray(opcodes) : data.ConsumeIntegral<int>();
        // The organ stays open for every input, so neither opening nor closing it again
        // is the input's to do. Requests that create the editor are left to the editor
        // tests: each builds a window's worth of components, which costs more than a
        // whole sequence of other requests (and effEditOpen needs a real host window).
        if (opcode == vst2::effOpen || opcode == vst2::effClose || opcode == vst2::effEditGetRect ||
            opcode == vst2::effEditOpen)
            return;
        const auto index = data.ConsumeIntegral<vst2::VstInt32>();
        auto value = data.ConsumeIntegral<vst2::VstIntPtr>();
        const auto opt = data.ConsumeFloatingPoint<float>();
        void* ptr = PointerFor(opcode, value);
        effect.dispatcher(&effect, opcode, index, value, ptr, opt);
    }

    void* PointerFor(vst2::VstInt32 opcode, vst2::VstIntPtr& value)
    {
        if (data.ConsumeProbability<float>() < 0.1f)
            return nullptr;
        switch (opcode)
        {
            case vst2::effSetProgramName:
            case vst2::effCanDo:
                text = data.ConsumeRandomLengthString(64);
                return text.data();
            case vst2::effProcessEvents:
                return FillEvents();
            case vst2::effGetChunk:
            case vst2::effEditGetRect:
                return &pointerSlot;
            case vst2::effSetChunk:
                if (data.ConsumeBool())
                    chunk = data.ConsumeBytes<unsigned char>(data.ConsumeIntegralInRange<size_t>(0, 2048));
                else
                    chunk = DamagedCopyOfTheState();
                if (data.ConsumeBool())
                    value = static_cast<vst2::VstIntPtr>(chunk.size());
                else if (value > 0)
                    value =
                        static_cast<vst2::VstIntPtr>(value % static_cast<vst2::VstIntPtr>(chunk.size() + 1));
                return chunk.data();
            default:
                // Room for any text the plug-in writes, and for a pointer.
                return textBuffer.data();
        }
    }

    // A chunk as the organ saves it, most often whole, sometimes cut short or with a
    // byte changed: what a host restores from a project, intact or damaged.
    std::vector<unsigned char> DamagedCopyOfTheState()
    {
        auto state = GetChunk(effect);
        if (state.empty())
            return state;
        switch (data.ConsumeIntegralInRange(0, 3))
        {
            case 0:
                state.resize(data.ConsumeIntegralInRange<size_t>(0, state.size() - 1));
                break;
            case 1:
            {
                const auto position = data.ConsumeIntegralInRange<size_t>(0, state.size() - 1);
                state[position] = data.ConsumeIntegral<unsigned char>();
                break;
            }
            default:
                break;
        }
        return state;
    }

    vst2::VstEvents* FillEvents()
    {
        const auto count = data.ConsumeIntegralInRange<int>(0, maxEvents);
        for (int i = 0; i < count; ++i)
        {
            auto& record = eventRecords[static_cast<size_t>(i)];
            record = {};
            record.type = data.ConsumeBool() ? vst2::kVstMidiType : data.ConsumeIntegral<vst2::VstInt32>();
            record.byteSize = data.ConsumeIntegral<vst2::VstInt32>();
            record.deltaFrames = data.ConsumeBool() ? data.ConsumeIntegralInRange(0, maxFrames - 1)
                                                    : data.ConsumeIntegral<vst2::VstInt32>();
            for (auto& byte : record.midiData)
                byte = data.ConsumeIntegral<char>();
            eventList.events[i] = data.ConsumeProbability<float>() < 0.05f
                                      ? nullptr
                                      : reinterpret_cast<vst2::VstEvent*>(&record);
        }
        eventList.numEvents = data.ConsumeBool() ? count : data.ConsumeIntegralInRange(-5, count);
        return reinterpret_cast<vst2::VstEvents*>(&eventList);
    }

    void Process(bool accumulate)
    {
        // Mostly blocks of a few frames, which keep the rate up. Now and then one of any
        // length up to four announced blocks, or a negative one.
        const auto frames = data.ConsumeIntegralInRange(0, 255) == 0
                                ? data.ConsumeIntegralInRange(-2, maxFrames)
                                : data.ConsumeIntegralInRange(1, 8);
        float* inputs[] = {data.ConsumeBool() ? channels[0].data() : nullptr, channels[1].data()};
        float* outputs[] = {channels[2].data(), data.ConsumeBool() ? channels[3].data() : nullptr};
        auto** inputArray = data.ConsumeProbability<float>() < 0.05f ? nullptr : inputs;
        auto** outputArray = data.ConsumeProbability<float>() < 0.05f ? nullptr : outputs;
        (accumulate ? effect.process : effect.processReplacing)(&effect, inputArray, outputArray, frames);
    }

    static constexpr int maxEvents = 64;
    struct EventList
    {
        vst2::VstInt32 numEvents;
        vst2::VstIntPtr reserved;
        vst2::VstEvent* events[maxEvents];
    };

    vst2::AEffect& effect;
    FuzzedDataProvider& data;
    std::array<std::vector<float>, 4> channels;
    std::array<char, 512> textBuffer{};
    std::string text;
    std::vector<unsigned char> chunk;
    void* pointerSlot = nullptr;
    std::array<vst2::VstMidiEvent, maxEvents> eventRecords{};
    EventList eventList{};
};
} // namespace

} // namespace brumalux

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    using namespace brumalux;
    // Never destroyed: the process ends without closing it, as JUCE's runtime never ends.
    static auto& organ = *new FuzzedOrgan();
    FuzzedDataProvider data(bytes, size);
    {
        HostSession session(organ.Effect(), data);
        for (int step = 0; step < 200 && data.remaining_bytes() > 0; ++step)
            session.RunOneStep();
    }
    organ.Rest();
    return 0;
}
