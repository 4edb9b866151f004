#include "script/ScriptRandom.h"

#include <atomic>
#include <cstring>

namespace script {
namespace {

constexpr uint32_t kStartA = 0x00010430u;
constexpr uint32_t kStartB = 0x00010482u;
constexpr uint32_t kStepB = 0x3336A4C3u;
constexpr uint32_t kMixA = 0x0008C52Fu;
constexpr uint32_t kMantissaMask = 0x007FFFFFu;
constexpr uint32_t kOneBits = 0x3F800000u; // 1.0f
constexpr int kWordBits = 32;

constexpr uint64_t pack(uint32_t a, uint32_t b)
{
    return static_cast<uint64_t>(a) | (static_cast<uint64_t>(b) << kWordBits);
}

// Both words in one atomic, so a draw is one compare-and-swap.
std::atomic<uint64_t> state{pack(kStartA, kStartB)};

} // namespace

float ScriptRandom::next()
{
    uint64_t old = state.load(std::memory_order_relaxed);
    uint32_t a;
    uint64_t updated;
    do {
        a = static_cast<uint32_t>(old);
        uint32_t b = static_cast<uint32_t>(old >> kWordBits);
        b += kStepB;
        a = (a ^ kMixA) + b;
        updated = pack(a, b);
    } while (!state.compare_exchange_weak(old, updated, std::memory_order_relaxed));
    uint32_t bits = (a & kMantissaMask) | kOneBits;
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value - 1.0f;
}

void ScriptRandom::reset()
{
    state.store(pack(kStartA, kStartB), std::memory_order_relaxed);
}

} // namespace script
