// The oscillator lanes: the steps shared by every kernel width (the one-voice
// code's jumps, sine and triangle, audio-rate modulation, setup, output and
// end of a call), the SSE2 kernels and the choice of a width.

#include "synth/dsp/OscillatorLanes.h"

#include "synth/dsp/FilterLanes.h"
#include "synth/dsp/OscillatorLaneState.h"
#include "synth/dsp/OscillatorLaws.h"
#include "synth/dsp/PitchTable.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "synth/dsp/LaneVectorsSse2.h"
#include "synth/dsp/OscillatorLanesKernel.h"

// The steps stay out of the kernels' view: the kernels hand them the state
// through memory and read back what they wrote, and an optimiser that looks
// into a step from a kernel of this file must not carry values across the
// call (it did, with GCC 12 and -O3: a kernel kept the value it had stored
// before the sine and triangle were added).
#if defined(__clang__)
#define KK_LANE_STEP [[gnu::noinline]]
#else
#define KK_LANE_STEP [[gnu::noipa]]
#endif

namespace synthdsp {

using namespace oscillatorlaws;

namespace {

constexpr uint32_t kAllBits = ~0u;
constexpr int32_t kRings = 3;
// The last ring slot from which four slots follow without wrapping.
constexpr uint32_t kLastWholeWindow = kCorrectionRingSize - kWindowFrames;
// How far ahead of a window its ring is fetched.
constexpr uint32_t kPrefetchSlots = 32;

// The voice's ring slot of frame `frame` of the call.
uint32_t slotOf(const OscillatorLaneState& s, int32_t lane, int32_t frame)
{
    return (s.ringStart[lane] + uint32_t(frame)) & kRingMask;
}

// Places a lane's corrections into its voice's rings at the present frame.
struct Placer {
    const OscillatorLaneState& s;
    int32_t lane;
    void operator()(int32_t ring, float m, float position) const
    {
        placeStepCorrection(s.ring[ring][lane], slotOf(s, lane, s.frame), s.tables->stepCorrections,
                            m, position);
    }
};

// Reads the window's values of one lane and ring again from s.frame on.
void refreshWindow(OscillatorLaneState& s, int32_t ring, int32_t lane)
{
    const float* values = s.ring[ring][lane];
    for (int32_t n = s.frame; n < s.windowStart + s.windowLength; ++n)
        s.window[ring][(n - s.windowStart) * kLaneColumns + lane] = values[slotOf(s, lane, n)];
}

} // namespace

KK_LANE_STEP void beginOscillatorLanes(OscillatorLaneState& s, const OscillatorLane* lanes,
                                       int32_t count, const OscillatorTables& tables)
{
    std::memset(&s, 0, sizeof(s));
    s.lanes = lanes;
    s.count = count;
    s.tables = &tables;
    // Columns without a voice take no jumps: their phases stand still below
    // every threshold.
    for (int32_t l = count; l < kLaneColumns; ++l) {
        s.threshold1[l] = kSpan;
        s.threshold2[l] = kSpan;
    }
    for (int32_t l = 0; l < count; ++l) {
        OscillatorState& st = *lanes[l].state;
        const OscillatorBlock& b = *lanes[l].block;
        s.active[l] = kAllBits;
        s.phase1[l] = st.osc1Phase;
        s.raw1[l] = st.osc1Raw;
        s.a1[l] = st.osc1SawWeight;
        s.b1[l] = st.osc1PulseWeight;
        s.inc1[l] = st.osc1Increment;
        s.threshold1[l] = st.osc1Threshold;
        s.phase2[l] = st.osc2Phase;
        s.raw2[l] = st.osc2Raw;
        s.a2[l] = st.osc2SawWeight;
        s.b2[l] = st.osc2PulseWeight;
        s.threshold2[l] = st.osc2Threshold;
        s.high2[l] = st.osc2PulseHigh != 0 ? kAllBits : 0u;
        s.subValue[l] = st.subValue;
        s.subSteps[l] = st.subSteps;
        s.dcInput[l] = st.dcInput;
        s.dcOutput[l] = st.dcOutput;

        s.osc1SawWeight[l] = b.osc1SawWeight;
        s.osc1PulseWeight[l] = b.osc1PulseWeight;
        s.osc2SawWeight[l] = b.osc2SawWeight;
        s.osc2PulseWeight[l] = b.osc2PulseWeight;
        s.osc1Gain[l] = b.osc1Gain;
        s.osc2Gain[l] = b.osc2Gain;
        s.subGain[l] = b.subGain;
        s.syncWindow[l] = b.syncWindow;
        s.dcCoefficient[l] = b.dcCoefficient;
        s.sineWeight[l] = b.sineWeight;
        s.triangleWeight[l] = b.triangleWeight;
        if (b.sineWeight != 0.0f || b.triangleWeight != 0.0f)
            s.anySmooth = 1;
        s.triangle[l] =
            tables.triangle + triangleLevelForIncrement(st.osc1Increment) * kWavetableSize;

        s.ringStart[l] = st.ringPosition & kRingMask;
        s.ring[kOsc1Ring][l] = st.osc1Ring;
        s.ring[kSubRing][l] = st.subRing;
        s.ring[kOsc2Ring][l] = st.osc2Ring;
    }
}

namespace {

// A full window after a full window, no voice's slots wrapping: each voice's
// four slots read are cleared and the next four read.
void moveStraight(OscillatorLaneState& s, int32_t start)
{
    const __m128 zero = _mm_setzero_ps();
    for (int32_t l0 = 0; l0 < s.count; l0 += kWindowFrames) {
        const int32_t lanes = std::min(kWindowFrames, s.count - l0);
        for (int32_t r = 0; r < kRings; ++r) {
            __m128 v[kWindowFrames] = {zero, zero, zero, zero};
            for (int32_t i = 0; i < lanes; ++i) {
                float*& slot = s.windowSlot[r][l0 + i];
                _mm_storeu_ps(slot, zero);
                slot += kWindowFrames;
                _mm_prefetch(reinterpret_cast<const char*>(slot + kPrefetchSlots), _MM_HINT_T0);
                v[i] = _mm_loadu_ps(slot);
            }
            _MM_TRANSPOSE4_PS(v[0], v[1], v[2], v[3]);
            float* rows = s.window[r] + l0;
            for (int32_t k = 0; k < kWindowFrames; ++k)
                _mm_storeu_ps(rows + k * kLaneColumns, v[k]);
        }
    }
    s.windowStart = start;
    --s.straightWindows;
}

} // namespace

KK_LANE_STEP void moveOscillatorLaneWindow(OscillatorLaneState& s, int32_t start, int32_t length)
{
    if (s.straightWindows > 0 && s.windowLength == kWindowFrames && length == kWindowFrames &&
        start == s.windowStart + kWindowFrames) {
        moveStraight(s, start);
        return;
    }
    const __m128 zero = _mm_setzero_ps();
    const int32_t cleared = s.windowLength;
    // Full windows that follow this one before a voice's slots wrap.
    int32_t straight = length == kWindowFrames ? int32_t(kCorrectionRingSize) : 0;
    for (int32_t l0 = 0; l0 < s.count; l0 += kWindowFrames) {
        const int32_t lanes = std::min(kWindowFrames, s.count - l0);
        for (int32_t r = 0; r < kRings; ++r) {
            __m128 v[kWindowFrames] = {zero, zero, zero, zero};
            for (int32_t i = 0; i < lanes; ++i) {
                float* ring = s.ring[r][l0 + i];
                // The slots the window's frames have read.
                const uint32_t old = slotOf(s, l0 + i, s.windowStart);
                if (cleared == kWindowFrames && old <= kLastWholeWindow) {
                    _mm_storeu_ps(ring + old, zero);
                } else {
                    for (int32_t k = 0; k < cleared; ++k)
                        ring[(old + uint32_t(k)) & kRingMask] = 0.0f;
                }
                if (length == 0)
                    continue;
                // Four slots from the next window's first (the slots past a
                // shorter window are read and left unused).
                const uint32_t slot = slotOf(s, l0 + i, start);
                s.windowSlot[r][l0 + i] = ring + slot;
                straight = std::min(straight, (int32_t(kLastWholeWindow) - int32_t(slot)) /
                                                  int32_t(kWindowFrames));
                // Many rings are read side by side, each one slowly: ask for
                // the line after the next ahead of time.
                _mm_prefetch(
                    reinterpret_cast<const char*>(ring + ((slot + kPrefetchSlots) & kRingMask)),
                    _MM_HINT_T0);
                if (slot <= kLastWholeWindow)
                    v[i] = _mm_loadu_ps(ring + slot);
                else
                    v[i] = _mm_setr_ps(ring[slot], ring[(slot + 1) & kRingMask],
                                       ring[(slot + 2) & kRingMask], ring[(slot + 3) & kRingMask]);
            }
            if (length == 0)
                continue;
            // One row of lanes per frame.
            _MM_TRANSPOSE4_PS(v[0], v[1], v[2], v[3]);
            float* rows = s.window[r] + l0;
            for (int32_t k = 0; k < kWindowFrames; ++k)
                _mm_storeu_ps(rows + k * kLaneColumns, v[k]);
        }
    }
    s.windowStart = start;
    s.windowLength = length;
    // A window that wraps itself is read here, never straight.
    s.straightWindows = std::max(straight, 0);
}

KK_LANE_STEP void beginOscillatorLaneStep(OscillatorLaneState& s, int32_t step)
{
    const PitchTable& pitches = pitchTable();
    s.anyModulated = 0;
    for (int32_t l = 0; l < s.count; ++l) {
        const OscillatorBlock& b = *s.lanes[l].block;
        OscillatorStep v = oscillatorStepPitches(b, s.lanes[l].rows, step);
        // The increments of the previous step's pitches still hold (a held
        // note's pitches stand still from step to step).
        if (step > 0 && std::bit_cast<uint32_t>(v.pitch1) == std::bit_cast<uint32_t>(s.pitch1[l]) &&
            std::bit_cast<uint32_t>(v.pitch2Base) == std::bit_cast<uint32_t>(s.pitch2Base[l])) {
            v.inc1 = s.inc1[l];
            v.inc2 = s.stepInc2[l];
        } else {
            oscillatorStepIncrements(v, b, pitches);
        }
        oscillatorStepThreshold(v);
        s.pitch1[l] = v.pitch1;
        s.inc1[l] = v.inc1;
        s.stepInc2[l] = v.inc2;
        s.width1[l] = v.width1;
        s.width2[l] = v.width2;
        s.fm2[l] = v.fm2;
        s.pwm2[l] = v.pwm2;
        s.pitch2Base[l] = v.pitch2Base;
        s.inc2[l] = v.inc2;
        s.threshold2[l] = v.threshold2;
        if (v.fm2 != 0.0f || v.pwm2 != 0.0f)
            s.anyModulated = 1;
    }
}

KK_LANE_STEP void oscillatorLaneJumps1(OscillatorLaneState& s, uint32_t mask)
{
    for (int32_t l = 0; l < s.count; ++l) {
        if (!(mask & (1u << l)))
            continue;
        bool syncPending = s.syncPending[l] != 0;
        firstOscillatorJumps(FirstOscillator{s.phase1[l], s.raw1[l], s.threshold1[l], s.a1[l],
                                             s.b1[l], s.remainder[l], syncPending, s.subValue[l],
                                             s.subSteps[l]},
                             s.previous1[l], s.inc1[l], s.width1[l], s.osc1SawWeight[l],
                             s.osc1PulseWeight[l], Placer{s, l});
        s.syncPending[l] = syncPending ? kAllBits : 0u;
        refreshWindow(s, kOsc1Ring, l);
        refreshWindow(s, kSubRing, l);
    }
}

KK_LANE_STEP void oscillatorLaneJumps2(OscillatorLaneState& s, uint32_t mask)
{
    for (int32_t l = 0; l < s.count; ++l) {
        if (!(mask & (1u << l)))
            continue;
        bool high2 = s.high2[l] != 0;
        bool syncPending = s.syncPending[l] != 0;
        secondOscillatorJumps(
            SecondOscillator{s.phase2[l], s.raw2[l], s.a2[l], s.b2[l], high2, syncPending},
            s.inc2[l], s.threshold2[l], s.syncWindow[l], s.remainder[l], s.osc2SawWeight[l],
            s.osc2PulseWeight[l], Placer{s, l});
        s.high2[l] = high2 ? kAllBits : 0u;
        s.syncPending[l] = syncPending ? kAllBits : 0u;
        refreshWindow(s, kOsc2Ring, l);
    }
}

KK_LANE_STEP void oscillatorLaneSmooth(OscillatorLaneState& s)
{
    for (int32_t l = 0; l < s.count; ++l) {
        if (s.sineWeight[l] != 0.0f || s.triangleWeight[l] != 0.0f)
            s.o1[l] += smoothWaves(s.tables->sine, s.triangle[l], s.sineWeight[l],
                                   s.triangleWeight[l], s.phase1[l]);
    }
}

KK_LANE_STEP void oscillatorLaneModulation(OscillatorLaneState& s)
{
    const PitchTable& pitches = pitchTable();
    for (int32_t l = 0; l < s.count; ++l) {
        const float o1 = s.o1[l];
        if (s.fm2[l] != 0.0f)
            s.inc2[l] = incrementOf(pitches, s.fm2[l] * o1 + s.pitch2Base[l],
                                    s.lanes[l].block->incrementScale);
        if (s.fm2[l] != 0.0f || s.pwm2[l] != 0.0f)
            s.threshold2[l] = pulseThreshold(std::fabs(s.width2[l] - s.pwm2[l] * o1), s.inc2[l]);
    }
}

namespace {

// Four frames of four lanes from rows of kLaneColumns floats, turned so that
// each vector holds one lane's four frames.
struct Quad {
    __m128 lane[4];
};

Quad turned(const float* rows)
{
    Quad q{{_mm_loadu_ps(rows), _mm_loadu_ps(rows + kLaneColumns),
            _mm_loadu_ps(rows + 2 * kLaneColumns), _mm_loadu_ps(rows + 3 * kLaneColumns)}};
    _MM_TRANSPOSE4_PS(q.lane[0], q.lane[1], q.lane[2], q.lane[3]);
    return q;
}

} // namespace

KK_LANE_STEP void storeOscillatorLaneOutput(OscillatorLaneState& s, int32_t first, int32_t last)
{
    constexpr int32_t kQuad = 4;
    const int32_t frames = last - first;
    const int32_t whole = frames - frames % kQuad;
    for (int32_t l0 = 0; l0 < s.count; l0 += kQuad) {
        const int32_t lanes = std::min(kQuad, s.count - l0);
        bool signals = false;
        for (int32_t i = 0; i < lanes; ++i)
            signals = signals || s.lanes[l0 + i].out.osc1 || s.lanes[l0 + i].out.osc2 ||
                      s.lanes[l0 + i].out.sub;
        for (int32_t k = 0; k < whole; k += kQuad) {
            const int32_t at = k * kLaneColumns + l0;
            const int32_t n = first + k;
            const Quad osc1 = turned(s.outOsc1 + at);
            const Quad mix = turned(s.outMix + at);
            for (int32_t i = 0; i < lanes; ++i) {
                float* work = s.lanes[l0 + i].out.work + 2 * n;
                _mm_storeu_ps(work, _mm_unpacklo_ps(mix.lane[i], osc1.lane[i]));
                _mm_storeu_ps(work + kQuad, _mm_unpackhi_ps(mix.lane[i], osc1.lane[i]));
            }
            if (!signals)
                continue;
            const Quad sub = turned(s.outSub + at);
            const Quad osc2 = turned(s.outOsc2 + at);
            for (int32_t i = 0; i < lanes; ++i) {
                const OscillatorOutput& out = s.lanes[l0 + i].out;
                if (out.osc1)
                    _mm_storeu_ps(out.osc1 + n, osc1.lane[i]);
                if (out.sub)
                    _mm_storeu_ps(out.sub + n, sub.lane[i]);
                if (out.osc2)
                    _mm_storeu_ps(out.osc2 + n, osc2.lane[i]);
            }
        }
    }
    for (int32_t l = 0; l < s.count; ++l) {
        const OscillatorOutput& out = s.lanes[l].out;
        for (int32_t n = first + whole; n < last; ++n) {
            const int32_t at = (n - first) * kLaneColumns + l;
            if (out.osc1)
                out.osc1[n] = s.outOsc1[at];
            if (out.sub)
                out.sub[n] = s.outSub[at];
            if (out.osc2)
                out.osc2[n] = s.outOsc2[at];
            out.work[2 * n] = s.outMix[at];
            out.work[2 * n + 1] = s.outOsc1[at];
        }
    }
}

KK_LANE_STEP void endOscillatorLanes(OscillatorLaneState& s, int32_t frames)
{
    for (int32_t l = 0; l < s.count; ++l) {
        OscillatorState& st = *s.lanes[l].state;
        st.ringPosition = slotOf(s, l, frames);
        st.osc1SawWeight = s.a1[l];
        st.osc1PulseWeight = s.b1[l];
        st.osc2SawWeight = s.a2[l];
        st.osc2PulseWeight = s.b2[l];
        st.osc1Phase = s.phase1[l];
        st.osc1Threshold = s.threshold1[l];
        st.osc1Increment = s.inc1[l];
        st.osc2Phase = s.phase2[l];
        st.osc2Threshold = s.threshold2[l];
        st.osc2PulseHigh = s.high2[l] != 0 ? 1u : 0u;
        st.osc1Raw = s.raw1[l];
        st.osc2Raw = s.raw2[l];
        st.subValue = s.subValue[l];
        st.subSteps = s.subSteps[l];
        st.dcInput = s.dcInput[l];
        st.dcOutput = s.dcOutput[l];
    }
}

namespace {

// A call the lanes take: 2 to 8 voices.
bool lanesTake(const OscillatorLane* lanes, int32_t count, int32_t frames)
{
    return lanes && count > 1 && count <= kMaxOscillatorLanes && frames > 0;
}

void renderEachAlone(const OscillatorLane* lanes, int32_t count, const OscillatorTables& tables,
                     int32_t frames)
{
    if (!lanes)
        return;
    for (int32_t l = 0; l < count; ++l)
        renderOscillators(*lanes[l].state, *lanes[l].block, lanes[l].rows, tables, frames,
                          lanes[l].out);
}

} // namespace

void renderOscillatorLanes4(const OscillatorLane* lanes, int32_t count,
                            const OscillatorTables& tables, int32_t frames)
{
    if (!lanesTake(lanes, count, frames) || count > Sse2::W)
        return renderEachAlone(lanes, count, tables, frames);
    oscillatorkernel::render<Sse2>(lanes, count, tables, frames);
}

void renderOscillatorLanes8Sse2(const OscillatorLane* lanes, int32_t count,
                                const OscillatorTables& tables, int32_t frames)
{
    if (!lanesTake(lanes, count, frames))
        return renderEachAlone(lanes, count, tables, frames);
    oscillatorkernel::render<Sse2Pair>(lanes, count, tables, frames);
}

void renderOscillatorLanes(const OscillatorLane* lanes, int32_t count,
                           const OscillatorTables& tables, int32_t frames)
{
    if (!lanesTake(lanes, count, frames))
        return renderEachAlone(lanes, count, tables, frames);
    if (count <= Sse2::W) {
        oscillatorkernel::render<Sse2>(lanes, count, tables, frames);
    } else if (wideLanesInUse()) {
        renderOscillatorLanes8(lanes, count, tables, frames);
    } else {
        // Two groups of SSE2 lanes one after the other: the oscillators'
        // frame-to-frame chains are short, and one vector's values fit the
        // registers where two side by side would not.
        oscillatorkernel::render<Sse2>(lanes, Sse2::W, tables, frames);
        renderOscillatorLanes(lanes + Sse2::W, count - Sse2::W, tables, frames);
    }
}

} // namespace synthdsp
