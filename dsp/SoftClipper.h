#pragma once

#include <cmath>

namespace brumalux
{

// A soft-knee limiter: unchanged up to the threshold, a smooth knee up to magnitude 1, flat at
// (1 + threshold) / 2 beyond. Audio thread only.
class SoftClipper
{
public:
    // A negative (or NaN) threshold acts as 0.
    void SetThreshold(float newThreshold) { threshold = newThreshold > 0.0f ? newThreshold : 0.0f; }
    float Threshold() const { return threshold; }

    float Process(float x) const
    {
        const float magnitude = std::fabs(x);
        if (magnitude <= threshold)
            return x;
        const float sign = x >= 0.0f ? 1.0f : -1.0f;
        if (magnitude > 1.0f)
            return sign * (threshold + 1.0f) * 0.5f;
        const float knee = (magnitude - threshold) / (1.0f - threshold);
        return sign * (threshold + (magnitude - threshold) / (knee * knee + 1.0f));
    }

private:
    float threshold = 0.8f;
};

} // namespace brumalux
