#pragma once

#include <lv2/core/lv2.h>

#include <cstring>

namespace brumalux
{

namespace Lv2Features
{
// The data of the host's feature with this URI; null when the host offers none.
template <typename Data> const Data* Find(const LV2_Feature* const* features, const char* uri)
{
    for (auto* const* feature = features; feature != nullptr && *feature != nullptr; ++feature)
        if ((*feature)->URI != nullptr && std::strcmp((*feature)->URI, uri) == 0)
            return static_cast<const Data*>((*feature)->data);
    return nullptr;
}
} // namespace Lv2Features

} // namespace brumalux
