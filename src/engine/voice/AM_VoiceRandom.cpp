#include "engine/voice/AM_VoiceRandom.h"

#include <atomic>
#include <bit>

namespace {

constexpr uint32_t kIncrement = 859219139u;
constexpr uint32_t kXorMask = 0x8C52F;
constexpr uint32_t kOneBits = 0x3F800000; // 1.0f
constexpr uint32_t kMantissaMask = 0x7FFFFF;

// s0 in the low half, s1 in the high half.
std::atomic<uint64_t> g_state{0};

} // namespace

namespace AM_VoiceRandom {

float next()
{
    uint64_t old = g_state.load(std::memory_order_relaxed);
    uint32_t s0 = 0;
    uint64_t updated = 0;
    do {
        uint32_t s1 = static_cast<uint32_t>(old >> 32);
        s0 = static_cast<uint32_t>(old);
        s1 += kIncrement;
        s0 = (s0 ^ kXorMask) + s1;
        updated = (static_cast<uint64_t>(s1) << 32) | s0;
    } while (!g_state.compare_exchange_weak(old, updated, std::memory_order_relaxed));
    return std::bit_cast<float>(kOneBits | (s0 & kMantissaMask)) - 1.0f;
}

void reset()
{
    g_state.store(0, std::memory_order_relaxed);
}

} // namespace AM_VoiceRandom
