#pragma once

#include "OrganParameter.h"
#include "Vst3HostEdits.h"
#include "framework/PluginProperties.h"
#include "hostcore/HostBlockRenderer.h"
#include "hostcore/HostReports.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <vector>

namespace brumalux
{
class QuellmarkFilterBase;
// The organ as a juce::AudioProcessor, for JUCE's VST3 and standalone clients. It
// owns the organ filter and forwards every request to it, as the VST 2 wrapper does: the
// parameters, the programs, the state chunk (the same bytes in every form), MIDI in and
// stereo out rendered under the filter's callback lock, and the filter's own editor.
//
// Threads: processBlock runs on the audio thread; prepareToPlay and releaseResources on
// the client's control thread; state, program and editor calls on the message thread;
// parameter values may be read and written from any thread.
class OrganProcessor : public juce::AudioProcessor,
                       public juce::VST3ClientExtensions,
                       private HostReportSink,
                       private juce::AsyncUpdater
{
public:
    explicit OrganProcessor(std::unique_ptr<QuellmarkFilterBase> filter);
    ~OrganProcessor() override;

    // A new organ, or null when the filter cannot be created.
    static std::unique_ptr<OrganProcessor> Create();

    QuellmarkFilterBase& GetFilter() const noexcept { return *filter; }

    const juce::String getName() const override;
    bool acceptsMidi() const override { return properties.wantsMidiInput; }
    bool producesMidi() const override { return properties.producesMidiOutput; }
    bool isMidiEffect() const override { return false; }
    double getTailLengthSeconds() const override { return 0.0; }
    bool isBusesLayoutSupported(const BusesLayout& layout) const override;

    // A rate or block size outside the playable range leaves the organ silent until a usable one.
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    bool hasEditor() const override { return true; }
    juce::AudioProcessorEditor* createEditor() override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destination) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    // The VST3 form's host.
    void setIComponentHandler(Steinberg::FUnknown* handler) override;

private:
    // An instrument has no audio input bus; its output is stereo.
    static BusesProperties OutputBus();

    // HostReportSink: what the organ's HostReports tell the host through JUCE's client. A
    // change from the editor or a program reaches the host through the JUCE parameter, an
    // editor drag or click as one gesture on it; a program the organ switched to by itself (a
    // Program Change in its MIDI) moves the host's program display, as after a switch it made;
    // a changed setting outside the parameters marks the host's project modified. Any thread
    // but the audio thread.
    void Tell(const HostReport& report) override;
    OrganParameter* ParameterAt(int index) const;

    void RenderSilence(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages);

    // After a program switch or a loaded state, every value is reported to the host once
    // more: a client may mute the reports the filter makes while the host itself is
    // switching (JUCE's VST3 client does, for a state and for a program the host changes
    // from its audio thread), and the host would go on showing the old values.
    // - From the next block, for both: reported from the audio thread, the values reach
    //   the host with that block and supersede any the client still holds from before.
    // - For a program the host switches, or a state it loads, from its own thread: at once,
    //   inside its call (VST3: as the host's own edits), so that hosts that read the values
    //   when the call returns see the program's, and a host that sets a program before a
    //   state hears the state's values last. Reporting a program later would read as the
    //   user's edit, and hosts would mark the program just chosen as modified.
    // - From the message thread, for a program switched on the thread that renders (a host
    //   that switches from its audio thread), for hosts that hear only reports made there
    //   (JUCE's VST3 host). On Linux that thread is the client's own, running beside the
    //   host's calls: a state the host loads meanwhile stops the report, as the host would
    //   echo the older values back into the organ and undo the load.
    void ReportValuesIfRequested();
    void handleAsyncUpdate() override;

    const std::unique_ptr<QuellmarkFilterBase> filter;
    PluginProperties properties;
    std::vector<OrganParameter*> organParameters;
    const int numPrograms;

    std::atomic<bool> prepared{false};
    std::atomic<bool> valueReportRequested{false};
    // The thread of the last program switch not yet seen by a block; null when none.
    std::atomic<juce::Thread::ThreadID> programSwitchThread{nullptr};
    std::atomic<bool> programSwitched{false};
    std::atomic<int> statesLoaded{0};
    HostBlockRenderer renderer;
    std::vector<float*> outputChannels;
    Vst3HostEdits hostEdits;
    HostReports reports;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OrganProcessor)
};
} // namespace brumalux
