#pragma once

#include "framework/AudioFilterBase.h"
#include "framework/PluginProperties.h"

#include <array>
#include <atomic>
#include <vector>

namespace brumalux
{

// A small filter that stands in for the organ at the host boundary. It plays a constant
// level of "Level" per held note from the note's sample position on, so tests can see
// exactly when a note starts and stops, and it counts every breach of the filter contract
// that a wrapper must keep (MIDI outside the block, malformed
// MIDI, missing channels, blocks before preparation, non-finite parameter values). Its
// fourth parameter, "Diagnostics", shows those counts as its display text, so a test
// host can read them through the plug-in interface. Built into the test plug-in, it is
// also the instrument the render tool's tests play; "Frequency Offset" shows its setting
// in semitones, rounded, for the tool's search of a setting by its text.
class FakeInstrument : public AudioFilterBase
{
public:
    static constexpr int numParameters = 4;
    static constexpr int levelIndex = 0;
    static constexpr int frequencyOffsetIndex = 1;
    static constexpr int diagnosticsIndex = 3;

    struct Options
    {
        bool isInstrument = true;
        bool wantsMidiInput = true;
        bool producesMidiOutput = false; // echoes every incoming event back out
        bool keysRequired = true;
        bool withEditor = false;
    };

    FakeInstrument() : FakeInstrument(Options{}) {}
    explicit FakeInstrument(Options options);
    ~FakeInstrument() override;

    void FillProperties(PluginProperties& properties) override;
    int PrepareToPlay(double sampleRate, int samplesPerBlock) override;
    void ReleaseResources() override;
    void ProcessBlock(const juce::AudioSampleBuffer& input, juce::AudioSampleBuffer& output, bool accumulate,
                      juce::MidiBuffer& midi) override;
    AudioFilterEditor* CreateEditor() override;

    int GetNumParameters() override { return numParameters; }
    juce::String GetParameterName(int index) override;
    float GetNormalisedParameter(int index) override;
    juce::String GetParameterText(int index) override;
    void SetNormalisedParameter(int index, float normalisedValue) override;
    int GetNumPrograms() override { return static_cast<int>(programs.size()); }
    int GetCurrentProgram() override { return currentProgram; }
    void SetCurrentProgram(int number) override;
    juce::String GetProgramName(int number) override;
    void ChangeProgramName(int number, const juce::String& name) override;
    void SaveState(juce::MemoryBlock& destination) override;
    void LoadState(const void* data, int sizeInBytes) override;

    juce::String Diagnostics() const;
    int ContractViolations() const { return violations.load(); }

private:
    struct Program
    {
        juce::String name;
        std::array<float, numParameters> values;
    };

    bool IsValidParameter(int index) const { return index >= 0 && index < numParameters; }
    void Violation() { ++violations; }
    void CheckBuffers(const juce::AudioSampleBuffer& input, const juce::AudioSampleBuffer& output);
    void ApplyEvent(const juce::MidiMessageMetadata& event, int numSamples);
    void WriteLevel(juce::AudioSampleBuffer& output, int start, int end, bool accumulate) const;

    const Options options;
    std::array<std::atomic<float>, numParameters> values;
    std::vector<Program> programs;
    int currentProgram = 0;
    std::array<bool, 128> heldNotes{};
    int numHeldNotes = 0;
    juce::MidiBuffer echoedMidi;

    bool prepared = false;
    double preparedRate = 0.0;
    int preparedBlockSize = 0;
    std::atomic<int> numPrepareCalls{0};
    std::atomic<int> numBlocks{0};
    std::atomic<int> violations{0};
};

} // namespace brumalux
