#pragma once

namespace brumalux
{

// Common root of the envelope modules; it carries no state.
class DSPModule_Base
{
public:
    virtual ~DSPModule_Base() = default;
};

} // namespace brumalux
