#include "Lv2Urids.h"

#include "Lv2Identity.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>

namespace brumalux
{

namespace
{
LV2_URID Map(const LV2_URID_Map& map, const char* uri)
{
    return map.map(map.handle, uri);
}
} // namespace

Lv2Urids::Lv2Urids(const LV2_URID_Map& map)
    : atomInt(Map(map, LV2_ATOM__Int)),
      atomString(Map(map, LV2_ATOM__String)),
      atomSequence(Map(map, LV2_ATOM__Sequence)),
      midiEvent(Map(map, LV2_MIDI__MidiEvent)),
      stateChanged(Map(map, LV2_STATE__StateChanged)),
      stateString(Map(map, Lv2Identity::stateStringUri)),
      program(Map(map, Lv2Identity::programUri)),
      nominalBlockLength(Map(map, LV2_BUF_SIZE__nominalBlockLength)),
      maxBlockLength(Map(map, LV2_BUF_SIZE__maxBlockLength))
{
}

} // namespace brumalux
