#include "hostcore/HostBlockRenderer.h"
#include "FakeInstrument.h"
#include "host/HostMidiOutput.h"

#include <gtest/gtest.h>

#include <vector>

namespace brumalux
{

namespace
{
// Notes what the renderer hands the filter.
class RecordingInstrument : public FakeInstrument
{
public:
    using FakeInstrument::FakeInstrument;

    void ProcessBlock(const juce::AudioSampleBuffer& input, juce::AudioSampleBuffer& output, bool accumulate,
                      juce::MidiBuffer& midi) override
    {
        blockLengths.push_back(output.getNumSamples());
        for (const auto event : midi)
            eventPositions.push_back(event.samplePosition);
        FakeInstrument::ProcessBlock(input, output, accumulate, midi);
    }

    std::vector<int> blockLengths;
    std::vector<int> eventPositions;
};

class HostBlockRendererTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        filter.SetPlayConfiguration(44100.0, 64);
        filter.PrepareToPlay(44100.0, 64);
        renderer.Prepare(2, 2, 64);
    }

    void Note(int position, int status, int note = 60)
    {
        pending.addEvent(juce::MidiMessage(status, note, status == 0x90 ? 100 : 0), position);
    }

    void Render(float* const* outputs, const float* const* inputs, int numFrames, bool accumulate = false,
                HostMidiOutput* midiOutput = nullptr)
    {
        renderer.Render(filter, inputs, outputs, numFrames, accumulate, pending, midiOutput);
    }

    RecordingInstrument filter;
    HostBlockRenderer renderer;
    juce::MidiBuffer pending;
};

TEST_F(HostBlockRendererTest, LongBlocksReachTheFilterWholeWithTheirEvents)
{
    std::vector<float> left(200, 9.0f), right(200, 9.0f);
    float* outputs[] = {left.data(), right.data()};
    Note(10, 0x90);
    Note(70, 0x80);
    Note(150, 0x90, 61);
    Render(outputs, nullptr, 200);

    EXPECT_EQ(filter.blockLengths, (std::vector<int>{200}));
    EXPECT_EQ(filter.eventPositions, (std::vector<int>{10, 70, 150}));
    EXPECT_EQ(left[9], 0.0f);
    EXPECT_EQ(left[10], 0.5f);
    EXPECT_EQ(left[69], 0.5f);
    EXPECT_EQ(right[70], 0.0f);
    EXPECT_EQ(right[149], 0.0f);
    EXPECT_EQ(right[150], 0.5f);
    EXPECT_EQ(right[199], 0.5f);
    EXPECT_TRUE(pending.isEmpty());
    EXPECT_EQ(filter.ContractViolations(), 0);
}

TEST_F(HostBlockRendererTest, MissingChannelsAreStoodInFor)
{
    std::vector<float> right(32, 9.0f);
    float* outputs[] = {nullptr, right.data()};
    const float* inputs[] = {nullptr, nullptr};
    Note(0, 0x90);
    Render(outputs, inputs, 32, true);
    EXPECT_EQ(right[31], 9.5f);
    EXPECT_EQ(filter.ContractViolations(), 0);

    // A missing output in a block longer than prepared: the prepared length is rendered, the rest of
    // the output cleared, and every event still reaches the filter.
    std::vector<float> longRight(100, 9.0f);
    float* longOutputs[] = {nullptr, longRight.data()};
    Note(90, 0x80);
    Render(longOutputs, inputs, 100);
    EXPECT_EQ(filter.blockLengths.back(), 64);
    EXPECT_EQ(filter.eventPositions.back(), 63);
    EXPECT_EQ(longRight[62], 0.5f);
    EXPECT_EQ(longRight[63], 0.0f) << "the note-off at 90 came at the last rendered sample";
    EXPECT_EQ(longRight[99], 0.0f);
    EXPECT_TRUE(pending.isEmpty());
    EXPECT_EQ(filter.ContractViolations(), 0);
}

TEST_F(HostBlockRendererTest, NothingHappensBeforePreparation)
{
    HostBlockRenderer unprepared;
    std::vector<float> left(8, 9.0f);
    float* outputs[] = {left.data(), left.data()};
    unprepared.Render(filter, nullptr, outputs, 8, false, pending, nullptr);
    EXPECT_TRUE(filter.blockLengths.empty());
}

std::vector<vst2::VstMidiEvent> sentEvents;
int processEventsRequests = 0;

vst2::VstIntPtr RecordMidiOut(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr,
                              void* ptr, float)
{
    if (opcode != vst2::audioMasterProcessEvents)
        return 0;
    ++processEventsRequests;
    const auto* list = static_cast<const vst2::VstEvents*>(ptr);
    vst2::VstEvent* const* entries = list->events;
    for (int i = 0; i < list->numEvents; ++i)
        sentEvents.push_back(*reinterpret_cast<const vst2::VstMidiEvent*>(entries[i]));
    return 1;
}

TEST_F(HostBlockRendererTest, MidiTheFilterLeavesGoesToTheHostAtBlockPositions)
{
    FakeInstrument::Options options;
    options.producesMidiOutput = true;
    RecordingInstrument echo(options);
    echo.SetPlayConfiguration(44100.0, 64);
    echo.PrepareToPlay(44100.0, 64);
    vst2::AEffect effect{};
    HostMidiOutput midiOutput(&RecordMidiOut, &effect);
    sentEvents.clear();
    processEventsRequests = 0;

    std::vector<float> left(100), right(100);
    float* outputs[] = {left.data(), right.data()};
    Note(5, 0x90);
    Note(80, 0x80);
    renderer.Render(echo, nullptr, outputs, 100, false, pending, &midiOutput);

    ASSERT_EQ(sentEvents.size(), 2u);
    EXPECT_EQ(processEventsRequests, 1);
    EXPECT_EQ(sentEvents[0].deltaFrames, 5);
    EXPECT_EQ(static_cast<unsigned char>(sentEvents[0].midiData[0]), 0x90);
    EXPECT_EQ(sentEvents[1].deltaFrames, 80);
    EXPECT_EQ(static_cast<unsigned char>(sentEvents[1].midiData[0]), 0x80);
    EXPECT_EQ(sentEvents[1].type, vst2::kVstMidiType);
    EXPECT_EQ(sentEvents[1].byteSize, 32);
}

TEST_F(HostBlockRendererTest, MoreEventsThanOneRequestHoldsGoOutInSeveral)
{
    vst2::AEffect effect{};
    HostMidiOutput midiOutput(&RecordMidiOut, &effect);
    sentEvents.clear();
    processEventsRequests = 0;
    juce::MidiBuffer many;
    for (int i = 0; i < HostMidiOutput::capacity + 10; ++i)
        many.addEvent(juce::MidiMessage::controllerEvent(1, 7, i & 127), i / 8);
    many.addEvent(juce::MidiMessage::createSysExMessage("\x01\x02\x03\x04", 4), 3);
    midiOutput.Send(many, 1000);
    EXPECT_EQ(processEventsRequests, 2);
    ASSERT_EQ(sentEvents.size(), static_cast<size_t>(HostMidiOutput::capacity + 10))
        << "messages longer than 4 bytes stay behind";
    EXPECT_EQ(sentEvents.back().deltaFrames, 1000 + (HostMidiOutput::capacity + 9) / 8);
}
} // namespace

} // namespace brumalux
