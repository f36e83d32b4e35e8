#include "LilvHost.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>

#include <cstring>

namespace brumalux
{

namespace
{
constexpr size_t atomBufferBytes = 16384;
} // namespace

LV2_URID UridMap::Map(const char* uri)
{
    const std::lock_guard<std::mutex> guard(lock);
    const auto found = ids.find(uri);
    if (found != ids.end())
        return found->second;
    uris.emplace_back(uri);
    return ids[uri] = static_cast<LV2_URID>(uris.size());
}

const char* UridMap::Unmap(LV2_URID urid)
{
    const std::lock_guard<std::mutex> guard(lock);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

LV2_URID UridMap::MapEntry(LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<UridMap*>(handle)->Map(uri);
}

const char* UridMap::UnmapEntry(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    return static_cast<UridMap*>(handle)->Unmap(urid);
}

Lv2Bundle::Lv2Bundle(const std::string& bundleFolder) : world(lilv_world_new())
{
    const LilvNodePtr bundle(lilv_new_file_uri(world, nullptr, (bundleFolder + "/").c_str()),
                             &lilv_node_free);
    lilv_world_load_bundle(world, bundle.get());
    plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), Uri(lv2PluginUri).get());
    if (plugin != nullptr)
    {
        // The presets, as hosts find them.
        LilvNodes* presets = lilv_plugin_get_related(plugin, Uri(LV2_PRESETS__Preset).get());
        LILV_FOREACH(nodes, i, presets)
        lilv_world_load_resource(world, lilv_nodes_get(presets, i));
        lilv_nodes_free(presets);
    }

    auto& urid = urids;
    const auto intType = urid.Map(LV2_ATOM__Int), floatType = urid.Map(LV2_ATOM__Float);
    options = {LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, urid.Map(LV2_BUF_SIZE__maxBlockLength),
                                  sizeof(int32_t), intType, &maxBlock},
               LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, urid.Map(LV2_BUF_SIZE__minBlockLength),
                                  sizeof(int32_t), intType, &minBlock},
               LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, urid.Map(LV2_PARAMETERS__sampleRate),
                                  sizeof(float), floatType, &rate},
               LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    featureList = {LV2_Feature{LV2_URID__map, urids.MapFeature()},
                   LV2_Feature{LV2_URID__unmap, urids.UnmapFeature()},
                   LV2_Feature{LV2_OPTIONS__options, options.data()},
                   LV2_Feature{LV2_BUF_SIZE__boundedBlockLength, nullptr},
                   LV2_Feature{LV2_BUF_SIZE__fixedBlockLength, nullptr}};
    for (size_t i = 0; i < featureList.size(); ++i)
        features[i] = &featureList[i];
}

Lv2Bundle::~Lv2Bundle()
{
    lilv_world_free(world);
}

LilvNodePtr Lv2Bundle::Uri(const char* uri) const
{
    return LilvNodePtr(lilv_new_uri(world, uri), &lilv_node_free);
}

std::map<std::string, std::string> Lv2Bundle::Presets() const
{
    std::map<std::string, std::string> presets;
    const auto label = Uri(LILV_NS_RDFS "label");
    LilvNodes* related = lilv_plugin_get_related(plugin, Uri(LV2_PRESETS__Preset).get());
    LILV_FOREACH(nodes, i, related)
    {
        const auto* preset = lilv_nodes_get(related, i);
        const LilvNodePtr name(lilv_world_get(world, preset, label.get(), nullptr), &lilv_node_free);
        if (name != nullptr)
            presets[lilv_node_as_string(name.get())] = lilv_node_as_uri(preset);
    }
    lilv_nodes_free(related);
    return presets;
}

LilvStatePtr Lv2Bundle::StateFromWorld(const std::string& uri)
{
    return LilvStatePtr(lilv_state_new_from_world(world, urids.MapFeature(), Uri(uri.c_str()).get()),
                        &lilv_state_free);
}

LilvStatePtr Lv2Bundle::ThroughText(const LilvState* state)
{
    char* text = lilv_state_to_string(world, urids.MapFeature(), urids.UnmapFeature(), state,
                                      "urn:brumalux:test-state", nullptr);
    if (text == nullptr)
        return LilvStatePtr(nullptr, &lilv_state_free);
    LilvStatePtr read(lilv_state_new_from_string(world, urids.MapFeature(), text), &lilv_state_free);
    lilv_free(text);
    return read;
}

Lv2Organ::Lv2Organ(Lv2Bundle& hostBundle)
    : bundle(hostBundle),
      atomIn(atomBufferBytes / sizeof(uint64_t)),
      atomOut(atomBufferBytes / sizeof(uint64_t))
{
    auto& urids = bundle.Urids();
    lv2_atom_forge_init(&forge, urids.MapFeature());
    midiEvent = urids.Map(LV2_MIDI__MidiEvent);
    stateChanged = urids.Map(LV2_STATE__StateChanged);
    atomFloat = urids.Map(LV2_ATOM__Float);
    atomString = urids.Map(LV2_ATOM__String);
    stateString = urids.Map("https://quellmark.music/plugins/brumalux:StateString");
    instance = lilv_plugin_instantiate(bundle.Plugin(), Lv2Bundle::sampleRate, bundle.Features());
    if (instance == nullptr)
        return;

    const auto audioPort = bundle.Uri(LV2_CORE__AudioPort);
    const auto atomPort = bundle.Uri(LV2_ATOM__AtomPort);
    const auto inputPort = bundle.Uri(LV2_CORE__InputPort);
    const auto* plugin = bundle.Plugin();
    for (uint32_t index = 0; index < lilv_plugin_get_num_ports(plugin); ++index)
    {
        const auto* port = lilv_plugin_get_port_by_index(plugin, index);
        const bool input = lilv_port_is_a(plugin, port, inputPort.get());
        void* buffer = nullptr;
        if (lilv_port_is_a(plugin, port, audioPort.get()))
            buffer = audio.emplace_back(Lv2Bundle::blockSize, 0.0f).data();
        else if (lilv_port_is_a(plugin, port, atomPort.get()))
            buffer = input ? atomIn.data() : atomOut.data();
        else
        {
            LilvNode* defaultValue = nullptr;
            lilv_port_get_range(plugin, port, &defaultValue, nullptr, nullptr);
            auto& control = controls[lilv_node_as_string(lilv_port_get_symbol(plugin, port))];
            control = defaultValue != nullptr ? lilv_node_as_float(defaultValue) : 0.0f;
            lilv_node_free(defaultValue);
            buffer = &control;
        }
        lilv_instance_connect_port(instance, index, buffer);
    }
    lilv_instance_activate(instance);
}

Lv2Organ::~Lv2Organ()
{
    if (instance == nullptr)
        return;
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
}

void Lv2Organ::SetControl(const std::string& symbol, float value)
{
    controls.at(symbol) = value;
}

float Lv2Organ::Control(const std::string& symbol) const
{
    return controls.at(symbol);
}

void Lv2Organ::Render(const std::vector<MidiEvent>& events)
{
    WriteInput(events);
    auto* out = reinterpret_cast<LV2_Atom*>(atomOut.data());
    out->type = 0;
    out->size = static_cast<uint32_t>(atomBufferBytes - sizeof(LV2_Atom)); // the room the plug-in may fill
    lilv_instance_run(instance, Lv2Bundle::blockSize);
    ReadOutput();
}

void Lv2Organ::WriteInput(const std::vector<MidiEvent>& events)
{
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(atomIn.data()), atomBufferBytes);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    for (const auto& event : events)
    {
        lv2_atom_forge_frame_time(&forge, event.frame);
        lv2_atom_forge_atom(&forge, sizeof(event.bytes), midiEvent);
        lv2_atom_forge_write(&forge, event.bytes, sizeof(event.bytes));
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

void Lv2Organ::ReadOutput()
{
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(atomOut.data());
    if (sequence->atom.type != forge.Sequence)
        return;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
    {
        if (event->body.type == forge.Object &&
            reinterpret_cast<const LV2_Atom_Object*>(&event->body)->body.otype == stateChanged)
            ++stateChanges;
    }
}

const void* Lv2Organ::PortValue(const char* symbol, void* organ, uint32_t* size, uint32_t* type)
{
    auto& self = *static_cast<Lv2Organ*>(organ);
    const auto found = self.controls.find(symbol);
    const bool known = found != self.controls.end();
    *size = known ? sizeof(float) : 0;
    *type = known ? self.atomFloat : 0;
    return known ? &found->second : nullptr;
}

void Lv2Organ::SetPortValue(const char* symbol, void* organ, const void* value, uint32_t size, uint32_t type)
{
    auto& self = *static_cast<Lv2Organ*>(organ);
    // A port the state names that this version has not is passed over, as hosts do.
    const auto found = self.controls.find(symbol);
    if (found != self.controls.end() && size == sizeof(float) && type == self.atomFloat)
        std::memcpy(&found->second, value, sizeof(float));
}

LilvStatePtr Lv2Organ::SaveState()
{
    return LilvStatePtr(lilv_state_new_from_instance(bundle.Plugin(), instance, bundle.Urids().MapFeature(),
                                                     nullptr, nullptr, nullptr, nullptr, &PortValue, this,
                                                     LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                                     bundle.Features()),
                        &lilv_state_free);
}

void Lv2Organ::RestoreState(const LilvState* state)
{
    lilv_state_restore(state, instance, &SetPortValue, this, 0, bundle.Features());
}

const LV2_State_Interface& Lv2Organ::StateInterface() const
{
    return *static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

juce::MemoryBlock Lv2Organ::StateBytes()
{
    struct Captured
    {
        LV2_URID key;
        juce::String text;
    } captured{stateString, {}};
    const LV2_State_Store_Function store =
        [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t, uint32_t)
    {
        auto& into = *static_cast<Captured*>(handle);
        if (key == into.key && size > 0)
            into.text = juce::String::fromUTF8(static_cast<const char*>(value), static_cast<int>(size) - 1);
        return LV2_STATE_SUCCESS;
    };
    StateInterface().save(Handle(), store, &captured, 0, bundle.Features());
    juce::MemoryBlock bytes;
    bytes.fromBase64Encoding(captured.text);
    return bytes;
}

void Lv2Organ::RestoreStateBytes(const juce::MemoryBlock& bytes)
{
    RestoreStateText(bytes.toBase64Encoding().toStdString());
}

void Lv2Organ::RestoreStateText(const std::string& text)
{
    struct Offered
    {
        LV2_URID key, type;
        std::string text;
    } offered{stateString, atomString, text};
    const LV2_State_Retrieve_Function retrieve = [](LV2_State_Handle handle, uint32_t key, size_t* size,
                                                    uint32_t* type, uint32_t* flags) -> const void*
    {
        const auto& from = *static_cast<Offered*>(handle);
        if (key != from.key)
            return nullptr;
        *size = from.text.size() + 1;
        *type = from.type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return from.text.c_str();
    };
    StateInterface().restore(Handle(), retrieve, &offered, 0, bundle.Features());
}

} // namespace brumalux
