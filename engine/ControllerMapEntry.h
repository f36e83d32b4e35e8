#pragma once

#include "engine/ControllerMap.h"

#include "params/SettingsBlock.h"

#include <juce_core/juce_core.h>

#include <optional>

namespace brumalux
{

// The controller map as an entry of the saved state: four bytes per bound controller, in ascending
// controller order: the controller number, the target, flags (bit 0: inverted; the others zero) and the
// switch mode. No bound controller gives an empty entry.
namespace ControllerMapEntry
{
constexpr SettingsBlock::Key key = "CMAP";

juce::MemoryBlock Encode(const ControllerMap& map);
// Null for anything Encode would not have written: a size that is no multiple of four, controllers out of
// order or repeated, a binding the map does not accept, unknown flags or modes.
std::optional<ControllerMap> Decode(const void* data, size_t sizeInBytes);

// The entry goes into the state's settings block only for a map other than the default, so that a
// state with the default map stays the bank alone.
void Write(SettingsBlock& block, const ControllerMap& map);
// The map of a loaded block: nothing when it has no entry (the organ keeps its map); false for an
// entry Decode refuses, which refuses the whole state.
bool Read(const SettingsBlock& block, std::optional<ControllerMap>& map);
} // namespace ControllerMapEntry

} // namespace brumalux
