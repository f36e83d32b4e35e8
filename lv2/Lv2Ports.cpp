#include "Lv2Ports.h"

#include "params/ParameterPresentation.h"
#include "params/PluginParameterManager.h"

namespace brumalux
{

namespace Lv2Ports
{
int ParameterOf(uint32_t port) noexcept
{
    if (port < firstControl || port >= numPorts)
        return -1;
    const int position = static_cast<int>(port - firstControl);
    return position < ParameterIndex::clipThresholdScale ? position : position + 1;
}

uint32_t PortOf(int parameter) noexcept
{
    if (parameter < 0 || parameter >= ParameterIndex::count ||
        parameter == ParameterIndex::clipThresholdScale)
        return 0;
    const auto position =
        static_cast<uint32_t>(parameter < ParameterIndex::clipThresholdScale ? parameter : parameter - 1);
    return firstControl + position;
}

float MinimumOf(const PluginParameterManager& manager, int parameter) noexcept
{
    return manager.GetRange(parameter).getStart();
}

float MaximumOf(const PluginParameterManager& manager, int parameter) noexcept
{
    if (ParameterPresentation::StyleOf(parameter) == ParameterPresentation::Style::shape)
        return static_cast<float>(ParameterPresentation::numShapes - 1);
    return manager.GetRange(parameter).getEnd();
}
} // namespace Lv2Ports

} // namespace brumalux
