// The VST3 module as a Windows host sees it, checked through the VST3 interface headers
// that ship with JUCE: it loads the module from its bundle, finds the factory and the
// organ's classes under their stable ids, and plays a note through an instance of the
// component.

#include "ExportTable.h"
#include "TestRun.h"

#include <windows.h>

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivstevents.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace brumalux
{

namespace
{
using namespace Steinberg;

// The component's class id: hosts file projects under it, so it never changes.
const TUID organClassId = INLINE_UID(0xABCDEF01, 0x9182FAEB, 0x516D726B /* Qmrk */, 0x5A72346D /* Zr4m */);

// The host's event list for one block: just the events it was given.
class EventList : public Vst::IEventList
{
public:
    explicit EventList(std::vector<Vst::Event> blockEvents) : events(std::move(blockEvents)) {}

    tresult PLUGIN_API queryInterface(const TUID interfaceId, void** object) override
    {
        if (std::memcmp(interfaceId, Vst::IEventList_iid, sizeof(TUID)) == 0 ||
            std::memcmp(interfaceId, FUnknown_iid, sizeof(TUID)) == 0)
        {
            *object = this;
            return kResultOk;
        }
        *object = nullptr;
        return kNoInterface;
    }
    // Lives on the stack of the block it belongs to.
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    int32 PLUGIN_API getEventCount() override { return static_cast<int32>(events.size()); }
    tresult PLUGIN_API getEvent(int32 index, Vst::Event& event) override
    {
        if (index < 0 || index >= getEventCount())
            return kInvalidArgument;
        event = events[static_cast<size_t>(index)];
        return kResultOk;
    }
    tresult PLUGIN_API addEvent(Vst::Event&) override { return kNotImplemented; }

private:
    std::vector<Vst::Event> events;
};

// An exported function of the module, as the type the host calls it by.
template <typename Function> Function ExportedFunction(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

Vst::Event NoteOn(int16 pitch)
{
    Vst::Event event{};
    event.type = Vst::Event::kNoteOnEvent;
    event.noteOn.pitch = pitch;
    event.noteOn.velocity = 0.8f;
    event.noteOn.noteId = -1;
    return event;
}

// Renders one stereo block with the given events, answers its loudest sample.
float RenderPeak(Vst::IAudioProcessor& processor, std::vector<Vst::Event> events)
{
    constexpr int blockSize = 512;
    std::vector<float> left(blockSize), right(blockSize);
    float* channels[] = {left.data(), right.data()};
    Vst::AudioBusBuffers output{};
    output.numChannels = 2;
    output.channelBuffers32 = channels;
    EventList inputEvents(std::move(events));

    Vst::ProcessData data{};
    data.processMode = Vst::kRealtime;
    data.symbolicSampleSize = Vst::kSample32;
    data.numSamples = blockSize;
    data.numOutputs = 1;
    data.outputs = &output;
    data.inputEvents = &inputEvents;
    if (processor.process(data) != kResultOk)
        return -1.0f;
    float peak = 0.0f;
    for (const auto* channel : {&left, &right})
        for (float sample : *channel)
            peak = std::isfinite(sample) ? std::max(peak, std::fabs(sample)) : 1e30f;
    return peak;
}

void CheckFactory(Expectations& e, IPluginFactory& factory)
{
    PFactoryInfo info{};
    e.Expect(factory.getFactoryInfo(&info) == kResultOk, "getFactoryInfo answers");
    e.Expect(std::string(info.vendor) == "Quellmark music", std::string("vendor ") + info.vendor);

    bool organFound = false;
    for (int32 index = 0; index < factory.countClasses(); ++index)
    {
        PClassInfo classInfo{};
        factory.getClassInfo(index, &classInfo);
        if (std::memcmp(classInfo.cid, organClassId, sizeof(TUID)) != 0)
            continue;
        organFound = true;
        e.Expect(std::string(classInfo.name) == "Brumalux", std::string("class name ") + classInfo.name);
        e.Expect(std::string(classInfo.category) == kVstAudioEffectClass,
                 std::string("class category ") + classInfo.category);
    }
    e.Expect(organFound, "an audio module class under the organ's class id");

    IPluginFactory2* factory2 = nullptr;
    factory.queryInterface(IPluginFactory2_iid, reinterpret_cast<void**>(&factory2));
    e.Expect(factory2 != nullptr, "the factory answers IPluginFactory2");
    if (factory2 == nullptr)
        return;
    for (int32 index = 0; index < factory2->countClasses(); ++index)
    {
        PClassInfo2 classInfo{};
        factory2->getClassInfo2(index, &classInfo);
        if (std::memcmp(classInfo.cid, organClassId, sizeof(TUID)) == 0)
            e.Expect(std::string(classInfo.subCategories) == "Instrument|Synth",
                     std::string("sub-categories ") + classInfo.subCategories);
    }
    factory2->release();
}

// A host creates the component, prepares it and plays: silence first, then a note.
void CheckComponentPlaysNote(Expectations& e, IPluginFactory& factory)
{
    Vst::IComponent* component = nullptr;
    factory.createInstance(organClassId, Vst::IComponent_iid, reinterpret_cast<void**>(&component));
    e.Expect(component != nullptr, "createInstance answers the component");
    if (component == nullptr)
        return;
    e.Expect(component->initialize(nullptr) == kResultOk, "the component initialises");
    e.Expect(component->getBusCount(Vst::kAudio, Vst::kOutput) == 1 &&
                 component->getBusCount(Vst::kAudio, Vst::kInput) == 0 &&
                 component->getBusCount(Vst::kEvent, Vst::kInput) == 1,
             "one audio output, no audio input, one event input");

    Vst::IAudioProcessor* processor = nullptr;
    component->queryInterface(Vst::IAudioProcessor_iid, reinterpret_cast<void**>(&processor));
    e.Expect(processor != nullptr, "the component answers IAudioProcessor");
    if (processor != nullptr)
    {
        Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, 512, 44100.0};
        e.Expect(processor->setupProcessing(setup) == kResultOk, "setupProcessing answers");
        // Hosts switch on the buses they use before activating.
        component->activateBus(Vst::kAudio, Vst::kOutput, 0, true);
        component->activateBus(Vst::kEvent, Vst::kInput, 0, true);
        component->setActive(true);
        processor->setProcessing(true);
        const float silent = RenderPeak(*processor, {});
        float playing = 0.0f;
        for (int block = 0; block < 4; ++block)
            playing = std::max(playing, RenderPeak(*processor, block == 0 ? std::vector{NoteOn(60)}
                                                                          : std::vector<Vst::Event>{}));
        e.Expect(silent == 0.0f, "peak before the note is " + std::to_string(silent));
        e.Expect(playing > 1e-3f && playing < 1e3f, "peak of the note is " + std::to_string(playing));
        processor->setProcessing(false);
        component->setActive(false);
        processor->release();
    }
    component->terminate();
    component->release();
}
} // namespace

void CheckVst3Module(TestRun& run, const char* modulePath)
{
    HMODULE module = LoadLibraryA(modulePath);
    run.Check("VST3: loads the module from its bundle", [&](Expectations& e)
              { e.Expect(module != nullptr, Describe("LoadLibrary error", GetLastError())); });
    if (module == nullptr)
        return;

    using InitDllProc = bool (*)();
    using GetPluginFactoryProc = IPluginFactory*(PLUGIN_API*)();
    const auto initDll = ExportedFunction<InitDllProc>(module, "InitDll");
    const auto exitDll = ExportedFunction<InitDllProc>(module, "ExitDll");
    const auto getPluginFactory = ExportedFunction<GetPluginFactoryProc>(module, "GetPluginFactory");
    run.Check("VST3: exports GetPluginFactory, InitDll and ExitDll and nothing else",
              [&](Expectations& e)
              {
                  auto table = ReadExportTable(module);
                  std::sort(table.names.begin(), table.names.end());
                  e.Expect(table.names == std::vector<std::string>{"ExitDll", "GetPluginFactory", "InitDll"},
                           Describe("number of exported names", static_cast<long long>(table.names.size())));
                  e.Expect(table.numFunctions == 3,
                           Describe("number of exported functions", table.numFunctions));
              });
    if (initDll == nullptr || exitDll == nullptr || getPluginFactory == nullptr)
    {
        FreeLibrary(module);
        return;
    }

    run.Check("VST3: InitDll answers true",
              [&](Expectations& e) { e.Expect(initDll(), "InitDll answered false"); });
    IPluginFactory* factory = getPluginFactory();
    run.Check("VST3: the factory names the vendor and the organ under its class id",
              [&](Expectations& e)
              {
                  e.Expect(factory != nullptr, "GetPluginFactory answered null");
                  if (factory != nullptr)
                      CheckFactory(e, *factory);
              });
    if (factory != nullptr)
    {
        run.Check("VST3: an instance plays a note",
                  [&](Expectations& e) { CheckComponentPlaysNote(e, *factory); });
        factory->release();
    }
    run.Check("VST3: ExitDll answers true and the module unloads",
              [&](Expectations& e)
              {
                  e.Expect(exitDll(), "ExitDll answered false");
                  e.Expect(FreeLibrary(module) != FALSE, "FreeLibrary failed");
              });
}

} // namespace brumalux
