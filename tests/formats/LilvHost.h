#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <array>
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
// bundle's world, and instances run with MIDI in and patch messages both ways.

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

// One bundle loaded into a lilv world, with the features its instances get.
class Lv2Bundle
{
public:
    static constexpr double sampleRate = 44100.0;
    static constexpr int blockSize = 256;

    Lv2Bundle(const std::string& bundleFolder, const char* pluginUri);
    ~Lv2Bundle();
    Lv2Bundle(const Lv2Bundle&) = delete;
    Lv2Bundle& operator=(const Lv2Bundle&) = delete;

    LilvWorld* World() const { return world; }
    const LilvPlugin* Plugin() const { return plugin; }
    UridMap& Urids() { return urids; }
    const LV2_Feature* const* Features() const { return features.data(); }

    // The plug-in's parameters (its patch:writable properties) by label, with their defaults.
    struct Parameter
    {
        std::string label;
        LV2_URID property;
        float defaultValue;
    };
    const std::vector<Parameter>& Parameters() const { return parameters; }
    // The presets' URIs by label.
    std::map<std::string, std::string> Presets() const;

private:
    void FindParameters();

    UridMap urids;
    LilvWorld* world;
    const LilvPlugin* plugin = nullptr;
    std::vector<Parameter> parameters;
    int32_t maxBlock = blockSize, minBlock = 0;
    float rate = static_cast<float>(sampleRate);
    std::array<LV2_Options_Option, 4> options{};
    std::array<LV2_Feature, 5> featureList{};
    std::array<const LV2_Feature*, 6> features{};
};

// One instance, activated, its ports connected to buffers of its own. Render belongs to the
// audio thread; the rest to the control thread, where state may be saved and restored while
// Render runs (the plug-in guards that itself).
class Lv2Organ
{
public:
    explicit Lv2Organ(Lv2Bundle& bundle);
    ~Lv2Organ();
    Lv2Organ(const Lv2Organ&) = delete;
    Lv2Organ& operator=(const Lv2Organ&) = delete;

    bool IsInstantiated() const { return instance != nullptr; }

    struct MidiEvent
    {
        uint32_t frame;
        uint8_t bytes[3];
    };
    // One block with these events and the parameter changes queued since the last one; the
    // plug-in's patch:Set replies update the host's view of its parameters.
    void Render(const std::vector<MidiEvent>& events = {});
    const std::vector<float>& Output(int channel) const { return audio[static_cast<size_t>(channel)]; }

    // Sent with the next block, as a host's patch:Set.
    void SetParameter(LV2_URID property, float value);
    // The values as the host has them: each parameter's default, then what the host set and
    // what the plug-in told.
    std::map<LV2_URID, float> HostView();

    // The state as lilv takes it from the instance (the caller frees it), and restored from one.
    LilvState* SaveState();
    void RestoreState(const LilvState* state);

private:
    static const void* PortValue(const char* symbol, void* organ, uint32_t* size, uint32_t* type);
    static void SetPortValue(const char* symbol, void* organ, const void* value, uint32_t size,
                             uint32_t type);
    float* ControlPort(const char* symbol);
    void WriteInput(const std::vector<MidiEvent>& events);
    void ReadOutput();

    Lv2Bundle& bundle;
    LilvInstance* instance = nullptr;
    LV2_Atom_Forge forge{};
    struct Urids
    {
        LV2_URID midiEvent, patchSet, patchProperty, patchValue, atomFloat, atomUrid;
    } urid{};
    std::vector<std::vector<float>> audio;
    std::vector<uint64_t> atomIn, atomOut; // 8-byte aligned, as atoms must be
    std::map<std::string, float> controls; // by port symbol
    std::mutex viewLock;                   // the host's parameter view, from both threads
    std::map<LV2_URID, float> view;
    std::vector<std::pair<LV2_URID, float>> queued;
};

} // namespace brumalux
