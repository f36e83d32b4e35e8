#pragma once

#include <juce_core/juce_core.h>

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace brumalux
{

// A small LV2 host on Debian's lilv, as Ardour, Carla and jalv host a plug-in: URIDs, the
// bundle's world, and instances run with MIDI in, their control ports set as a host sets them,
// and the notifications on their atom output counted.

constexpr const char* lv2PluginUri = "https://quellmark.music/plugins/brumalux";

// The host's URID map and unmap; plug-ins may call them from any thread.
class UridMap
{
public:
    LV2_URID Map(const char* uri);
    const char* Unmap(LV2_URID urid);
    LV2_URID_Map* MapFeature() { return &map; }
    LV2_URID_Unmap* UnmapFeature() { return &unmap; }

private:
    static LV2_URID MapEntry(LV2_URID_Map_Handle handle, const char* uri);
    static const char* UnmapEntry(LV2_URID_Unmap_Handle handle, LV2_URID urid);

    std::mutex lock;
    std::unordered_map<std::string, LV2_URID> ids;
    std::deque<std::string> uris; // URID n is uris[n - 1]
    LV2_URID_Map map{this, &MapEntry};
    LV2_URID_Unmap unmap{this, &UnmapEntry};
};

// A lilv node freed when it goes out of scope.
using LilvNodePtr = std::unique_ptr<LilvNode, decltype(&lilv_node_free)>;
// A state freed when it goes out of scope.
using LilvStatePtr = std::unique_ptr<LilvState, decltype(&lilv_state_free)>;

// One bundle loaded into a lilv world, with the features its instances get.
class Lv2Bundle
{
public:
    static constexpr double sampleRate = 44100.0;
    static constexpr int blockSize = 256;

    explicit Lv2Bundle(const std::string& bundleFolder);
    ~Lv2Bundle();
    Lv2Bundle(const Lv2Bundle&) = delete;
    Lv2Bundle& operator=(const Lv2Bundle&) = delete;

    LilvWorld* World() const { return world; }
    const LilvPlugin* Plugin() const { return plugin; }
    UridMap& Urids() { return urids; }
    const LV2_Feature* const* Features() const { return features.data(); }
    LilvNodePtr Uri(const char* uri) const;

    // The presets' URIs by label.
    std::map<std::string, std::string> Presets() const;
    // A preset (or any state) described in the world, by its URI.
    LilvStatePtr StateFromWorld(const std::string& uri);
    // A saved state, as lilv writes it into a host's project and reads it back.
    LilvStatePtr ThroughText(const LilvState* state);

private:
    UridMap urids;
    LilvWorld* world;
    const LilvPlugin* plugin = nullptr;
    int32_t maxBlock = blockSize, minBlock = 0;
    float rate = static_cast<float>(sampleRate);
    std::array<LV2_Options_Option, 4> options{};
    std::array<LV2_Feature, 5> featureList{};
    std::array<const LV2_Feature*, 6> features{};
};

// One instance, activated, its ports connected to buffers of its own, every control port at
// its default. Render belongs to the audio thread; the rest to the control thread, where state
// may be saved and restored while Render runs (the plug-in guards that itself).
class Lv2Organ
{
public:
    explicit Lv2Organ(Lv2Bundle& bundle);
    ~Lv2Organ();
    Lv2Organ(const Lv2Organ&) = delete;
    Lv2Organ& operator=(const Lv2Organ&) = delete;

    bool IsInstantiated() const { return instance != nullptr; }
    LV2_Handle Handle() const { return lilv_instance_get_handle(instance); }

    struct MidiEvent
    {
        uint32_t frame;
        uint8_t bytes[3];
    };
    // One block with these events.
    void Render(const std::vector<MidiEvent>& events = {});
    const std::vector<float>& Output(int channel) const { return audio[static_cast<size_t>(channel)]; }
    // How many state:StateChanged notifications the plug-in has sent.
    int StateChangesSeen() const { return stateChanges.load(); }

    // A control port as the host holds it; the plug-in sees a change with its next block.
    void SetControl(const std::string& symbol, float value);
    float Control(const std::string& symbol) const;

    // The state as lilv takes it from the instance (with the control ports' values), and
    // restored from one (which sets the control ports it holds).
    LilvStatePtr SaveState();
    void RestoreState(const LilvState* state);
    // The organ's state bytes, as the plug-in stores them (its StateString, decoded), and
    // restored from such bytes through the plug-in's state interface.
    juce::MemoryBlock StateBytes();
    void RestoreStateBytes(const juce::MemoryBlock& bytes);
    // Restores the StateString property as this text, whatever it holds.
    void RestoreStateText(const std::string& text);

private:
    static const void* PortValue(const char* symbol, void* organ, uint32_t* size, uint32_t* type);
    static void SetPortValue(const char* symbol, void* organ, const void* value, uint32_t size,
                             uint32_t type);
    const LV2_State_Interface& StateInterface() const;
    void WriteInput(const std::vector<MidiEvent>& events);
    void ReadOutput();

    Lv2Bundle& bundle;
    LilvInstance* instance = nullptr;
    LV2_Atom_Forge forge{};
    LV2_URID midiEvent, stateChanged, atomFloat, atomString, stateString;
    std::vector<std::vector<float>> audio;
    std::vector<uint64_t> atomIn, atomOut; // 8-byte aligned, as atoms must be
    std::map<std::string, float> controls; // by port symbol; read by the audio thread
    std::atomic<int> stateChanges{0};
};

} // namespace brumalux
