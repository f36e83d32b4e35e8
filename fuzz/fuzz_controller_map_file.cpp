// Reads arbitrary bytes as a controller map file a player chose. A refused file must say
// why; an accepted map must bind only controllers that may be mapped, and write out as a
// file that reads back as the same map.
#include "engine/Brumalux.h"
#include "userfiles/ControllerMapFile.h"

#include <cstdint>

namespace
{
void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

brumalux::TextReading<brumalux::ControllerMap> ReadMap(const void* data, size_t size,
                                                       const juce::StringArray& names)
{
    return brumalux::PlayerTextFile::FromBytes<brumalux::ControllerMap>(
        data, size,
        [&names](const juce::String& text) { return brumalux::ControllerMapFile::FromText(text, names); });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brumalux;
    static const auto names = Brumalux().Controllers().ParameterNames();
    const auto reading = ReadMap(data, size, names);
    if (!reading.value)
    {
        Check(reading.fault.reason.isNotEmpty() && reading.fault.line >= 0);
        return 0;
    }
    for (int controller = 0; controller < ControllerMap::numControllers; ++controller)
        Check(!reading.value->Binding(controller).IsBound() || ControllerMap::IsBindable(controller));

    const auto written = ControllerMapFile::ToText(*reading.value, names).toStdString();
    const auto again = ReadMap(written.data(), written.size(), names);
    Check(again.value == reading.value);
    return 0;
}
