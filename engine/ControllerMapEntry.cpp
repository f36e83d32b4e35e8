#include "engine/ControllerMapEntry.h"

namespace brumalux
{

namespace
{
constexpr size_t bytesPerBinding = 4;
constexpr uint8_t invertedFlag = 1;
constexpr uint8_t highestMode = static_cast<uint8_t>(SwitchMode::momentary);
} // namespace

juce::MemoryBlock ControllerMapEntry::Encode(const ControllerMap& map)
{
    juce::MemoryBlock entry;
    for (int controller = 0; controller < ControllerMap::numControllers; ++controller)
    {
        const auto& binding = map.Binding(controller);
        if (!binding.IsBound())
            continue;
        const uint8_t bytes[bytesPerBinding] = {
            static_cast<uint8_t>(controller), static_cast<uint8_t>(binding.target),
            binding.inverted ? invertedFlag : uint8_t{0}, static_cast<uint8_t>(binding.mode)};
        entry.append(bytes, sizeof(bytes));
    }
    return entry;
}

std::optional<ControllerMap> ControllerMapEntry::Decode(const void* data, size_t sizeInBytes)
{
    if (sizeInBytes % bytesPerBinding != 0 || (data == nullptr && sizeInBytes > 0))
        return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(data);
    ControllerMap map; // nothing bound
    int previous = -1;
    for (size_t offset = 0; offset < sizeInBytes; offset += bytesPerBinding)
    {
        const int controller = bytes[offset];
        const uint8_t flags = bytes[offset + 2];
        const uint8_t mode = bytes[offset + 3];
        if (controller <= previous || (flags & ~invertedFlag) != 0 || mode > highestMode)
            return std::nullopt;
        const ControllerBinding binding{bytes[offset + 1], (flags & invertedFlag) != 0,
                                        static_cast<SwitchMode>(mode)};
        if (!map.Set(controller, binding))
            return std::nullopt;
        previous = controller;
    }
    return map;
}

void ControllerMapEntry::Write(SettingsBlock& block, const ControllerMap& map)
{
    if (map == ControllerMap::Default())
        return;
    const auto entry = Encode(map);
    block.Add(key, entry.getData(), entry.getSize());
}

bool ControllerMapEntry::Read(const SettingsBlock& block, std::optional<ControllerMap>& map)
{
    map.reset();
    const auto* entry = block.Find(key);
    if (entry == nullptr)
        return true;
    map = Decode(entry->getData(), entry->getSize());
    return map.has_value();
}

} // namespace brumalux
