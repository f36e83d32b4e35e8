#include "LilvHost.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>
#include <lv2/patch/patch.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>

#include <cstring>

namespace brumalux
{

namespace
{
constexpr size_t atomBufferBytes = 16384; // above the ports' rsz:minimumSize

// A lilv node freed when it goes out of scope.
using Node = std::unique_ptr<LilvNode, decltype(&lilv_node_free)>;
Node MakeUri(LilvWorld* world, const char* uri)
{
    return Node(lilv_new_uri(world, uri), &lilv_node_free);
}
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

Lv2Bundle::Lv2Bundle(const std::string& bundleFolder, const char* pluginUri) : world(lilv_world_new())
{
    const Node bundle(lilv_new_file_uri(world, nullptr, (bundleFolder + "/").c_str()), &lilv_node_free);
    lilv_world_load_bundle(world, bundle.get());
    const auto uri = MakeUri(world, pluginUri);
    plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri.get());

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
    if (plugin != nullptr)
        FindParameters();
}

Lv2Bundle::~Lv2Bundle()
{
    lilv_world_free(world);
}

void Lv2Bundle::FindParameters()
{
    const auto writable = MakeUri(world, LV2_PATCH__writable);
    const auto label = MakeUri(world, LILV_NS_RDFS "label");
    const auto defaultValue = MakeUri(world, LV2_CORE__default);
    LilvNodes* properties = lilv_plugin_get_value(plugin, writable.get());
    LILV_FOREACH(nodes, i, properties)
    {
        const auto* property = lilv_nodes_get(properties, i);
        const Node name(lilv_world_get(world, property, label.get(), nullptr), &lilv_node_free);
        const Node value(lilv_world_get(world, property, defaultValue.get(), nullptr), &lilv_node_free);
        if (name != nullptr && value != nullptr)
            parameters.push_back({lilv_node_as_string(name.get()), urids.Map(lilv_node_as_uri(property)),
                                  lilv_node_as_float(value.get())});
    }
    lilv_nodes_free(properties);
}

std::map<std::string, std::string> Lv2Bundle::Presets() const
{
    std::map<std::string, std::string> presets;
    const auto presetClass = MakeUri(world, LV2_PRESETS__Preset);
    const auto label = MakeUri(world, LILV_NS_RDFS "label");
    LilvNodes* related = lilv_plugin_get_related(plugin, presetClass.get());
    LILV_FOREACH(nodes, i, related)
    {
        const auto* preset = lilv_nodes_get(related, i);
        const Node name(lilv_world_get(world, preset, label.get(), nullptr), &lilv_node_free);
        if (name != nullptr)
            presets[lilv_node_as_string(name.get())] = lilv_node_as_uri(preset);
    }
    lilv_nodes_free(related);
    return presets;
}

Lv2Organ::Lv2Organ(Lv2Bundle& hostBundle)
    : bundle(hostBundle),
      atomIn(atomBufferBytes / sizeof(uint64_t)),
      atomOut(atomBufferBytes / sizeof(uint64_t))
{
    auto& urids = bundle.Urids();
    lv2_atom_forge_init(&forge, urids.MapFeature());
    urid = {urids.Map(LV2_MIDI__MidiEvent), urids.Map(LV2_PATCH__Set),  urids.Map(LV2_PATCH__property),
            urids.Map(LV2_PATCH__value),    urids.Map(LV2_ATOM__Float), urids.Map(LV2_ATOM__URID)};
    for (const auto& parameter : bundle.Parameters())
        view[parameter.property] = parameter.defaultValue;
    instance = lilv_plugin_instantiate(bundle.Plugin(), Lv2Bundle::sampleRate, bundle.Features());
    if (instance == nullptr)
        return;

    LilvWorld* world = bundle.World();
    const Node audioPort(lilv_new_uri(world, LV2_CORE__AudioPort), &lilv_node_free);
    const Node atomPort(lilv_new_uri(world, LV2_ATOM__AtomPort), &lilv_node_free);
    const Node inputPort(lilv_new_uri(world, LV2_CORE__InputPort), &lilv_node_free);
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

void Lv2Organ::SetParameter(LV2_URID property, float value)
{
    const std::lock_guard<std::mutex> guard(viewLock);
    view[property] = value;
    queued.emplace_back(property, value);
}

std::map<LV2_URID, float> Lv2Organ::HostView()
{
    const std::lock_guard<std::mutex> guard(viewLock);
    return view;
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
    std::vector<std::pair<LV2_URID, float>> sets;
    {
        const std::lock_guard<std::mutex> guard(viewLock);
        sets.swap(queued);
    }
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(atomIn.data()), atomBufferBytes);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    for (const auto& [property, value] : sets)
    {
        lv2_atom_forge_frame_time(&forge, 0);
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_object(&forge, &object, 0, urid.patchSet);
        lv2_atom_forge_key(&forge, urid.patchProperty);
        lv2_atom_forge_urid(&forge, property);
        lv2_atom_forge_key(&forge, urid.patchValue);
        lv2_atom_forge_float(&forge, value);
        lv2_atom_forge_pop(&forge, &object);
    }
    for (const auto& event : events)
    {
        lv2_atom_forge_frame_time(&forge, event.frame);
        lv2_atom_forge_atom(&forge, sizeof(event.bytes), urid.midiEvent);
        lv2_atom_forge_write(&forge, event.bytes, sizeof(event.bytes));
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

void Lv2Organ::ReadOutput()
{
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(atomOut.data());
    if (sequence->atom.type != forge.Sequence)
        return;
    const std::lock_guard<std::mutex> guard(viewLock);
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
    {
        if (event->body.type != forge.Object)
            continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        if (object->body.otype != urid.patchSet)
            continue;
        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(object, urid.patchProperty, &property, urid.patchValue, &value, 0);
        if (property != nullptr && property->type == urid.atomUrid && value != nullptr &&
            value->type == urid.atomFloat)
            view[reinterpret_cast<const LV2_Atom_URID*>(property)->body] =
                reinterpret_cast<const LV2_Atom_Float*>(value)->body;
    }
}

float* Lv2Organ::ControlPort(const char* symbol)
{
    const auto found = controls.find(symbol);
    return found != controls.end() ? &found->second : nullptr;
}

const void* Lv2Organ::PortValue(const char* symbol, void* organ, uint32_t* size, uint32_t* type)
{
    auto& self = *static_cast<Lv2Organ*>(organ);
    const auto* value = self.ControlPort(symbol);
    *size = value != nullptr ? sizeof(float) : 0;
    *type = value != nullptr ? self.urid.atomFloat : 0;
    return value;
}

void Lv2Organ::SetPortValue(const char* symbol, void* organ, const void* value, uint32_t size, uint32_t type)
{
    auto& self = *static_cast<Lv2Organ*>(organ);
    if (auto* control = self.ControlPort(symbol);
        control != nullptr && size == sizeof(float) && type == self.urid.atomFloat)
        std::memcpy(control, value, sizeof(float));
}

LilvState* Lv2Organ::SaveState()
{
    return lilv_state_new_from_instance(bundle.Plugin(), instance, bundle.Urids().MapFeature(), nullptr,
                                        nullptr, nullptr, nullptr, &PortValue, this,
                                        LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, bundle.Features());
}

void Lv2Organ::RestoreState(const LilvState* state)
{
    lilv_state_restore(state, instance, &SetPortValue, this, 0, bundle.Features());
}

} // namespace brumalux
