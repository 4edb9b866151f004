#pragma once
// The master gain's linear ramp across the frames of one host block: every
// frame delivered to the host takes the current gain, and the gain then
// moves one step towards the target. The gain never leaves the range between
// where it started and the target, whatever rounding the steps collect.
//
// Audio thread; no allocation.

#include <algorithm>
#include <cstdint>

struct AM_GainRamp {
    float gain;
    float increment;
    float low;
    float high;
    float target;

    // From `from` to `to` across `frames` frames; a ramp of 0 frames stays at
    // `from` (and ends there).
    static AM_GainRamp across(float from, float to, uint32_t frames)
    {
        AM_GainRamp ramp{};
        ramp.gain = from;
        ramp.target = frames > 0 ? to : from;
        ramp.increment = frames > 0 ? (to - from) / static_cast<float>(frames) : 0.0f;
        ramp.low = std::min(from, ramp.target);
        ramp.high = std::max(from, ramp.target);
        return ramp;
    }

    // The gain of the current frame; then one step on.
    float take()
    {
        const float current = gain;
        gain = std::clamp(gain + increment, low, high);
        return current;
    }
};
