#pragma once

namespace brumalux
{
// A property every input must keep; the fuzzer reports the input that breaks it.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}
} // namespace brumalux
