#pragma once

namespace brumalux
{

// The one 2 pi of the code base, and the value it takes in single precision: the filters and the delay
// sweeps were tuned with the latter, so they keep it.
constexpr double twoPi = 6.283185307179586476925286766559;
constexpr double twoPiAsFloat = static_cast<float>(twoPi);

} // namespace brumalux
