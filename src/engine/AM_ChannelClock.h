#pragma once
// The tempo-synced clock of the multi-channel and no-latency paths, one step
// per sub-block. The bar step is the stereo path's (AM_clockBarStep); the
// clock itself differs: it never writes the clock phase and shaped phase
// fields, never moves the reference position, and with swing the beat
// count ends each sub-block on the shaped phase plus the whole cycles.
//
// Audio thread; allocates nothing; bounded for any context contents (a
// tempo or rate that is not usable moves nothing, as in AM_TempoClock.h).

#include "engine/AM_TempoClock.h"

// One sub-block of `frames` samples (at least 1): new-bar flag, clock
// tempo, gate and the beat count's start; returns what AM_finishClock
// advances at the end of the sub-block.
AM_ClockStep AM_runChannelClock(AM_ProcessContext& context, int32_t frames, double& nextBarLine);
