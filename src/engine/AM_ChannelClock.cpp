#include "engine/AM_ChannelClock.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kCyclesPerValue = 0.5;
constexpr double kFallbackPeriod = 1.0 / 44100.0;
constexpr double kMinClockTempo = 1.0;
constexpr double kGateThreshold = 0.5;
constexpr double kPercent = 0.01;
constexpr float kGateOn = 1.0f;
constexpr float kGateOff = 0.0f;

double usableTempo(const AM_ProcessContext& context)
{
    const double tempo = context.tempo;
    return (std::isfinite(tempo) && tempo > 0.0) ? tempo : 0.0;
}

double usablePeriod(const AM_ProcessContext& context)
{
    const double period = context.samplePeriodD;
    return (std::isfinite(period) && period > 0.0) ? period : kFallbackPeriod;
}

void storeGate(AM_ProcessContext& context, float gate)
{
    std::atomic_ref<float>(context.clockGate).store(gate, std::memory_order_relaxed);
}

} // namespace

AM_ClockStep AM_runChannelClock(AM_ProcessContext& context, int32_t frames, double& nextBarLine)
{
    AM_ClockStep step{};
    step.beats = AM_clockBarStep(context, frames, nextBarLine);
    const double position = context.songPosition;
    const double swing = context.clockSwing;
    if (!(swing > 0.0)) {
        context.clockTempo = usableTempo(context);
        context.clockBeatCount = position;
        storeGate(context, kGateOn);
        step.beatGrowth = step.beats;
        return step;
    }

    const double rate = AM_clockNoteValue(context.clockNoteValue) * kCyclesPerValue;
    const bool restart = context.clockRestartOnNote != 0;
    if (restart && !std::isfinite(context.clockReferencePosition))
        context.clockReferencePosition = position;
    const double x =
        ((restart ? position - context.clockReferencePosition : position) + step.beats) * rate;
    const double whole = std::floor(x);
    const double phase = x - whole;
    // The shaping bends the phase towards its square as the swing grows.
    const double a = swing * kPercent;
    const double shaped = (a * phase + 1.0 - a) * phase;
    storeGate(context, shaped > kGateThreshold ? kGateOn : kGateOff);
    const double growth = shaped + whole - context.clockBeatCount;
    const double tempo =
        growth * kSecondsPerMinute / (std::max(frames, 1) * usablePeriod(context) * rate);
    // At least 1 beat per minute; a tempo that is not a number counts as 1.
    context.clockTempo = tempo > kMinClockTempo ? tempo : kMinClockTempo;
    step.beatGrowth = growth;
    return step;
}
