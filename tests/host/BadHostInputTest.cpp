// Whatever a buggy host passes, the plug-in neither crashes nor loses its state, and the
// filter behind it never sees anything outside its contract.

#include "TestPluginFixture.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace brumalux
{

namespace
{
class BadHostInput : public TestPluginFixture
{
protected:
    void SetUp() override
    {
        TestPluginFixture::SetUp();
        host = std::make_unique<PluginInstance>(Entry());
        ASSERT_TRUE(host->HasInstance());
        host->Open();
        host->Resume(44100.0f, 64);
    }

    void TearDown() override
    {
        if (host != nullptr && host->HasInstance())
        {
            EXPECT_TRUE(NoViolations(*host)) << Diagnostics(*host);
        }
    }

    float Parameter(int index) { return host->Effect()->getParameter(host->Effect(), index); }
    void SetParameter(int index, float value) { host->Effect()->setParameter(host->Effect(), index, value); }

    // A block of the host's block size; answers the level of channel 0 at its last sample.
    float LevelAfterBlock(int numFrames = 64)
    {
        auto out = Stereo(numFrames, 7.0f);
        host->ProcessReplacing(out, numFrames);
        return out[0][static_cast<size_t>(numFrames - 1)];
    }

    std::unique_ptr<PluginInstance> host;
};

constexpr int badIndices[] = {-1, 4, 1000, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};

TEST_F(BadHostInput, ParameterIndicesOutOfRange)
{
    for (const auto index : badIndices)
    {
        SetParameter(index, 0.9f);
        EXPECT_EQ(Parameter(index), 0.0f);
        EXPECT_EQ(host->CheckedText(vst2::effGetParamName, index, 8), "Unknown ");
        EXPECT_EQ(host->CheckedText(vst2::effGetParamDisplay, index, 64), "Unknown Parameter");
        EXPECT_EQ(host->CheckedText(vst2::effGetParamLabel, index, 8), "");
        EXPECT_EQ(host->Dispatch(vst2::effCanBeAutomated, index), 0);
    }
    for (int index = 0; index < 3; ++index)
        EXPECT_NE(Parameter(index), 0.9f) << "a bad index wrote parameter " << index;
}

TEST_F(BadHostInput, NonFiniteParameterValuesAreIgnored)
{
    SetParameter(levelIndex, 0.25f);
    for (const auto value :
         {std::nanf(""), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})
        SetParameter(levelIndex, value);
    EXPECT_EQ(Parameter(levelIndex), 0.25f);
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterAutomate), 0);
}

TEST_F(BadHostInput, NullTextPointers)
{
    for (const auto opcode :
         {vst2::effGetParamName, vst2::effGetParamDisplay, vst2::effGetParamLabel, vst2::effGetProgramName,
          vst2::effGetProgramNameIndexed, vst2::effSetProgramName, vst2::effGetEffectName,
          vst2::effGetProductString, vst2::effGetVendorString, vst2::effCanDo, vst2::effGetChunk,
          vst2::effSetChunk, vst2::effProcessEvents})
        EXPECT_LE(host->Dispatch(opcode, 0, 16, nullptr), 1) << "opcode " << opcode;
    EXPECT_EQ(host->Dispatch(vst2::effGetEffectName, 0, 0, nullptr), 0);
    EXPECT_EQ(host->Dispatch(vst2::effGetChunk, 0, 0, nullptr), 0);
    EXPECT_EQ(host->CheckedText(vst2::effGetProgramName, 0, 24), "Init");
}

TEST_F(BadHostInput, UnknownRequestsAnswerZeroWithoutTouchingTheirArguments)
{
    char untouched[16] = "keep me";
    for (const auto opcode : {-1, 77, 200, 100000, std::numeric_limits<int>::min()})
        EXPECT_EQ(host->Dispatch(opcode, 5, 5, untouched, 5.0f), 0);
    EXPECT_STREQ(untouched, "keep me");

    EXPECT_EQ(host->Effect()->dispatcher(nullptr, vst2::effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    vst2::AEffect foreign{};
    EXPECT_EQ(host->Effect()->dispatcher(&foreign, vst2::effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(host->Effect()->getParameter(nullptr, 0), 0.0f);
    host->Effect()->setParameter(nullptr, 0, 1.0f);
    host->Effect()->processReplacing(nullptr, nullptr, nullptr, 64);
}

TEST_F(BadHostInput, ProgramNumbersThatDoNotNameAProgram)
{
    for (const vst2::VstIntPtr number :
         {vst2::VstIntPtr(3), vst2::VstIntPtr(1000), vst2::VstIntPtr(-1),
          std::numeric_limits<vst2::VstIntPtr>::max(), std::numeric_limits<vst2::VstIntPtr>::min(),
          // Narrowed to int these would be programs 2 and 1.
          vst2::VstIntPtr((int64_t(1) << 32) + 2), vst2::VstIntPtr(-(int64_t(1) << 32) + 1)})
    {
        host->Dispatch(vst2::effSetProgram, 0, number);
        EXPECT_EQ(host->Dispatch(vst2::effGetProgram), 0) << number;
    }
    EXPECT_EQ(host->Callbacks().CountRequests(vst2::audioMasterAutomate), 0);
}

TEST_F(BadHostInput, BadEventLists)
{
    EXPECT_EQ(host->Dispatch(vst2::effProcessEvents, 0, 0, nullptr), 1);

    vst2::VstEvents empty{};
    EXPECT_EQ(host->Dispatch(vst2::effProcessEvents, 0, 0, &empty), 1);
    vst2::VstEvents negative{};
    negative.numEvents = -5;
    EXPECT_EQ(host->Dispatch(vst2::effProcessEvents, 0, 0, &negative), 1);

    // Null entries, foreign types, absurd sizes and malformed MIDI around one good note.
    vst2::VstMidiEvent good{};
    good.type = vst2::kVstMidiType;
    good.byteSize = std::numeric_limits<int>::max();
    good.deltaFrames = 10;
    good.midiData[0] = char(noteOn);
    good.midiData[1] = 60;
    good.midiData[2] = 100;
    vst2::VstEvent sysex{};
    sysex.type = vst2::kVstSysExType;
    sysex.byteSize = -1;
    vst2::VstEvent unknownType{};
    unknownType.type = 12345;
    vst2::VstMidiEvent dataByteFirst = good;
    dataByteFirst.midiData[0] = 0x40;
    vst2::VstMidiEvent statusInData = good;
    statusInData.midiData[1] = char(0x90);
    vst2::VstMidiEvent sysexStart = good;
    sysexStart.midiData[0] = char(0xf0);
    vst2::VstEvent* entries[] = {nullptr,
                                 &sysex,
                                 &unknownType,
                                 reinterpret_cast<vst2::VstEvent*>(&dataByteFirst),
                                 reinterpret_cast<vst2::VstEvent*>(&statusInData),
                                 reinterpret_cast<vst2::VstEvent*>(&sysexStart),
                                 reinterpret_cast<vst2::VstEvent*>(&good),
                                 nullptr};
    struct
    {
        vst2::VstInt32 numEvents;
        vst2::VstIntPtr reserved;
        vst2::VstEvent* events[8];
    } list{8, 0, {}};
    std::copy(std::begin(entries), std::end(entries), list.events);
    EXPECT_EQ(host->Dispatch(vst2::effProcessEvents, 0, 0, &list), 1);

    auto out = Stereo(64, 7.0f);
    host->ProcessReplacing(out, 64);
    EXPECT_EQ(out[0][9], 0.0f);
    EXPECT_EQ(out[0][10], defaultLevel) << "the one good note plays at its offset";
}

TEST_F(BadHostInput, EventOffsetsOutsideTheBlockPlayAtItsEdges)
{
    host->SendMidi({{-50, {noteOn, 60, 100}}, {1000000, {noteOn, 61, 100}}});
    auto out = Stereo(64, 7.0f);
    host->ProcessReplacing(out, 64);
    EXPECT_EQ(out[0][0], defaultLevel) << "a negative offset plays at sample 0";
    EXPECT_EQ(out[0][62], defaultLevel);
    EXPECT_EQ(out[0][63], 2 * defaultLevel) << "an offset beyond the block plays at its last sample";
}

TEST_F(BadHostInput, ChunksWithoutData)
{
    SetParameter(levelIndex, 0.75f);
    char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(host->Dispatch(vst2::effSetChunk, 0, 0, bytes), 0);
    EXPECT_EQ(host->Dispatch(vst2::effSetChunk, 0, -8, bytes), 0);
    EXPECT_EQ(host->Dispatch(vst2::effSetChunk, 0, std::numeric_limits<vst2::VstIntPtr>::min(), bytes), 0);
    EXPECT_EQ(host->Dispatch(vst2::effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ(Parameter(levelIndex), 0.75f);
    EXPECT_EQ(host->Dispatch(vst2::effGetNumProgramCategories), 1);
    EXPECT_EQ(host->CheckedText(vst2::effGetProgramNameIndexed, 2, 24), "Third");
}

TEST_F(BadHostInput, GarbageChunkLeavesAWorkingPlugin)
{
    std::vector<unsigned char> garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<unsigned char>(i * 37 + 11);
    host->Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(garbage.size()), garbage.data());
    void* data = nullptr;
    EXPECT_GT(host->Dispatch(vst2::effGetChunk, 0, 0, &data), 0);
    host->SendMidi({{0, {noteOn, 60, 100}}});
    EXPECT_EQ(LevelAfterBlock(), Parameter(levelIndex));
}

TEST_F(BadHostInput, BlockLengthsThatAreNotBlocks)
{
    host->SendMidi({{0, {noteOn, 60, 100}}});
    auto out = Stereo(64, 7.0f);
    host->ProcessReplacing(out, 0);
    host->ProcessReplacing(out, -1);
    host->ProcessAccumulating(out, std::numeric_limits<int>::min());
    EXPECT_EQ(out[0][0], 7.0f) << "nothing was written";
    EXPECT_EQ(LevelAfterBlock(), defaultLevel) << "the note waited for a real block";
}

TEST_F(BadHostInput, BlocksLongerThanAnnouncedKeepTheirEvents)
{
    host->SendMidi({{700, {noteOn, 60, 100}}, {900, {noteOff, 60, 0}}});
    auto out = Stereo(1000, 7.0f);
    host->ProcessReplacing(out, 1000);
    EXPECT_EQ(out[1][699], 0.0f);
    EXPECT_EQ(out[1][700], defaultLevel);
    EXPECT_EQ(out[1][899], defaultLevel);
    EXPECT_EQ(out[1][900], 0.0f);
    EXPECT_EQ(out[1][999], 0.0f);
}

TEST_F(BadHostInput, MissingChannels)
{
    host->SendMidi({{0, {noteOn, 60, 100}}});
    std::vector<float> left(64, 7.0f), right(64, 7.0f);
    float* outputs[] = {left.data(), nullptr};
    float* inputs[] = {nullptr, nullptr};
    host->Effect()->processReplacing(host->Effect(), inputs, outputs, 64);
    EXPECT_EQ(left[63], defaultLevel);

    float* onlyRight[] = {nullptr, right.data()};
    host->Effect()->processReplacing(host->Effect(), nullptr, onlyRight, 64);
    EXPECT_EQ(right[63], defaultLevel);

    host->Effect()->processReplacing(host->Effect(), nullptr, nullptr, 64);
    host->Effect()->process(host->Effect(), inputs, nullptr, 64);
    EXPECT_EQ(LevelAfterBlock(), defaultLevel) << "blocks without outputs still ran the filter";
}

TEST_F(BadHostInput, UnusableSampleRatesAndBlockSizesAreIgnored)
{
    for (const auto rate :
         {std::nanf(""), std::numeric_limits<float>::infinity(), 0.0f, -44100.0f, 1.0f, 1e12f})
        host->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, rate);
    for (const vst2::VstIntPtr size : {vst2::VstIntPtr(0), vst2::VstIntPtr(-64), vst2::VstIntPtr(1) << 40})
        host->Dispatch(vst2::effSetBlockSize, 0, size);
    host->Dispatch(vst2::effSetBlockSizeAndSampleRate, 0, -1, nullptr, std::nanf(""));
    host->Dispatch(vst2::effMainsChanged, 0, 1);
    EXPECT_EQ(Diagnostics(*host).rfind("prepared 44100/64 x2", 0), 0u) << Diagnostics(*host);
}

TEST_F(BadHostInput, RepeatedSuspendAndResume)
{
    host->Suspend();
    host->Suspend();
    host->Dispatch(vst2::effMainsChanged, 0, 1);
    host->Dispatch(vst2::effMainsChanged, 0, 1);
    host->SendMidi({{5, {noteOn, 60, 100}}});
    EXPECT_EQ(LevelAfterBlock(), defaultLevel);
}
} // namespace

} // namespace brumalux
