#pragma once
// The oscillator core's constants and small laws, shared by the one-voice
// loop (Oscillators.cpp) and the event steps of the voice lanes
// (OscillatorLanes.cpp), so that both compute the same values bit for bit.
// Not for files compiled with other code generation (the AVX2 lane kernel):
// these inline functions must have one compiled form.

#include "foundation/AM_STD.h"
#include "synth/dsp/InterpolatedStepCorrection.h"
#include "synth/dsp/OscillatorWavetables.h"
#include "synth/dsp/Oscillators.h"
#include "synth/dsp/PitchTableLookup.h"

#include <cmath>
#include <cstdint>

namespace synthdsp::oscillatorlaws {

constexpr uint32_t kRingMask = kCorrectionRingSize - 1;
constexpr int32_t kWaveMask = kWavetableSize - 1;
constexpr int32_t kQuarterCycle = kWavetableSize / 4;
constexpr float kTableScale = float(kWavetableSize);

// Pulse threshold: (0.5 - width term) * 0.999 + 0.001, kept within
// [increment, 1 - increment].
constexpr float kHalfWidth = 0.5f;
constexpr float kThresholdScale = 0.999f;
constexpr float kThresholdFloor = 0.001f;
constexpr float kAccumulatorLimit = 4.0f;
constexpr float kHalfCycle = 0.5f;
// Every wave runs from -1 to +1: a saw rises by 2 per cycle, a pulse or a
// square jumps by 2.
constexpr float kSpan = 2.0f;
constexpr float kLateFallback = 0.5f; // pulse edge whose position came out beyond a frame

// The sub oscillator's level pattern, one entry per half cycle of Osc1.
constexpr uint32_t kSubPatternLength = 4;
constexpr float kSubPattern[kSubPatternLength] = {0.0f, 1.0f, 0.0f, 1.0f};

inline float pulseThreshold(float widthTerm, float increment)
{
    float w = (kHalfWidth - widthTerm) * kThresholdScale + kThresholdFloor;
    if (!(w >= increment))
        w = increment;
    if (!(1.0f - increment >= w))
        w = 1.0f - increment;
    return w;
}

inline float wavetableRead(const float* table, int32_t i0, int32_t i1, float u)
{
    return table[i0] + (table[i1] - table[i0]) * u;
}

// Sine and triangle of the first oscillator at `phase`, weighted.
inline float smoothWaves(const float* sine, const float* triangle, float sineWeight,
                         float triangleWeight, float phase)
{
    const float position = kTableScale * phase;
    const int32_t index = int32_t(position);
    const float u = position - float(index);
    const int32_t i0 = (index - kQuarterCycle) & kWaveMask;
    const int32_t i1 = (i0 + 1) & kWaveMask;
    return sineWeight * wavetableRead(sine, i0, i1, u) +
           triangleWeight * wavetableRead(triangle, i0, i1, u);
}

inline float incrementOf(const PitchTable& table, float pitch, float incrementScale)
{
    const float increment = lookUpPitchFrequency(table, pitch) * incrementScale;
    return increment < kMaxOscillatorIncrement ? increment : kMaxOscillatorIncrement;
}

// The values of one control step that hold for its frames (the second
// oscillator's increment and threshold only while it has no audio-rate
// modulation): first the pitches and widths from the rows, then the
// increments from the pitches (the costly part, which depends on nothing
// else).
struct OscillatorStep {
    float pitch1, width1, width2, fm2, pwm2, pitch2Base;
    float inc1, inc2, threshold2;
};

inline OscillatorStep oscillatorStepPitches(const OscillatorBlock& b, const OscillatorRows& rows,
                                            int32_t step)
{
    OscillatorStep s;
    const float vibrato = b.vibratoScale * rows.vibrato[step];
    const float widthRow = rows.pulseWidth[step];
    s.pitch1 = b.keyScale * rows.key1[step] + b.tuneModDepth1 * rows.tuneMod1[step] + vibrato +
               b.osc1Base;
    s.width1 = std::fabs(widthRow) * b.pulseDepth;
    s.width2 = b.pulseDepth * widthRow;
    s.fm2 = b.crossModDepth * rows.osc2Fm[step];
    s.pwm2 = b.crossModDepth * rows.osc2Pwm[step];
    s.pitch2Base = b.keyScale * rows.key2[step] + b.tuneModDepth2 * rows.tuneMod2[step] + vibrato +
                   b.osc2Base;
    s.inc1 = s.inc2 = s.threshold2 = 0.0f;
    return s;
}

inline void oscillatorStepIncrements(OscillatorStep& s, const OscillatorBlock& b,
                                     const PitchTable& pitches)
{
    s.inc1 = incrementOf(pitches, s.pitch1, b.incrementScale);
    s.inc2 = incrementOf(pitches, s.pitch2Base, b.incrementScale);
}

inline void oscillatorStepThreshold(OscillatorStep& s)
{
    s.threshold2 = pulseThreshold(std::fabs(s.width2), s.inc2);
}

inline OscillatorStep oscillatorStep(const OscillatorBlock& b, const OscillatorRows& rows,
                                     int32_t step, const PitchTable& pitches)
{
    OscillatorStep s = oscillatorStepPitches(b, rows, step);
    oscillatorStepIncrements(s, b, pitches);
    oscillatorStepThreshold(s);
    return s;
}

// The rings a jump's correction goes to.
enum CorrectionRing : int32_t { kOsc1Ring, kSubRing, kOsc2Ring };

// The first oscillator's jumps at one frame, after its phase and raw part
// moved on from `previous`: the wrap (which arms the sync), the sub
// oscillator's step and the pulse's rise. `place(ring, m, position)` places a
// correction into the voice's ring at the frame's slot. The block's saw and
// pulse weights are latched at the wrap.
struct FirstOscillator {
    float& phase;
    float& raw;
    float& threshold;
    float& sawWeight;   // latched
    float& pulseWeight; // latched
    float& remainder;   // phase just after the latest wrap
    bool& syncPending;
    float& subValue;
    uint32_t& subSteps;
};

template <class Place>
inline void firstOscillatorJumps(const FirstOscillator& o, float previous, float increment,
                                 float width, float blockSaw, float blockPulse, Place&& place)
{
    if (o.phase >= 1.0f) {
        o.phase -= 1.0f;
        o.remainder = o.phase;
        o.syncPending = true;
        const float m = (previous >= o.threshold ? o.pulseWeight : 0.0f) + blockSaw;
        place(kOsc1Ring, m, o.phase / increment);
        o.raw = (kSpan * o.phase - 1.0f) * o.sawWeight - blockPulse;
        o.threshold = pulseThreshold(width, increment);
        o.sawWeight = blockSaw;
        o.pulseWeight = blockPulse;
    }
    if (o.phase >= kHalfCycle && previous < kHalfCycle) {
        const float before = kSubPattern[o.subSteps % kSubPatternLength];
        ++o.subSteps;
        const float after = kSubPattern[o.subSteps % kSubPatternLength];
        o.subValue = kSpan * after - 1.0f;
        if (before - after != 0.0f)
            place(kSubRing, before - after, (o.phase - kHalfCycle) / increment);
    }
    if (o.phase >= o.threshold && previous < o.threshold) {
        place(kOsc1Ring, -o.pulseWeight, (o.phase - o.threshold) / increment);
        o.raw += kSpan * o.pulseWeight;
    }
}

// The second oscillator's jumps at one frame, after its phase, raw part and
// threshold moved on: the wrap, the pulse's rise and fall and the sync to
// the first oscillator's wrap (within the sync window of a cycle boundary).
// A raw part beyond 4 at a wrap or a sync writes a trace line.
struct SecondOscillator {
    float& phase;
    float& raw;
    float& sawWeight;   // latched
    float& pulseWeight; // latched
    bool& high;
    bool& syncPending;
};

template <class Place>
inline void secondOscillatorJumps(const SecondOscillator& o, float increment, float threshold,
                                  float syncWindow, float remainder, float blockSaw,
                                  float blockPulse, Place&& place)
{
    if (o.phase >= 1.0f) {
        if (std::fabs(o.raw) > kAccumulatorLimit)
            AM_STD::printv("Accumulator2 - %f", double(o.raw));
        o.phase -= 1.0f;
        place(kOsc2Ring, (o.high ? o.pulseWeight : 0.0f) + o.sawWeight, o.phase / increment);
        o.syncPending = false;
        o.raw = (kSpan * o.phase - 1.0f) * o.sawWeight - blockPulse;
        o.sawWeight = blockSaw;
        o.pulseWeight = blockPulse;
        o.high = false;
    }
    if (o.phase >= threshold && !o.high) {
        o.high = true;
        float f = (o.phase - threshold) / increment;
        if (f > 1.0f)
            f = kLateFallback;
        place(kOsc2Ring, -o.pulseWeight, f);
        o.raw += kSpan * o.pulseWeight;
    }
    if (threshold > o.phase && o.high) {
        o.high = false;
        float f = (threshold - o.phase) / increment;
        if (f > 1.0f)
            f = kLateFallback;
        place(kOsc2Ring, o.pulseWeight, f);
        o.raw -= kSpan * o.pulseWeight;
    }
    if (o.syncPending && (o.phase < syncWindow || 1.0f - o.phase < syncWindow)) {
        if (std::fabs(o.raw) > kAccumulatorLimit)
            AM_STD::printv("Accumulator2 %f", double(o.raw));
        const float before =
            (kSpan * o.phase - 1.0f) * o.sawWeight + (o.high ? o.pulseWeight : -o.pulseWeight);
        o.phase = remainder;
        o.high = o.phase >= threshold;
        const float after =
            (kSpan * o.phase - 1.0f) * blockSaw + (o.high ? blockPulse : -blockPulse);
        const float jump = after - before;
        const float periods = o.phase / increment;
        place(kOsc2Ring, -jump / kSpan, periods - std::floor(periods));
        o.raw += jump;
        o.syncPending = false;
        o.sawWeight = blockSaw;
        o.pulseWeight = blockPulse;
    }
}

} // namespace synthdsp::oscillatorlaws
