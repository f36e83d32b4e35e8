#include "Lv2Instance.h"

#include "Lv2Features.h"
#include "Lv2PortWriter.h"
#include "Lv2StateText.h"
#include "framework/PlayableRange.h"
#include "hostcore/PluginFilterFactory.h"
#include "params/PluginParameterManager.h"

#include <lv2/atom/util.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstring>

namespace brumalux
{

namespace
{
// The block length to prepare for: the host's nominal one, else its longest, else the organ's
// default. The organ renders any length in slices of it.
int BlockSizeFrom(const LV2_Options_Option* options, const Lv2Urids& urids)
{
    int nominal = 0;
    int maximum = 0;
    for (auto* option = options; option != nullptr && option->key != 0; ++option)
    {
        if (option->type != urids.atomInt || option->size != sizeof(int32_t) || option->value == nullptr)
            continue;
        const auto value = *static_cast<const int32_t*>(option->value);
        if (option->key == urids.nominalBlockLength)
            nominal = value;
        else if (option->key == urids.maxBlockLength)
            maximum = value;
    }
    for (const int size : {nominal, maximum})
        if (PlayableRange::IsPlayableBlockSize(size))
            return size;
    return 1024;
}

bool OnMessageThread()
{
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    return messageManager != nullptr && messageManager->isThisTheMessageThread();
}

// Set while this thread restores a state or preset for its host: what that changes is the
// host's own doing, even on the message thread (a host's preset menu with the editor open).
thread_local bool restoringForHost = false;
} // namespace

Lv2Instance* Lv2Instance::Create(double sampleRate, const LV2_Feature* const* features)
{
    const auto* map = Lv2Features::Find<LV2_URID_Map>(features, LV2_URID__map);
    if (map == nullptr || !PlayableRange::IsPlayableSampleRate(sampleRate))
        return nullptr;
    // The ports describe the organ's parameters: a filter of another kind has none of them.
    std::unique_ptr<AudioFilterBase> made(CreateBrumalux());
    if (dynamic_cast<QuellmarkFilterBase*>(made.get()) == nullptr)
        return nullptr;
    std::unique_ptr<QuellmarkFilterBase> organ(static_cast<QuellmarkFilterBase*>(made.release()));
    const auto* options = Lv2Features::Find<LV2_Options_Option>(features, LV2_OPTIONS__options);
    const int blockSize = BlockSizeFrom(options, Lv2Urids(*map));
    return new Lv2Instance(sampleRate, *map, std::move(organ), blockSize);
}

Lv2Instance::Lv2Instance(double rate, const LV2_URID_Map& map, std::unique_ptr<QuellmarkFilterBase> organ,
                         int preparedBlockSize)
    : filter(std::move(organ)),
      urids(map),
      sampleRate(rate),
      blockSize(preparedBlockSize),
      reports(*filter, *this)
{
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(&map));
    // The ports' defaults are the organ's own values (program 0's).
    for (uint32_t port = Lv2Ports::firstControl; port < Lv2Ports::numPorts; ++port)
        baseline[port].store(OrganValue(Lv2Ports::ParameterOf(port)), std::memory_order_relaxed);
    pendingMidi.ensureSize(HostBlockRenderer::reservedMidiBytes);
    // A host that runs before activating hears silence.
    renderer.Prepare(0, 2, blockSize);
}

Lv2Instance::~Lv2Instance()
{
    if (auto* writer = editor.exchange(nullptr))
        writer->InstanceGone();
}

Lv2Instance* Lv2Instance::FromHandle(const void* handle) noexcept
{
    auto* instance = static_cast<Lv2Instance*>(const_cast<void*>(handle));
    return instance != nullptr && instance->handleMagic == magic ? instance : nullptr;
}

void Lv2Instance::ConnectPort(uint32_t port, void* data) noexcept
{
    switch (port)
    {
        case Lv2Ports::audioOutLeft:
        case Lv2Ports::audioOutRight:
            audioOut[port - Lv2Ports::audioOutLeft] = static_cast<float*>(data);
            return;
        case Lv2Ports::midiIn:
            midiIn = static_cast<const LV2_Atom_Sequence*>(data);
            return;
        case Lv2Ports::notifyOut:
            notifyOut = static_cast<LV2_Atom_Sequence*>(data);
            return;
        default:
            if (port < Lv2Ports::numPorts)
                controlPorts[port] = static_cast<float*>(data);
    }
}

void Lv2Instance::Activate()
{
    const juce::ScopedLock lock(filter->GetCallbackLock());
    filter->SetPlayConfiguration(sampleRate, blockSize);
    renderer.Prepare(0, 2, blockSize);
    filter->PrepareToPlay(sampleRate, blockSize);
    pendingMidi.clear();
}

void Lv2Instance::Deactivate()
{
    const juce::ScopedLock lock(filter->GetCallbackLock());
    filter->ReleaseResources();
}

// Audio.

void Lv2Instance::Run(uint32_t numFrames)
{
    ReadControlPorts();
    ReadMidi();
    if (numFrames > 0)
    {
        const juce::ScopedLock lock(filter->GetCallbackLock());
        renderer.Render(*filter, nullptr, audioOut,
                        static_cast<int>(juce::jmin<uint32_t>(numFrames, INT32_MAX)), false, pendingMidi,
                        nullptr);
    }
    pendingMidi.clear();
    WriteNotifications();
}

void Lv2Instance::ReadControlPorts() noexcept
{
    const bool takeAsBaseline = rebaseline.exchange(false, std::memory_order_acquire);
    auto& manager = filter->GetParameterManager();
    for (uint32_t port = Lv2Ports::firstControl; port < Lv2Ports::numPorts; ++port)
    {
        if (controlPorts[port] == nullptr)
            continue;
        const float value = *controlPorts[port];
        if (!std::isfinite(value) || value == baseline[port].load(std::memory_order_relaxed))
            continue;
        baseline[port].store(value, std::memory_order_relaxed);
        if (!takeAsBaseline)
            manager.StoreValueAndAnnounceLater(Lv2Ports::ParameterOf(port), value);
    }
}

void Lv2Instance::ReadMidi() noexcept
{
    if (midiIn == nullptr || midiIn->atom.type != urids.atomSequence)
        return;
    // As many events as the room reserved for them holds: the audio thread does not allocate.
    int room = HostBlockRenderer::reservedMidiEvents;
    LV2_ATOM_SEQUENCE_FOREACH(midiIn, event)
    {
        // Short messages only: the organ plays nothing longer.
        if (event->body.type != urids.midiEvent || event->body.size < 1 || event->body.size > 3)
            continue;
        if (room-- == 0)
            return;
        pendingMidi.addEvent(LV2_ATOM_BODY_CONST(&event->body), static_cast<int>(event->body.size),
                             static_cast<int>(juce::jlimit<int64_t>(0, INT32_MAX, event->time.frames)));
    }
}

void Lv2Instance::WriteNotifications() noexcept
{
    if (notifyOut == nullptr)
        return;
    // The host put the room it gives into the atom's size.
    const auto capacity = notifyOut->atom.size;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(notifyOut), sizeof(LV2_Atom) + capacity);
    LV2_Atom_Forge_Frame sequence;
    if (lv2_atom_forge_sequence_head(&forge, &sequence, 0) == 0)
        return;
    if (stateChanged.exchange(false, std::memory_order_relaxed))
    {
        LV2_Atom_Forge_Frame object;
        if (lv2_atom_forge_frame_time(&forge, 0) != 0 &&
            lv2_atom_forge_object(&forge, &object, 0, urids.stateChanged) != 0)
            lv2_atom_forge_pop(&forge, &object);
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

float Lv2Instance::OrganValue(int parameter) const noexcept
{
    return filter->GetParameterManager().GetValue(parameter);
}

// State: the same bytes every form saves, under the name and in the encoding the form's first
// build used.

LV2_State_Status Lv2Instance::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    juce::MemoryBlock state;
    filter->SaveState(state);
    const auto text = Lv2StateText::Encode(state);
    return store(handle, urids.stateString, text.toRawUTF8(), text.getNumBytesAsUTF8() + 1, urids.atomString,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Instance::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    const juce::ScopedValueSetter<bool> restoring(restoringForHost, true);
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    // A factory preset carries its program's number only.
    if (const auto* program = retrieve(handle, urids.program, &size, &type, &flags))
    {
        if (type != urids.atomInt || size != sizeof(int32_t))
            return LV2_STATE_ERR_BAD_TYPE;
        int32_t number = 0;
        std::memcpy(&number, program, sizeof(number));
        filter->SelectFactoryProgram(number);
        rebaseline.store(true, std::memory_order_release);
        return LV2_STATE_SUCCESS;
    }
    const auto* text = static_cast<const char*>(retrieve(handle, urids.stateString, &size, &type, &flags));
    if (text == nullptr)
        return LV2_STATE_ERR_NO_PROPERTY;
    if (type != urids.atomString)
        return LV2_STATE_ERR_BAD_TYPE;
    juce::MemoryBlock state;
    if (!Lv2StateText::Decode(text, size, state))
        return LV2_STATE_ERR_UNKNOWN;
    filter->LoadState(state.getData(), static_cast<int>(state.getSize()));
    rebaseline.store(true, std::memory_order_release);
    return LV2_STATE_SUCCESS;
}

// The editor.

void Lv2Instance::AttachEditor(Lv2PortWriter* writer) noexcept
{
    editor.store(writer);
    gestureOpen.fill(false);
}

void Lv2Instance::TakePortValue(uint32_t port, float value)
{
    const int parameter = Lv2Ports::ParameterOf(port);
    if (parameter < 0 || !std::isfinite(value) || rebaseline.load(std::memory_order_acquire) ||
        value == baseline[port].load(std::memory_order_relaxed))
        return;
    baseline[port].store(value, std::memory_order_relaxed);
    auto& manager = filter->GetParameterManager();
    manager.StoreValueAndAnnounceLater(parameter, value);
    manager.AnnounceStoredValues();
}

void Lv2Instance::Tell(const HostReport& report)
{
    if (restoringForHost || !OnMessageThread())
        return;
    auto* writer = editor.load();
    const auto port = Lv2Ports::PortOf(report.index);
    switch (report.kind)
    {
        case HostReport::Kind::parameterChanged:
            if (writer != nullptr)
                WriteThroughEditor(report.index);
            else
                stateChanged.store(true, std::memory_order_relaxed);
            return;
        case HostReport::Kind::gestureBegan:
        case HostReport::Kind::gestureEnded:
            if (writer != nullptr && port != 0)
            {
                const bool began = report.kind == HostReport::Kind::gestureBegan;
                gestureOpen[static_cast<size_t>(report.index)] = began;
                writer->TouchPort(port, began);
            }
            return;
        case HostReport::Kind::programChanged:
        case HostReport::Kind::settingsChanged:
            stateChanged.store(true, std::memory_order_relaxed);
            return;
    }
}

void Lv2Instance::WriteThroughEditor(int parameter)
{
    const auto port = Lv2Ports::PortOf(parameter);
    auto* writer = editor.load();
    if (port == 0 || writer == nullptr)
        return;
    const float value = OrganValue(parameter);
    baseline[port].store(value, std::memory_order_relaxed);
    const bool inGesture = gestureOpen[static_cast<size_t>(parameter)];
    if (!inGesture)
        writer->TouchPort(port, true);
    writer->WritePort(port, value);
    if (!inGesture)
        writer->TouchPort(port, false);
}

} // namespace brumalux
