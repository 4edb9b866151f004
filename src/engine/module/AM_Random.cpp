#include "engine/module/AM_Random.h"

#include <bit>

namespace {

constexpr uint32_t kXorMask = 0x8C52F;
constexpr uint32_t kOneBits = 0x3F800000; // 1.0f
constexpr uint32_t kMantissaMask = 0x7FFFFF;

AM_RandomSequence g_shared(435395);

} // namespace

uint32_t AM_RandomSequence::next()
{
    uint64_t old = state_.load(std::memory_order_relaxed);
    uint32_t s0 = 0;
    uint64_t updated = 0;
    do {
        uint32_t s1 = static_cast<uint32_t>(old >> 32);
        s0 = static_cast<uint32_t>(old);
        s1 += increment_;
        s0 = (s0 ^ kXorMask) + s1;
        updated = (static_cast<uint64_t>(s1) << 32) | s0;
    } while (!state_.compare_exchange_weak(old, updated, std::memory_order_relaxed));
    return s0;
}

float AM_RandomSequence::nextUnit()
{
    return std::bit_cast<float>(kOneBits | (next() & kMantissaMask)) - 1.0f;
}

namespace AM_Random {

uint32_t next()
{
    return g_shared.next();
}

float range(float low, float high)
{
    return low + (high - low) * g_shared.nextUnit();
}

void reset()
{
    g_shared.reset();
}

} // namespace AM_Random
