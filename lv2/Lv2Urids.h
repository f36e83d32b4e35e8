#pragma once

#include <lv2/urid/urid.h>

namespace brumalux
{

// The URIDs an instance uses, mapped once when it is made (mapping may lock in the host).
struct Lv2Urids
{
    explicit Lv2Urids(const LV2_URID_Map& map);

    LV2_URID atomInt;
    LV2_URID atomString;
    LV2_URID atomSequence;
    LV2_URID midiEvent;
    LV2_URID stateChanged;
    LV2_URID stateString;
    LV2_URID program;
    LV2_URID nominalBlockLength;
    LV2_URID maxBlockLength;
};

} // namespace brumalux
