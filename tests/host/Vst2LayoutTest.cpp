// The interface declarations against the published 64-bit layout and numbers. A wrong
// offset here means every host reads garbage, so each field is pinned.

#include "host/Vst2Interface.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace brumalux
{

namespace
{
static_assert(sizeof(void*) == 8, "the offsets below are those of 64-bit hosts");

TEST(Vst2Layout, EffectRecord)
{
    EXPECT_EQ(offsetof(vst2::AEffect, magic), 0u);
    EXPECT_EQ(offsetof(vst2::AEffect, dispatcher), 8u);
    EXPECT_EQ(offsetof(vst2::AEffect, process), 16u);
    EXPECT_EQ(offsetof(vst2::AEffect, setParameter), 24u);
    EXPECT_EQ(offsetof(vst2::AEffect, getParameter), 32u);
    EXPECT_EQ(offsetof(vst2::AEffect, numPrograms), 40u);
    EXPECT_EQ(offsetof(vst2::AEffect, numParams), 44u);
    EXPECT_EQ(offsetof(vst2::AEffect, numInputs), 48u);
    EXPECT_EQ(offsetof(vst2::AEffect, numOutputs), 52u);
    EXPECT_EQ(offsetof(vst2::AEffect, flags), 56u);
    EXPECT_EQ(offsetof(vst2::AEffect, resvd1), 64u);
    EXPECT_EQ(offsetof(vst2::AEffect, resvd2), 72u);
    EXPECT_EQ(offsetof(vst2::AEffect, initialDelay), 80u);
    EXPECT_EQ(offsetof(vst2::AEffect, ioRatio), 92u);
    EXPECT_EQ(offsetof(vst2::AEffect, object), 96u);
    EXPECT_EQ(offsetof(vst2::AEffect, user), 104u);
    EXPECT_EQ(offsetof(vst2::AEffect, uniqueID), 112u);
    EXPECT_EQ(offsetof(vst2::AEffect, version), 116u);
    EXPECT_EQ(offsetof(vst2::AEffect, processReplacing), 120u);
    EXPECT_EQ(sizeof(vst2::AEffect), 192u);
}

TEST(Vst2Layout, EventRecords)
{
    EXPECT_EQ(sizeof(vst2::VstEvent), 32u);
    EXPECT_EQ(sizeof(vst2::VstMidiEvent), 32u);
    EXPECT_EQ(offsetof(vst2::VstMidiEvent, deltaFrames), 8u);
    EXPECT_EQ(offsetof(vst2::VstMidiEvent, midiData), 24u);
    EXPECT_EQ(offsetof(vst2::VstEvents, events), 16u);
    EXPECT_EQ(sizeof(vst2::ERect), 8u);
    EXPECT_EQ(offsetof(vst2::ERect, bottom), 4u);
}

TEST(Vst2Layout, NumbersTheHostBoundaryUses)
{
    EXPECT_EQ(vst2::effEditGetRect, 13);
    EXPECT_EQ(vst2::effEditIdle, 19);
    EXPECT_EQ(vst2::effGetChunk, 23);
    EXPECT_EQ(vst2::effProcessEvents, 25);
    EXPECT_EQ(vst2::effGetProgramNameIndexed, 29);
    EXPECT_EQ(vst2::effGetPlugCategory, 35);
    EXPECT_EQ(vst2::effGetEffectName, 45);
    EXPECT_EQ(vst2::effCanDo, 51);
    EXPECT_EQ(vst2::effKeysRequired, 57);
    EXPECT_EQ(vst2::effGetVstVersion, 58);
    EXPECT_EQ(vst2::audioMasterWantMidi, 6);
    EXPECT_EQ(vst2::audioMasterProcessEvents, 8);
    EXPECT_EQ(vst2::audioMasterSizeWindow, 15);
    EXPECT_EQ(vst2::audioMasterCanDo, 37);
    EXPECT_EQ(vst2::effFlagsIsSynth, 256);
}
} // namespace

} // namespace brumalux
