#include "tools/MidiSchedule.h"
#include "tests/tools/RenderTestSupport.h"
#include "tools/RenderError.h"
#include "vst2host/VstEventList.h"

#include <gtest/gtest.h>

namespace brumalux
{

using namespace render_test;
using render::MidiSchedule;
using render::RenderError;

namespace
{
std::vector<TimedEvent> ThreeNotesAcrossTheTempoChange()
{
    return {{240, juce::MidiMessage::noteOn(1, 60, (juce::uint8)100)},
            {720, juce::MidiMessage::noteOn(2, 64, (juce::uint8)90)},
            {960, juce::MidiMessage::noteOff(1, 60)}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    juce::File(path).replaceWithData(bytes.data(), bytes.size());
}
} // namespace

TEST(MidiSchedule, PlacesEventsOfFormat0And1AtTheirSampleAcrossATempoChange)
{
    ScratchFolder folder;
    for (int format : {0, 1})
    {
        const auto path = folder.Path("tempo" + std::to_string(format) + ".mid");
        WriteMidiWithTempoChange(path, format, ThreeNotesAcrossTheTempoChange());
        // 0.25 s at 120 bpm; 0.5 s + half a beat at 60 bpm = 1 s; 0.5 s + 1 s = 1.5 s.
        const auto schedule = MidiSchedule::FromFile(path, 44100.0);
        ASSERT_EQ(schedule.Events().size(), 3u) << "format " << format;
        EXPECT_EQ(schedule.Events()[0].sample, 11025);
        EXPECT_EQ(schedule.Events()[1].sample, 44100);
        EXPECT_EQ(schedule.Events()[2].sample, 66150);
        EXPECT_EQ(schedule.Events()[1].bytes[0], 0x91);
        EXPECT_EQ(schedule.Events()[1].bytes[1], 64);
        EXPECT_EQ(schedule.Events()[1].bytes[2], 90);
        EXPECT_EQ(schedule.LastEventSample(), 66150);
        EXPECT_EQ(MidiSchedule::FromFile(path, 48000.0).Events()[2].sample, 72000);
    }
}

TEST(MidiSchedule, LeavesOutMetaAndSystemExclusiveAndKeepsFileOrderAtOneSample)
{
    ScratchFolder folder;
    const uint8_t sysex[] = {0x7e, 0x7f, 0x09, 0x01};
    const auto path = folder.Path("mixed.mid");
    WriteMidi(path, {{0, juce::MidiMessage::textMetaEvent(1, "hello")},
                     {0, juce::MidiMessage::createSysExMessage(sysex, sizeof sysex)},
                     {480, juce::MidiMessage::controllerEvent(1, 64, 127)},
                     {480, juce::MidiMessage::programChange(1, 5)},
                     {480, juce::MidiMessage::noteOn(1, 60, (juce::uint8)100)}});
    const auto schedule = MidiSchedule::FromFile(path, 44100.0);
    ASSERT_EQ(schedule.Events().size(), 3u);
    EXPECT_EQ(schedule.Events()[0].bytes[0], 0xb0);
    EXPECT_EQ(schedule.Events()[1].bytes[0], 0xc0);
    EXPECT_EQ(schedule.Events()[1].size, 2);
    EXPECT_EQ(schedule.Events()[2].bytes[0], 0x90);
    for (const auto& event : schedule.Events())
        EXPECT_EQ(event.sample, 22050);
}

TEST(MidiSchedule, RefusesMissingBrokenEmptyAndFormat2Files)
{
    ScratchFolder folder;
    EXPECT_THROW(MidiSchedule::FromFile(folder.Path("missing.mid"), 44100.0), RenderError);

    WriteBytes(folder.Path("garbage.mid"), {'R', 'I', 'F', 'F', 1, 2, 3, 4, 5, 6});
    EXPECT_THROW(MidiSchedule::FromFile(folder.Path("garbage.mid"), 44100.0), RenderError);

    // A good header promising a track whose chunk runs past the end of the file.
    WriteBytes(folder.Path("cut.mid"), {'M',  'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,  1,
                                        0xe0, 'M', 'T', 'r', 'k', 0, 0, 1, 0, 0, 0x90, 60, 100});
    EXPECT_THROW(MidiSchedule::FromFile(folder.Path("cut.mid"), 44100.0), RenderError);

    WriteMidi(folder.Path("silent.mid"), {{0, juce::MidiMessage::tempoMetaEvent(400000)}});
    EXPECT_THROW(MidiSchedule::FromFile(folder.Path("silent.mid"), 44100.0), RenderError);

    juce::MidiFile patterns;
    patterns.setTicksPerQuarterNote(480);
    juce::MidiMessageSequence notes;
    notes.addEvent(juce::MidiMessage::noteOn(1, 60, (juce::uint8)100), 0);
    patterns.addTrack(notes);
    {
        juce::FileOutputStream stream(juce::File(folder.Path("format2.mid")));
        ASSERT_TRUE(patterns.writeTo(stream, 2));
    }
    EXPECT_THROW(MidiSchedule::FromFile(folder.Path("format2.mid"), 44100.0), RenderError);
}

TEST(MidiSchedule, PlaysFilesPaddedWithZeroBytesButNotOtherTrailingBytes)
{
    ScratchFolder folder;
    const auto path = folder.Path("padded.mid");
    WriteMidi(path, {{480, juce::MidiMessage::noteOn(1, 60, (juce::uint8)100)}});
    juce::MemoryBlock file;
    juce::File(path).loadFileAsData(file);
    const auto original = file;
    file.append(std::vector<char>(300, 0).data(), 300);
    juce::File(path).replaceWithData(file.getData(), file.getSize());
    const auto schedule = MidiSchedule::FromFile(path, 44100.0);
    ASSERT_EQ(schedule.Events().size(), 1u);
    EXPECT_EQ(schedule.Events()[0].sample, 22050);

    file = original;
    file.append("\0\0junk", 6);
    juce::File(path).replaceWithData(file.getData(), file.getSize());
    EXPECT_THROW(MidiSchedule::FromFile(path, 44100.0), RenderError);
}

TEST(VstEventList, LaysOutMoreEventsThanTheHeaderDeclaresWithTheirOffsets)
{
    brumalux::vst2host::VstEventList list;
    for (int i = 0; i < 5; ++i)
    {
        const uint8_t noteOff[] = {0x80, static_cast<uint8_t>(60 + i), 33};
        list.Add(7 * i, noteOff, 3);
    }
    const vst2::VstEvents* events = list.Events();
    ASSERT_EQ(events->numEvents, 5);
    const vst2::VstEvent* const* pointers = &events->events[0];
    for (int i = 0; i < 5; ++i)
    {
        const auto* event = reinterpret_cast<const vst2::VstMidiEvent*>(pointers[i]);
        EXPECT_EQ(event->type, vst2::kVstMidiType);
        EXPECT_EQ(event->byteSize, static_cast<int>(sizeof(vst2::VstMidiEvent)));
        EXPECT_EQ(event->deltaFrames, 7 * i);
        EXPECT_EQ(static_cast<unsigned char>(event->midiData[0]), 0x80);
        EXPECT_EQ(event->midiData[1], 60 + i);
        EXPECT_EQ(event->noteOffVelocity, 33);
    }
    list.Clear();
    EXPECT_EQ(list.Events()->numEvents, 0);
}

} // namespace brumalux
