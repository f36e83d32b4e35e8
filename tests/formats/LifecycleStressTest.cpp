// A host session creates and destroys instances for hours. Each form, in one process, as
// hosts load it: 200 instances, at most four alive at once, each prepared and played, its
// state saved and restored into another instance while an audio thread renders them all,
// its editor opened in a window and closed, and destroyed. In the sanitizer build the same
// run fails on any leak, use after free or overrun along the way.

#include "HostedForms.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ProcessProbes.h"
#include "tests/support/Watchdog.h"
#include "tests/support/X11TestDisplay.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int instancesPerForm = 200;
constexpr int aliveAtOnce = 4;
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 256;
constexpr int toneIndex = 16;

// One organ as a host holds it. The render call belongs to the audio thread, the rest to
// the host's control and message thread.
class HostedOrgan
{
public:
    virtual ~HostedOrgan() = default;
    virtual void SelectProgram(int program) = 0;
    // The organ's tone filter, normalised, as the host automates it.
    virtual void SetTone(float normalised) = 0;
    virtual juce::MemoryBlock Save() = 0;
    virtual void Restore(const juce::MemoryBlock& state) = 0;
    // The organ's own bytes in what Save() answered.
    virtual juce::MemoryBlock OrganBytes(const juce::MemoryBlock& state) = 0;
    // Opens the editor in a window, lets it show, and closes it.
    virtual void OpenAndCloseEditor() = 0;
    // One block, with the note starting or ending at its start; answers its peak level.
    virtual float Render(int note, bool noteOn) = 0;
};

class Vst2Organ : public HostedOrgan
{
public:
    Vst2Organ(PluginLibrary& library, X11TestDisplay& testDisplay, X11TestDisplay::WindowId hostWindow)
        : host(library.Entry()),
          display(testDisplay),
          window(hostWindow)
    {
        host.Open();
        host.Resume(sampleRate, blockSize);
    }

    void SelectProgram(int program) override { host.SelectProgram(program); }
    void SetTone(float normalised) override { host.SetParameter(toneIndex, normalised); }
    juce::MemoryBlock Save() override
    {
        const auto state = host.State();
        return juce::MemoryBlock(state.data(), state.size());
    }
    void Restore(const juce::MemoryBlock& state) override
    {
        const auto* bytes = static_cast<const uint8_t*>(state.getData());
        host.LoadState(std::vector<uint8_t>(bytes, bytes + state.getSize()));
    }
    juce::MemoryBlock OrganBytes(const juce::MemoryBlock& state) override { return state; }

    void OpenAndCloseEditor() override
    {
        EXPECT_EQ(host.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
        for (int idle = 0; idle < 3; ++idle)
        {
            host.Dispatch(vst2::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(display.ChildrenOf(window).size(), 1u) << "the editor's window";
        host.Dispatch(vst2::effEditClose);
    }

    float Render(int note, bool noteOn) override
    {
        const auto status = static_cast<unsigned char>(noteOn ? 0x90 : 0x80);
        host.SendMidi({{0, {status, static_cast<unsigned char>(note), 100}}});
        host.Render(blockSize);
        float peak = 0.0f;
        for (const auto* channel : host.Outputs())
            for (int i = 0; i < blockSize; ++i)
                peak = std::max(peak, std::abs(channel[i]));
        return peak;
    }

private:
    PluginInstance host;
    X11TestDisplay& display;
    const X11TestDisplay::WindowId window;
};

// The VST3 and LV2 forms, through JUCE's hosting.
class JuceHostedOrgan : public HostedOrgan
{
public:
    JuceHostedOrgan(const char* formName, std::unique_ptr<juce::AudioPluginInstance> loaded)
        : form(formName),
          instance(std::move(loaded))
    {
        for (auto* parameter : instance->getParameters())
            if (parameter->getName(100) == "Tone")
                tone = parameter;
        instance->prepareToPlay(sampleRate, blockSize);
    }

    ~JuceHostedOrgan() override { instance->releaseResources(); }

    bool IsComplete() const { return tone != nullptr; }

    // LV2 hosts list the presets in an order of their own, the same for every instance. A
    // preset applies with the next block, which takes the ports it set as they are (so does
    // anything else set before that block), as a host plays a chosen preset.
    void SelectProgram(int program) override
    {
        instance->setCurrentProgram(program);
        Render(60, false);
    }

    void SetTone(float normalised) override { tone->setValueNotifyingHost(normalised); }

    juce::MemoryBlock Save() override
    {
        juce::MemoryBlock state;
        instance->getStateInformation(state);
        return state;
    }

    void Restore(const juce::MemoryBlock& state) override
    {
        instance->setStateInformation(state.getData(), static_cast<int>(state.getSize()));
    }

    juce::MemoryBlock OrganBytes(const juce::MemoryBlock& state) override
    {
        return OrganBytesFromState(form, state);
    }

    void OpenAndCloseEditor() override
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor(instance->createEditorIfNeeded());
        ASSERT_NE(editor, nullptr);
        editor->addToDesktop(0);
        editor->setVisible(true);
        RunMessagesFor(std::chrono::milliseconds(15));
        EXPECT_TRUE(editor->isShowing());
        EXPECT_GE(editor->getWidth(), 400) << "the organ's editor, not an empty frame";
    }

    float Render(int note, bool noteOn) override
    {
        juce::MidiBuffer midi;
        midi.addEvent(noteOn ? juce::MidiMessage::noteOn(1, note, 0.8f) : juce::MidiMessage::noteOff(1, note),
                      0);
        buffer.clear();
        instance->processBlock(buffer, midi);
        return buffer.getMagnitude(0, blockSize);
    }

private:
    const char* const form;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    juce::AudioProcessorParameter* tone = nullptr;
    juce::AudioBuffer<float> buffer{2, blockSize};
};

// A host's audio thread: every alive organ renders a block in turn, notes coming and going,
// with a pause between the rounds as a sound card's period gives one.
class AudioThread
{
public:
    explicit AudioThread(const std::vector<std::unique_ptr<HostedOrgan>>& organs)
        : thread(
              [this, &organs]
              {
                  for (int block = 0; !stop; ++block)
                  {
                      for (auto& organ : organs)
                      {
                          const auto peak = organ->Render(48 + block % 24, block % 4 != 3);
                          if (peak > loudest)
                              loudest = peak;
                      }
                      std::this_thread::sleep_for(std::chrono::milliseconds(1));
                  }
              })
    {
    }

    ~AudioThread()
    {
        stop = true;
        thread.join();
    }

    float Loudest() const { return loudest; }

private:
    std::atomic<bool> stop{false};
    std::atomic<float> loudest{0.0f};
    std::thread thread;
};

struct Form
{
    const char* name;
};

void PrintTo(const Form& form, std::ostream* stream)
{
    *stream << form.name;
}

class LifecycleStress : public ::testing::TestWithParam<Form>
{
protected:
    static void SetUpTestSuite()
    {
        // On a bare X server, the window-manager atoms JUCE looks up must exist before it starts.
        display = X11TestDisplay::Shared();
        if (display != nullptr)
            juceRuntime = new juce::ScopedJuceInitialiser_GUI();
    }

    static void TearDownTestSuite() { delete juceRuntime; }

    void SetUp() override
    {
        if (display == nullptr)
            GTEST_SKIP() << "no X display";
        ASSERT_TRUE(vst2Library.IsLoaded()) << vst2Library.Error();
        window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost");
    }

    void TearDown() override
    {
        if (display != nullptr)
            display->DestroyWindow(window);
    }

    std::unique_ptr<HostedOrgan> Create()
    {
        const std::string form = GetParam().name;
        if (form == "VST2")
            return std::make_unique<Vst2Organ>(vst2Library, *display, window);
        auto organ = std::make_unique<JuceHostedOrgan>(GetParam().name,
                                                       form == "VST3" ? LoadVst3(vst3, sampleRate, blockSize)
                                                                      : LoadLv2(lv2, sampleRate, blockSize));
        return organ->IsComplete() ? std::move(organ) : nullptr;
    }

    static X11TestDisplay* display;
    static juce::ScopedJuceInitialiser_GUI* juceRuntime;
    PluginLibrary vst2Library{BRUMALUX_PLUGIN};
    juce::VST3PluginFormat vst3;
    juce::LV2PluginFormat lv2;
    X11TestDisplay::WindowId window = 0;
};

X11TestDisplay* LifecycleStress::display = nullptr;
juce::ScopedJuceInitialiser_GUI* LifecycleStress::juceRuntime = nullptr;

TEST_P(LifecycleStress, TwoHundredInstancesComeAndGo)
{
    const Watchdog watchdog(std::chrono::seconds(600), "the lifecycle stress run");
    int threadsAfterFirstRound = 0;
    int connectionsAfterFirstRound = 0;
    for (int round = 0; round < instancesPerForm / aliveAtOnce; ++round)
    {
        // The organs of a round play one program, each with a tone of its own, so that every
        // restore changes something.
        std::vector<std::unique_ptr<HostedOrgan>> organs;
        for (int i = 0; i < aliveAtOnce; ++i)
        {
            organs.push_back(Create());
            ASSERT_NE(organs.back(), nullptr) << "instance " << round * aliveAtOnce + i;
            organs.back()->SelectProgram(round % numPrograms);
            organs.back()->SetTone(static_cast<float>(round * aliveAtOnce + i) / instancesPerForm);
        }
        // The edits reach each organ with its next block, and its reports of them reach the
        // host through the message loop; a VST3 host sends them back with a later block.
        for (int settle = 0; settle < 3; ++settle)
        {
            for (auto& organ : organs)
                organ->Render(60, true);
            RunMessagesFor(std::chrono::milliseconds(10));
        }
        {
            const AudioThread audio(organs);
            for (int i = 0; i < aliveAtOnce; ++i)
            {
                const auto saved = organs[static_cast<size_t>(i)]->Save();
                auto& target = *organs[static_cast<size_t>((i + 1) % aliveAtOnce)];
                target.Restore(saved);
                RunMessagesFor(std::chrono::milliseconds(2));
                ASSERT_EQ(ProgramsAsVst2ReadsThem(vst2Library, target.OrganBytes(target.Save())),
                          ProgramsAsVst2ReadsThem(vst2Library, target.OrganBytes(saved)))
                    << "round " << round << ", organ " << i;
            }
            for (auto& organ : organs)
                organ->OpenAndCloseEditor();
            EXPECT_GT(audio.Loudest(), 0.01f) << "round " << round;
        }
        // Destroyed in an order of their own each round.
        for (int i = 0; i < aliveAtOnce; ++i)
            organs[static_cast<size_t>((round + i) % aliveAtOnce)].reset();
        RunMessagesFor(std::chrono::milliseconds(2));
        if (round == 0)
        {
            threadsAfterFirstRound = CountThreads();
            connectionsAfterFirstRound = display->ConnectionsOfThisProcess();
        }
    }
    // An X server serves a few hundred clients at most: a host that opens editors all session
    // long would run out if each left a connection behind.
    EXPECT_EQ(display->ConnectionsOfThisProcess(), connectionsAfterFirstRound)
        << "X connections left open by destroyed instances and their editors";
    // Threads end a moment after they are joined, from the kernel's point of view.
    for (int wait = 0; wait < 100 && CountThreads() > threadsAfterFirstRound; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_LE(CountThreads(), threadsAfterFirstRound) << "threads left behind by destroyed instances";
}

INSTANTIATE_TEST_SUITE_P(Forms, LifecycleStress, ::testing::Values(Form{"VST2"}, Form{"VST3"}, Form{"LV2"}),
                         [](const auto& form) { return std::string(form.param.name); });
} // namespace

} // namespace brumalux
