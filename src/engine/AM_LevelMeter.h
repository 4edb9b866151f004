#pragma once
// The level meters of the multi-channel and no-latency paths: per host
// channel a running level, level := sqrt(S x 0.03 / n) + 0.97 x level, with
// S the sum of the block's n squared samples, and -1 for a channel that is
// not connected. The user interface reads them as the "Levels" data.
//
// Audio thread (any thread for the pure function); allocates nothing.

#include <cstdint>

// The level of a channel that is not connected.
constexpr float k_levelMissing = -1.0f;

// The next level of a channel from its `frames` samples (null: not
// connected). A block of 0 frames keeps the level; a previous level below 0
// (the channel was not connected) starts from 0; samples that are not finite
// numbers are left out of the sum, so one bad sample cannot stop the meter.
float AM_nextLevel(const float* samples, uint32_t frames, float previous);

// AM_nextLevel for `count` channels, each level read and stored through
// std::atomic_ref (relaxed), since the user interface reads them.
void AM_measureLevels(float* const* channels, uint32_t count, uint32_t frames, float* levels);
