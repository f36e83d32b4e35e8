// The plug-in binary's entry points: the LV2 plug-in and its editor. The version script keeps
// every other symbol of the library (JUCE's included) out of the host's sight.

#include "Lv2Editor.h"
#include "Lv2Identity.h"
#include "Lv2Instance.h"
#include "hostcore/SharedMessageThread.h"

#include <lv2/state/state.h>

#include <cstring>

namespace brumalux
{

namespace
{
// Nothing may escape into the host's C code.
template <typename Result, typename Call> Result Guarded(Result failure, Call&& call) noexcept
{
    try
    {
        return call();
    }
    catch (...)
    {
        return failure;
    }
}

template <typename Call> void Guarded(Call&& call) noexcept
{
    try
    {
        call();
    }
    catch (...)
    {
    }
}

Lv2Instance* InstanceOf(LV2_Handle handle)
{
    return Lv2Instance::FromHandle(handle);
}

LV2_Handle Instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features)
{
    return Guarded<LV2_Handle>(nullptr,
                               [&]
                               {
                                   const ScopedHostMessageThread messageThread;
                                   // Keeps JUCE up while the instance is made; if none comes of it,
                                   // JUCE and the message loop go away with it.
                                   const JuceRuntimeHolder runtime;
                                   return Lv2Instance::Create(sampleRate, features);
                               });
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data)
{
    if (auto* instance = InstanceOf(handle))
        instance->ConnectPort(port, data);
}

void Activate(LV2_Handle handle)
{
    if (auto* instance = InstanceOf(handle))
        Guarded([instance] { instance->Activate(); });
}

void Run(LV2_Handle handle, uint32_t numFrames)
{
    if (auto* instance = InstanceOf(handle))
        Guarded([instance, numFrames] { instance->Run(numFrames); });
}

void Deactivate(LV2_Handle handle)
{
    if (auto* instance = InstanceOf(handle))
        Guarded([instance] { instance->Deactivate(); });
}

void Cleanup(LV2_Handle handle)
{
    if (auto* instance = InstanceOf(handle))
        Guarded(
            [instance]
            {
                const ScopedHostMessageThread messageThread;
                delete instance;
            });
}

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*)
{
    auto* instance = InstanceOf(handle);
    if (instance == nullptr || store == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    return Guarded(LV2_STATE_ERR_UNKNOWN, [&] { return instance->Save(store, state); });
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                         uint32_t, const LV2_Feature* const*)
{
    auto* instance = InstanceOf(handle);
    if (instance == nullptr || retrieve == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    return Guarded(LV2_STATE_ERR_UNKNOWN, [&] { return instance->Restore(retrieve, state); });
}

const void* ExtensionData(const char* uri)
{
    static const LV2_State_Interface state{&Save, &Restore};
    return uri != nullptr && std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor pluginDescriptor{
    Lv2Identity::pluginUri, &Instantiate, &ConnectPort, &Activate, &Run, &Deactivate, &Cleanup,
    &ExtensionData};

// The editor.

LV2UI_Handle InstantiateEditor(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                               LV2UI_Controller controller, LV2UI_Widget* widget,
                               const LV2_Feature* const* features)
{
    return Guarded<LV2UI_Handle>(nullptr,
                                 [&]
                                 {
                                     const ScopedHostMessageThread messageThread;
                                     return Lv2Editor::Create(write, controller, widget, features);
                                 });
}

void CleanupEditor(LV2UI_Handle handle)
{
    Guarded(
        [handle]
        {
            const ScopedHostMessageThread messageThread;
            delete static_cast<Lv2Editor*>(handle);
        });
}

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (handle == nullptr)
        return;
    Guarded(
        [&]
        {
            const ScopedHostMessageThread messageThread;
            static_cast<Lv2Editor*>(handle)->PortEvent(port, size, format, buffer);
        });
}

int EditorIdle(LV2UI_Handle handle)
{
    if (handle == nullptr)
        return 1;
    return Guarded(1,
                   [handle]
                   {
                       const ScopedHostMessageThread messageThread;
                       return static_cast<Lv2Editor*>(handle)->Idle();
                   });
}

const void* EditorExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idle{&EditorIdle};
    return uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idle : nullptr;
}

const LV2UI_Descriptor editorDescriptor{Lv2Identity::uiUri, &InstantiateEditor, &CleanupEditor, &PortEvent,
                                        &EditorExtensionData};
} // namespace

} // namespace brumalux

#define BRUMALUX_EXPORT extern "C" __attribute__((visibility("default")))

BRUMALUX_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index);
const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &brumalux::pluginDescriptor : nullptr;
}

BRUMALUX_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index);
const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &brumalux::editorDescriptor : nullptr;
}
