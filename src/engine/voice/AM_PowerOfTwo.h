#pragma once
// The fast power of two that the modulation modules use for their rate and
// level factors: 2^x = 2^n x (((a f + b) f + c) f + 1), with n the integer
// nearest to x - 0.5 (found by adding 1.5 x 2^23 in single precision and
// reading the integer bits) and f = x - n in [0, 1). Relative error below
// 2e-4. Header only; any thread.

#include <algorithm>
#include <bit>
#include <cstdint>

namespace AM_PowerOfTwo {

constexpr float kCubic = 0.079440236f;
constexpr float kSquare = 0.22449434f;
constexpr float kLinear = 0.69606566f;
// 1.5 x 2^23: added to a float below 2^22 in magnitude, it leaves the
// rounded integer in the low mantissa bits.
constexpr float kRoundingBias = 12582912.0f;
constexpr int32_t kMantissaBits = 23;
// The exponents a normal float can carry; x is held inside them (NaN counts
// as 0).
constexpr float kLowest = -126.0f;
constexpr float kHighest = 127.0f;

inline float cubic(float x)
{
    x = x == x ? std::clamp(x, kLowest, kHighest) : 0.0f;
    const float biased = (x - 0.5f) + kRoundingBias;
    const int32_t n = std::bit_cast<int32_t>(biased) - std::bit_cast<int32_t>(kRoundingBias);
    const float f = x - static_cast<float>(n);
    const float mantissa = ((kCubic * f + kSquare) * f + kLinear) * f + 1.0f;
    return std::bit_cast<float>(std::bit_cast<uint32_t>(mantissa) +
                                (static_cast<uint32_t>(n) << kMantissaBits));
}

} // namespace AM_PowerOfTwo
