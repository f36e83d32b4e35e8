#include "host/MidiIntake.h"

#include <gtest/gtest.h>

#include <vector>

namespace brumalux
{

namespace
{
struct EventList
{
    vst2::VstInt32 numEvents = 0;
    vst2::VstIntPtr reserved = 0;
    vst2::VstEvent* events[16]{};
};

class MidiIntakeTest : public ::testing::Test
{
protected:
    void Add(int deltaFrames, std::initializer_list<int> bytes)
    {
        vst2::VstMidiEvent event{};
        event.type = vst2::kVstMidiType;
        event.byteSize = sizeof(event);
        event.deltaFrames = deltaFrames;
        int i = 0;
        for (const auto byte : bytes)
            event.midiData[i++] = static_cast<char>(byte);
        records.push_back(event);
    }

    const vst2::VstEvents* List()
    {
        list.numEvents = static_cast<vst2::VstInt32>(records.size());
        for (size_t i = 0; i < records.size(); ++i)
            list.events[i] = reinterpret_cast<vst2::VstEvent*>(&records[i]);
        return reinterpret_cast<const vst2::VstEvents*>(&list);
    }

    std::vector<std::pair<int, std::vector<int>>> Contents() const
    {
        std::vector<std::pair<int, std::vector<int>>> contents;
        for (const auto event : buffer)
            contents.push_back(
                {event.samplePosition, std::vector<int>(event.data, event.data + event.numBytes)});
        return contents;
    }

    std::vector<vst2::VstMidiEvent> records;
    EventList list;
    juce::MidiBuffer buffer;
};

TEST(MidiIntake, MessageLengthFollowsTheStatusByte)
{
    EXPECT_EQ(MidiIntake::ShortMessageLength(0x90), 3);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0x8f), 3);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xb3), 3);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xc0), 2);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xdf), 2);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xe0), 3);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xf2), 3);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xf3), 2);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xf8), 1);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xf0), 0);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0xf7), 0);
    EXPECT_EQ(MidiIntake::ShortMessageLength(0x40), 0);
}

TEST_F(MidiIntakeTest, EventsKeepTheirOffsetsAndTheHostsOrderAtEqualOffsets)
{
    Add(100, {0x90, 60, 100});
    Add(5, {0xc0, 7});
    Add(100, {0x80, 60, 0});
    Add(5, {0xe0, 0, 64});
    EXPECT_EQ(MidiIntake::AddHostEvents(List(), buffer), 4);
    const std::vector<std::pair<int, std::vector<int>>> expected{
        {5, {0xc0, 7}}, {5, {0xe0, 0, 64}}, {100, {0x90, 60, 100}}, {100, {0x80, 60, 0}}};
    EXPECT_EQ(Contents(), expected);
}

TEST_F(MidiIntakeTest, SkipsWhatIsNotAWellFormedShortMessage)
{
    Add(1, {0x40, 60, 100});    // running status: no status byte
    Add(2, {0x90, 0x90, 100});  // a status byte where data belongs
    Add(3, {0xf0, 0x7e, 0x7f}); // system exclusive does not fit a MIDI event
    Add(4, {0xc0, 5, 0xff});    // bytes past the message's length are not looked at
    vst2::VstEvent sysex{};
    sysex.type = vst2::kVstSysExType;
    List();
    list.events[records.size()] = &sysex;
    list.events[records.size() + 1] = nullptr;
    list.numEvents += 2;
    EXPECT_EQ(MidiIntake::AddHostEvents(reinterpret_cast<const vst2::VstEvents*>(&list), buffer), 1);
    EXPECT_EQ(Contents(), (std::vector<std::pair<int, std::vector<int>>>{{4, {0xc0, 5}}}));
}

TEST_F(MidiIntakeTest, NullAndNegativeListsAddNothing)
{
    EXPECT_EQ(MidiIntake::AddHostEvents(nullptr, buffer), 0);
    Add(0, {0x90, 60, 100});
    List();
    list.numEvents = -3;
    EXPECT_EQ(MidiIntake::AddHostEvents(reinterpret_cast<const vst2::VstEvents*>(&list), buffer), 0);
    EXPECT_TRUE(buffer.isEmpty());
}
} // namespace

} // namespace brumalux
