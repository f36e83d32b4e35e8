// Reads arbitrary bytes as a controller map file a player chose. A refused file must say
// why; an accepted map must bind only controllers that may be mapped, and write out as a
// file that reads back as the same map.
#include "engine/Brumalux.h"
#include "fuzz/FuzzCheck.h"
#include "userfiles/ControllerMapFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brumalux;
    static const auto names = Brumalux().Controllers().ParameterNames();
    const auto parse = [](const juce::String& text) { return ControllerMapFile::FromText(text, names); };
    const auto reading = PlayerTextFile::FromBytes<ControllerMap>(data, size, parse);
    if (!reading.value)
    {
        Check(reading.fault.reason.isNotEmpty() && reading.fault.line >= 0);
        return 0;
    }
    for (int controller = 0; controller < ControllerMap::numControllers; ++controller)
        Check(!reading.value->Binding(controller).IsBound() || ControllerMap::IsBindable(controller));

    const auto written = ControllerMapFile::ToText(*reading.value, names).toStdString();
    const auto again = PlayerTextFile::FromBytes<ControllerMap>(written.data(), written.size(), parse);
    Check(again.value == reading.value);
    return 0;
}
