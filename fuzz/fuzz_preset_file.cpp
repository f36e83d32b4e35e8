// Reads arbitrary bytes as a preset file a player chose, and loads what it accepts into
// the organ's current program. A refused file must say why; an accepted one must leave
// every parameter inside its range, and write out as a preset that reads back the same.
#include "engine/Brumalux.h"
#include "engine/ParameterLimits.h"
#include "fuzz/FuzzCheck.h"
#include "userfiles/OrganPreset.h"

#include <cstdint>

namespace
{
// The editor offers every basic shape, beyond the range hosts see.
bool InRange(brumalux::PluginParameterManager& manager, int index)
{
    auto range = manager.GetRange(index);
    if (index == brumalux::ParameterIndex::oscillator)
        range = range.withEnd(static_cast<float>(brumalux::ParameterLimits::numBasicShapes - 1));
    const float value = manager.GetValue(index);
    return value >= range.getStart() && value <= range.getEnd();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brumalux;
    static Brumalux organ;
    auto& manager = organ.GetParameterManager();
    const auto parse = [](const juce::String& text) { return OrganPreset::FromText(text, organ); };
    const auto reading = PlayerTextFile::FromBytes<OrganPreset>(data, size, parse);
    if (!reading.value)
    {
        Check(reading.fault.reason.isNotEmpty() && reading.fault.line >= 0);
        return 0;
    }
    organ.LoadIntoCurrentProgram(reading.value->name, reading.value->values);
    for (int index = 0; index < manager.GetNumParameters(); ++index)
        Check(InRange(manager, index));

    const auto written = OrganPreset::FromCurrentProgram(organ).ToText(organ).toStdString();
    const auto again = PlayerTextFile::FromBytes<OrganPreset>(written.data(), written.size(), parse);
    Check(again.value && again.value->values == OrganPreset::FromCurrentProgram(organ).values);
    return 0;
}
