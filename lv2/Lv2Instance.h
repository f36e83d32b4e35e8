#pragma once

#include "Lv2Ports.h"
#include "Lv2Urids.h"
#include "hostcore/HostBlockRenderer.h"
#include "hostcore/HostReports.h"
#include "hostcore/JuceRuntimeHolder.h"
#include "params/QuellmarkFilterBase.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <array>
#include <atomic>
#include <memory>

namespace brumalux
{

class Lv2PortWriter;

// One plug-in instance as an LV2 host sees it: its ports, the organ filter it owns, and its
// state. The host owns the control ports: a value a port holds is applied at the next run()
// when it differs from the value the port had at the previous one (the baseline). After a
// restored state or preset the next run() takes the ports as they are as the baseline, so a
// host's stale port values do not undo what was restored (a port the host holds at a stale
// value catches up when the host moves it). A new instance starts from the ports' defaults (the
// organ's own values), so values a host sets before its first run() (jalv -c) apply. What the organ changes
// by itself (MIDI, the editor) reaches the host through the editor's port writes while an editor is open, and
// as state:StateChanged on the atom output.
//
// Threads, as LV2 sorts host calls: run() is the audio thread and neither allocates, locks
// against a long holder, nor does I/O; instantiate, activate, deactivate and cleanup are never
// concurrent with it; save and restore come from the host's other threads, restore also while
// run() is going (the filter guards its bank itself). Reports to the host leave on the message
// thread: the shared loop thread, or the host's user-interface thread while an editor is open.
class Lv2Instance final : private JuceRuntimeHolder, private HostReportSink
{
public:
    // Null when the host maps no URIDs or the organ cannot be made. Inside a ScopedHostMessageThread.
    static Lv2Instance* Create(double sampleRate, const LV2_Feature* const* features);
    ~Lv2Instance();

    // The instance behind a handle of ours; null for a null or foreign one.
    static Lv2Instance* FromHandle(const void* handle) noexcept;

    void ConnectPort(uint32_t port, void* data) noexcept;
    void Activate();
    void Deactivate();
    void Run(uint32_t numFrames);

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // The editor's side (instance-access), on the host's user-interface thread.
    QuellmarkFilterBase& GetFilter() noexcept { return *filter; }
    HostReports& Reports() noexcept { return reports; }
    void AttachEditor(Lv2PortWriter* writer) noexcept;
    // The host tells the editor a control port's value: when the port moved since the last run()
    // the organ takes it now, as run() would.
    void TakePortValue(uint32_t port, float value);

private:
    Lv2Instance(double sampleRate, const LV2_URID_Map& map, std::unique_ptr<QuellmarkFilterBase> filter,
                int blockSize);

    // HostReportSink: only reports made on the message thread count; those on a host thread are
    // the host's own doing (a restored state, a preset).
    void Tell(const HostReport& report) override;
    void WriteThroughEditor(int parameter);

    void ReadControlPorts() noexcept;
    void ReadMidi() noexcept;
    void WriteNotifications() noexcept;
    float OrganValue(int parameter) const noexcept;

    static constexpr uint32_t magic = 0x4272756d; // 'Brum'
    const uint32_t handleMagic = magic;
    const std::unique_ptr<QuellmarkFilterBase> filter;
    const Lv2Urids urids;
    const double sampleRate;
    const int blockSize;
    HostReports reports;

    std::array<float*, Lv2Ports::numPorts> controlPorts{};
    float* audioOut[2]{};
    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* notifyOut = nullptr;
    // The control ports' values at the previous run(); the editor's writes set them too, so a
    // value the organ already has is not applied again when the host passes it back.
    std::array<std::atomic<float>, Lv2Ports::numPorts> baseline{};
    std::atomic<bool> rebaseline{false};
    std::atomic<bool> stateChanged{false};

    juce::MidiBuffer pendingMidi;
    HostBlockRenderer renderer;
    LV2_Atom_Forge forge{};

    std::atomic<Lv2PortWriter*> editor{nullptr};
    std::array<bool, ParameterIndex::count> gestureOpen{}; // message thread
};

} // namespace brumalux
