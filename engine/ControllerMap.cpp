#include "engine/ControllerMap.h"

namespace brumalux
{

ControllerMap ControllerMap::Default()
{
    ControllerMap map;
    for (int k = 0; k < numDrawbars; ++k)
        map.Set(firstDrawbarController + k, {ParameterIndex::drawbar0 + k});
    map.Set(1, {ControllerTarget::speakerSpeed});
    return map;
}

bool ControllerMap::IsBindable(int controller) noexcept
{
    return controller >= 0 && controller < 120 && controller != 0 && controller != 11 && controller != 32 &&
           controller != 64;
}

bool ControllerMap::IsAcceptable(int controller, const ControllerBinding& binding) noexcept
{
    if (controller < 0 || controller >= numControllers)
        return false;
    if (!binding.IsBound())
        return true;
    return IsBindable(controller) && ControllerTarget::IsValid(binding.target) &&
           (binding.mode == SwitchMode::continuous || ControllerTarget::IsSwitch(binding.target));
}

const ControllerBinding& ControllerMap::Binding(int controller) const noexcept
{
    static const ControllerBinding unbound;
    if (controller < 0 || controller >= numControllers)
        return unbound;
    return bindings[static_cast<std::size_t>(controller)];
}

bool ControllerMap::Set(int controller, const ControllerBinding& binding) noexcept
{
    if (!IsAcceptable(controller, binding))
        return false;
    // An unbound controller keeps no inversion or mode, so that equal maps compare equal.
    bindings[static_cast<std::size_t>(controller)] = binding.IsBound() ? binding : ControllerBinding{};
    return true;
}

std::vector<int> ControllerMap::ControllersFor(int target) const
{
    std::vector<int> controllers;
    for (int controller = 0; controller < numControllers; ++controller)
        if (bindings[static_cast<std::size_t>(controller)].target == target &&
            target != ControllerTarget::none)
            controllers.push_back(controller);
    return controllers;
}

} // namespace brumalux
