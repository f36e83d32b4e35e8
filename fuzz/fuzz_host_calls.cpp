// Random sequences of host requests with random arguments, and audio calls, driven on a
// plug-in instance in this process exactly as a host drives it through its effect
// record. Each pointer argument has the shape its request expects (a host that passes a
// text where an event list belongs cannot be defended against); everything else, counts,
// sizes, indices, values, offsets and contents, is the fuzzer's.

#include "host/JuceRuntimeHolder.h"
#include "host/PluginFilterFactory.h"
#include "host/SharedMessageThread.h"
#include "host/Vst2InstanceFactory.h"
#include "host/Vst2Interface.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <vector>

namespace
{
constexpr int maxFrames = 4096;

vst2::VstIntPtr HostCallback(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr, void*,
                             float)
{
    return opcode == vst2::audioMasterVersion ? 2400 : 0;
}

// JUCE stays up between inputs, as it does in a host that keeps one instance open.
void KeepJuceRunning()
{
    static const auto* runtime = []
    {
        const ScopedHostMessageThread messageThread;
        return new JuceRuntimeHolder();
    }();
    (void)runtime;
}

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
                effect.setParameter(&effect, data.ConsumeIntegral<int>(), data.ConsumeFloatingPoint<float>());
                break;
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
        static constexpr std::array<vst2::VstInt32, 36> opcodes{vst2::effOpen,
                                                                vst2::effSetProgram,
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
                                                                vst2::effEditGetRect,
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
        // Closing ends the session; opening the editor needs a real window of the host's.
        if (opcode == vst2::effClose || opcode == vst2::effEditOpen)
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
                chunk = data.ConsumeBytes<unsigned char>(data.ConsumeIntegralInRange<size_t>(0, 2048));
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

    vst2::VstEvents* FillEvents()
    {
        const auto count = data.ConsumeIntegralInRange<int>(0, maxEvents);
        for (int i = 0; i < count; ++i)
        {
            auto& record = eventRecords[static_cast<size_t>(i)];
            record = {};
            record.type = data.ConsumeBool() ? vst2::kVstMidiType : data.ConsumeIntegral<vst2::VstInt32>();
            record.byteSize = data.ConsumeIntegral<vst2::VstInt32>();
            record.deltaFrames = data.ConsumeBool() ? data.ConsumeIntegralInRange(0, 1023)
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
        const auto frames = data.ConsumeBool() ? data.ConsumeIntegralInRange(-2, maxFrames)
                                               : data.ConsumeIntegralInRange(1, 512);
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    KeepJuceRunning();
    auto* effect = CreateVst2Instance(&HostCallback, &CreateBrumalux);
    if (effect == nullptr)
        return 0;
    FuzzedDataProvider data(bytes, size);
    HostSession session(*effect, data);
    for (int step = 0; step < 200 && data.remaining_bytes() > 0; ++step)
        session.RunOneStep();
    effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
