#pragma once

#include "params/OrganParameters.h"

#include <cstdint>

namespace brumalux
{

class PluginParameterManager;

// The plug-in's ports by index. The first four are those of the form's first build, which every
// version under the same URI keeps; then freeWheeling and one control port for each organ
// parameter but "Unused" (which has no effect), in the parameters' order.
namespace Lv2Ports
{
enum : uint32_t
{
    audioOutLeft = 0,
    audioOutRight = 1,
    midiIn = 2,    // atom:Sequence of midi:MidiEvent
    notifyOut = 3, // atom:Sequence: state:StateChanged
    freeWheeling = 4,
    firstControl = 5
};

constexpr uint32_t numControls = ParameterIndex::count - 1;
constexpr uint32_t numPorts = firstControl + numControls;

// The parameter a port controls; -1 for a port that controls none.
int ParameterOf(uint32_t port) noexcept;
// The control port of a parameter; 0 (no control port) for "Unused" and unknown indices.
uint32_t PortOf(int parameter) noexcept;

// What a port ranges over, in the parameter's own units: the parameter's range, except that
// "Osc" offers all seven shapes, as the editor does (VST 2 and VST3 keep 0 to 4).
float MinimumOf(const PluginParameterManager& manager, int parameter) noexcept;
float MaximumOf(const PluginParameterManager& manager, int parameter) noexcept;
} // namespace Lv2Ports

} // namespace brumalux
