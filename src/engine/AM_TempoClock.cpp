#include "engine/AM_TempoClock.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

constexpr double kNoteValues[k_clockNoteValues] = {
    16.0,      8.0,       4.0,        2.0,        1.0,        0.5,        0.25,       16.0 / 3.0,
    8.0 / 3.0, 4.0 / 3.0, 2.0 / 3.0,  1.0 / 3.0,  6.0,        3.0,        1.5,        0.75,
    3.0 / 8.0, 1.0 / 8.0, 1.0 / 12.0, 1.0 / 16.0, 1.0 / 20.0, 1.0 / 24.0, 1.0 / 28.0, 1.0 / 32.0,
};
constexpr double kSecondsPerMinute = 60.0;
constexpr double kCyclesPerValue = 0.5;
constexpr double kFallbackBarLead = 16.0;
constexpr double kDefaultBeatsPerBar = 4.0;
constexpr double kFallbackPeriod = 1.0 / 44100.0;
constexpr double kMinClockTempo = 1.0;
constexpr double kPhaseOff = 0.5;
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

double usableBeatsPerBar(const AM_ProcessContext& context)
{
    const double beats = context.beatsPerBar;
    return (std::isfinite(beats) && beats > 0.0) ? beats : kDefaultBeatsPerBar;
}

void storeGate(AM_ProcessContext& context, float gate)
{
    std::atomic_ref<float>(context.clockGate).store(gate, std::memory_order_relaxed);
}

} // namespace

double AM_shapeClockPhase(AM_ProcessContext& context, double phase)
{
    const double a = context.clockSwing * kPercent;
    const double shaped = (a * phase + 1.0 - a) * phase;
    storeGate(context, shaped > kGateThreshold ? kGateOn : kGateOff);
    return shaped;
}

double AM_swungClockTempo(const AM_ProcessContext& context, double growth, int32_t frames,
                          double rate)
{
    const double tempo =
        growth * kSecondsPerMinute / (rate * usablePeriod(context) * std::max(frames, 1));
    return tempo > kMinClockTempo ? tempo : kMinClockTempo;
}

double AM_clockRate(const AM_ProcessContext& context)
{
    return AM_clockNoteValue(context.clockNoteValue) * kCyclesPerValue;
}

void AM_runUnswungClock(AM_ProcessContext& context)
{
    context.clockTempo = usableTempo(context);
    context.clockBeatCount = context.songPosition;
    storeGate(context, kGateOn);
}

double AM_clockNoteValue(int32_t index)
{
    return kNoteValues[std::clamp(index, 0, k_clockNoteValues - 1)];
}

double AM_firstBarLine(const AM_ProcessContext& context)
{
    const double line = context.barStart + usableBeatsPerBar(context);
    return line < context.songPosition ? context.songPosition + kFallbackBarLead : line;
}

double AM_clockBarStep(AM_ProcessContext& context, int32_t frames, double& nextBarLine)
{
    if (!std::isfinite(context.songPosition))
        context.songPosition = 0.0;
    const double beats =
        frames * usablePeriod(context) * usableTempo(context) * (1.0 / kSecondsPerMinute);
    const double newPosition = context.songPosition + beats;
    if (newPosition >= nextBarLine) {
        context.newBarFlag = 1;
        const double beatsPerBar = usableBeatsPerBar(context);
        nextBarLine += beatsPerBar;
        // More than one bar inside one sub-block: the next line lies past it.
        if (newPosition >= nextBarLine)
            nextBarLine +=
                (std::floor((newPosition - nextBarLine) / beatsPerBar) + 1.0) * beatsPerBar;
    } else {
        context.newBarFlag = 0;
    }
    return beats;
}

AM_ClockStep AM_runClock(AM_ProcessContext& context, int32_t frames, double& nextBarLine)
{
    AM_ClockStep step{};
    step.beats = AM_clockBarStep(context, frames, nextBarLine);
    const double position = context.songPosition;
    const double swing = context.clockSwing;
    if (!(swing > 0.0)) {
        AM_runUnswungClock(context);
        context.clockPhase = kPhaseOff;
        context.clockShapedPhase = kPhaseOff;
        step.beatGrowth = step.beats;
        return step;
    }

    const double rate = AM_clockRate(context);
    const bool restart = context.clockRestartOnNote != 0;
    if (restart) {
        if (!std::isfinite(context.clockReferencePosition))
            context.clockReferencePosition = position;
        if (position < context.clockReferencePosition) {
            // Back by whole cycles until the reference is no longer after the
            // song position, in one step.
            const double cycles = std::ceil((context.clockReferencePosition - position) * rate);
            context.clockReferencePosition -= cycles / rate;
            if (context.clockReferencePosition > position)
                context.clockReferencePosition -= 1.0 / rate;
            context.clockBeatCount = position;
        }
    }
    const double x =
        ((restart ? position - context.clockReferencePosition : position) + step.beats) * rate;
    const double f = std::floor(x);
    double phase = x - f;
    if (phase < 0.0)
        phase += 1.0;
    // At full swing the gate opens at phase 1/sqrt(2).
    const double shaped = AM_shapeClockPhase(context, phase);
    if (f > context.clockBeatCount)
        context.clockBeatCount = f;
    const double d = f - context.clockBeatCount;
    context.clockPhase = phase;
    context.clockShapedPhase = shaped;
    context.clockTempo = AM_swungClockTempo(context, shaped + d, frames, rate);
    step.beatGrowth = shaped + d;
    return step;
}

void AM_finishClock(AM_ProcessContext& context, const AM_ClockStep& step)
{
    context.songPosition += step.beats;
    context.clockBeatCount += step.beatGrowth;
}
