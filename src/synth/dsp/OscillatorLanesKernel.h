#pragma once
// The lane kernel of the oscillator core, written once over a vector type V
// and compiled by OscillatorLanes.cpp (4 SSE2 lanes, and 8 as two SSE2
// vectors) and OscillatorLanesAvx2.cpp (8 lanes, with AVX2 code generation).
// Everything here lies in an unnamed namespace, so each file has its own
// copy; the steps left to the one-voice code (OscillatorLaneState.h) are
// compiled once, with the baseline code generation.
//
// A frame's values that every voice computes alike run in the lanes, with
// the one-voice loop's operations in its order. A jump is detected per lane
// with the one-voice loop's own comparisons (a lane that none of them picks
// would have taken none of its branches) and handled for those lanes only.
// V is one of the vector types of LaneVectorsSse2.h or LaneVectorsAvx2.h.

#include "synth/dsp/OscillatorLaneState.h"

namespace synthdsp {
namespace {

namespace oscillatorkernel {

template <class V>
void render(const OscillatorLane* lanes, int32_t count, const OscillatorTables& tables,
            int32_t frames)
{
    using T = typename V::T;
    OscillatorLaneState s;
    beginOscillatorLanes(s, lanes, count, tables);

    const T span = V::set1(2.0f);
    const T one = V::set1(1.0f);
    const T half = V::set1(0.5f);
    const T active = V::loadMask(s.active);
    const T osc1Gain = V::load(s.osc1Gain);
    const T osc2Gain = V::load(s.osc2Gain);
    const T subGain = V::load(s.subGain);
    const T syncWindow = V::load(s.syncWindow);
    const T dcCoefficient = V::load(s.dcCoefficient);
    T dcInput = V::load(s.dcInput);
    T dcOutput = V::load(s.dcOutput);
    T phase1 = V::load(s.phase1);
    T raw1 = V::load(s.raw1);
    T a1 = V::load(s.a1);
    T threshold1 = V::load(s.threshold1);
    T phase2 = V::load(s.phase2);
    T raw2 = V::load(s.raw2);
    T a2 = V::load(s.a2);
    T high2 = V::loadMask(s.high2);
    T sync = V::loadMask(s.syncPending);
    T subValue = V::load(s.subValue);

    for (int32_t step = 0, first = 0; first < frames; ++step, first += kFramesPerControlStep) {
        const int32_t last =
            first + kFramesPerControlStep < frames ? first + kFramesPerControlStep : frames;
        beginOscillatorLaneStep(s, step);
        const T inc1 = V::load(s.inc1);
        T inc2 = V::load(s.inc2);
        T threshold2 = V::load(s.threshold2);
        const bool modulated = s.anyModulated != 0;
        const bool smooth = s.anySmooth != 0;

        for (int32_t n = first; n < last; ++n) {
            const int32_t k = n - first;
            if (n == s.windowStart + s.windowLength)
                moveOscillatorLaneWindow(s, n, last - n < kWindowFrames ? last - n : kWindowFrames);
            const int32_t row = (n - s.windowStart) * kLaneColumns;

            // First oscillator.
            const T previous1 = phase1;
            phase1 = V::add(phase1, inc1);
            raw1 = V::add(raw1, V::mul(V::mul(span, inc1), a1));
            T jumps = V::bor(V::cmpge(phase1, one),
                             V::band(V::cmpge(phase1, half), V::cmplt(previous1, half)));
            jumps = V::bor(jumps, V::band(V::cmpge(phase1, threshold1),
                                          V::cmplt(previous1, threshold1)));
            if (const uint32_t mask = V::mask(V::band(jumps, active))) {
                V::store(s.phase1, phase1);
                V::store(s.previous1, previous1);
                V::store(s.raw1, raw1);
                s.frame = n;
                oscillatorLaneJumps1(s, mask);
                phase1 = V::load(s.phase1);
                raw1 = V::load(s.raw1);
                a1 = V::load(s.a1);
                threshold1 = V::load(s.threshold1);
                subValue = V::load(s.subValue);
                sync = V::loadMask(s.syncPending);
            }
            T o1 = V::add(raw1, V::load(s.window[0] + row));
            if (smooth) {
                V::store(s.phase1, phase1);
                V::store(s.o1, o1);
                oscillatorLaneSmooth(s);
                o1 = V::load(s.o1);
            }
            const T o3 = V::add(V::load(s.window[1] + row), subValue);
            T mix = V::add(V::mul(subGain, o3), V::mul(osc1Gain, o1));

            // Second oscillator.
            if (modulated) {
                V::store(s.o1, o1);
                oscillatorLaneModulation(s);
                inc2 = V::load(s.inc2);
                threshold2 = V::load(s.threshold2);
            }
            phase2 = V::add(phase2, inc2);
            raw2 = V::add(raw2, V::mul(V::mul(span, inc2), a2));
            T jumps2 = V::bor(V::cmpge(phase2, one), V::andnot(high2, V::cmpge(phase2, threshold2)));
            jumps2 = V::bor(jumps2, V::band(high2, V::cmplt(phase2, threshold2)));
            jumps2 = V::bor(jumps2, V::band(sync, V::bor(V::cmplt(phase2, syncWindow),
                                                         V::cmplt(V::sub(one, phase2), syncWindow))));
            if (const uint32_t mask = V::mask(V::band(jumps2, active))) {
                V::store(s.phase2, phase2);
                V::store(s.raw2, raw2);
                V::store(s.threshold2, threshold2);
                s.frame = n;
                oscillatorLaneJumps2(s, mask);
                phase2 = V::load(s.phase2);
                raw2 = V::load(s.raw2);
                a2 = V::load(s.a2);
                high2 = V::loadMask(s.high2);
                sync = V::loadMask(s.syncPending);
            }
            const T o2 = V::add(V::load(s.window[2] + row), raw2);
            mix = V::add(mix, V::mul(osc2Gain, o2));

            // DC blocker.
            dcOutput = V::add(V::sub(mix, dcInput), V::mul(dcCoefficient, dcOutput));
            dcInput = mix;
            V::store(s.outOsc1 + k * kLaneColumns, o1);
            V::store(s.outSub + k * kLaneColumns, o3);
            V::store(s.outOsc2 + k * kLaneColumns, o2);
            V::store(s.outMix + k * kLaneColumns, dcOutput);
        }
        V::store(s.threshold2, threshold2);
        V::store(s.inc2, inc2);
        storeOscillatorLaneOutput(s, first, last);
    }
    V::store(s.phase1, phase1);
    V::store(s.raw1, raw1);
    V::store(s.phase2, phase2);
    V::store(s.raw2, raw2);
    V::store(s.dcInput, dcInput);
    V::store(s.dcOutput, dcOutput);
    moveOscillatorLaneWindow(s, frames, 0);
    endOscillatorLanes(s, frames);
}

} // namespace oscillatorkernel

} // namespace
} // namespace synthdsp
