#include "engine/AM_ChannelClock.h"

#include <cmath>

AM_ClockStep AM_runChannelClock(AM_ProcessContext& context, int32_t frames, double& nextBarLine)
{
    AM_ClockStep step{};
    step.beats = AM_clockBarStep(context, frames, nextBarLine);
    const double position = context.songPosition;
    const double swing = context.clockSwing;
    if (!(swing > 0.0)) {
        AM_runUnswungClock(context);
        step.beatGrowth = step.beats;
        return step;
    }

    const double rate = AM_clockRate(context);
    const bool restart = context.clockRestartOnNote != 0;
    if (restart && !std::isfinite(context.clockReferencePosition))
        context.clockReferencePosition = position;
    const double x =
        ((restart ? position - context.clockReferencePosition : position) + step.beats) * rate;
    const double whole = std::floor(x);
    const double phase = x - whole;
    const double shaped = AM_shapeClockPhase(context, phase);
    const double growth = shaped + whole - context.clockBeatCount;
    context.clockTempo = AM_swungClockTempo(context, growth, frames, rate);
    step.beatGrowth = growth;
    return step;
}
