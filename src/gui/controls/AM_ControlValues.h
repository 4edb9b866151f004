#pragma once
// Small value helpers of the controls that show parameter values: each
// answers something finite for empty or reversed ranges and values that are
// not numbers, so drawing and dragging never divide by zero.

#include <algorithm>
#include <cmath>
#include <cstring>

// Where a value lies in minimum..maximum, held to 0..1; 0 for an empty or
// non-finite range.
inline float AM_fractionOf(float value, float minimum, float maximum)
{
    const float range = maximum - minimum;
    if (!(range != 0.0f) || !std::isfinite(range)) {
        return 0.0f;
    }
    const float f = (value - minimum) / range;
    return std::isfinite(f) ? std::clamp(f, 0.0f, 1.0f) : 0.0f;
}

// A value held to a range given either way round; the low end for a value
// that is not a number.
inline float AM_within(float value, float a, float b)
{
    const float low = std::min(a, b);
    const float high = std::max(a, b);
    return std::isfinite(value) ? std::min(std::max(value, low), high) : low;
}

// The float a value pointer holds, or the fallback for none.
inline float AM_readFloat(const void* value, float fallback = 0.0f)
{
    float v = fallback;
    if (value != nullptr) {
        std::memcpy(&v, value, sizeof v);
    }
    return v;
}
