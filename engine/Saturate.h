#pragma once

namespace brumalux
{

// The speaker's soft saturation: odd, peaks at 0.945 for |x| = 1.89 and folds back toward 0 beyond.
inline float Saturate(float x)
{
    const double wide = x;
    return static_cast<float>(wide / (1.0 + 0.2800000011920929 * wide * wide));
}

} // namespace brumalux
