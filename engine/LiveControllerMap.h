#pragma once

#include "engine/ControllerMap.h"

#include <atomic>
#include <cstddef>

namespace brumalux
{

// The organ's controller map as the audio thread reads it: one atomic word per controller, so that any
// thread may read or replace bindings while blocks render, without a lock or an allocation. A map
// replaced during a block may act half old, half new within that block; every binding is whole.
class LiveControllerMap
{
public:
    LiveControllerMap() { Publish(ControllerMap::Default()); }

    ControllerBinding Binding(int controller) const noexcept
    {
        return Unpack(words[static_cast<std::size_t>(controller & 127)].load(std::memory_order_relaxed));
    }
    // Only for bindings the map accepts (ControllerMap::IsAcceptable).
    void Set(int controller, const ControllerBinding& binding) noexcept
    {
        words[static_cast<std::size_t>(controller & 127)].store(Pack(binding), std::memory_order_relaxed);
    }
    void Publish(const ControllerMap& map) noexcept
    {
        for (int controller = 0; controller < ControllerMap::numControllers; ++controller)
            Set(controller, map.Binding(controller));
    }
    ControllerMap Snapshot() const noexcept
    {
        ControllerMap map;
        for (int controller = 0; controller < ControllerMap::numControllers; ++controller)
            map.Set(controller, Binding(controller));
        return map;
    }

private:
    // Bits 0-7: the target + 1 (0: unbound); bit 8: inverted; bits 9-10: the switch mode.
    static uint32_t Pack(const ControllerBinding& binding) noexcept
    {
        return static_cast<uint32_t>(binding.target + 1) | (binding.inverted ? 1u << 8 : 0u) |
               (static_cast<uint32_t>(binding.mode) << 9);
    }
    static ControllerBinding Unpack(uint32_t word) noexcept
    {
        return {static_cast<int>(word & 0xff) - 1, (word & (1u << 8)) != 0,
                static_cast<SwitchMode>((word >> 9) & 3)};
    }

    std::array<std::atomic<uint32_t>, ControllerMap::numControllers> words{};
};

} // namespace brumalux
