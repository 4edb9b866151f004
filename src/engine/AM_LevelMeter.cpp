#include "engine/AM_LevelMeter.h"

#include <atomic>
#include <cmath>
#include <limits>

namespace {

// Weight of the block's mean square and decay of the previous level.
constexpr double kBlockWeight = 0.03;
constexpr float kDecay = 0.97f;

} // namespace

float AM_nextLevel(const float* samples, uint32_t frames, float previous)
{
    if (!samples)
        return k_levelMissing;
    if (frames == 0)
        return previous;
    double sum = 0.0;
    for (uint32_t i = 0; i < frames; ++i) {
        const double s = samples[i];
        if (std::isfinite(s))
            sum += s * s;
    }
    const float start = (std::isfinite(previous) && previous > 0.0f) ? previous : 0.0f;
    const float level =
        static_cast<float>(std::sqrt(sum * (kBlockWeight / frames))) + kDecay * start;
    // A level past the float range reads as the largest level.
    return std::isfinite(level) ? level : std::numeric_limits<float>::max();
}

void AM_measureLevels(float* const* channels, uint32_t count, uint32_t frames, float* levels)
{
    for (uint32_t c = 0; c < count; ++c) {
        std::atomic_ref<float> level(levels[c]);
        level.store(AM_nextLevel(channels[c], frames, level.load(std::memory_order_relaxed)),
                    std::memory_order_relaxed);
    }
}
