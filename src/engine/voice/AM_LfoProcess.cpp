// The LFO's routines: rate, phase, waveforms, delay and depth, the cycle
// messages, and the shared row of the single trigger. Audio thread;
// allocates nothing.

#include "engine/voice/AM_Lfo.h"

#include "engine/module/AM_Random.h"
#include "engine/voice/AM_ControlRows.h"
#include "engine/voice/AM_PowerOfTwo.h"
#include "params/object/AM_Messages.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

constexpr double kSamplesPerStep = k_samplesPerUnit / k_stepsPerUnit; // 4
constexpr double kSecondsPerMinute = 60.0;
constexpr double kHalfCycle = 0.5;
constexpr float kPercent = 0.01f;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Cycles per second of "0.1s", "1s" and "10s" (Sync -3, -2, -1).
constexpr double kFreeRates[] = {10.0, 1.0, 0.1};
// Cycles per quarter-note beat of Sync 0 to 23: 1/64 to 1/1, the dotted
// values (2/3 of the plain ones), the triplets (3/2 of them), 2/1 to 8/1.
constexpr double kCyclesPerBeat[] = {16.0,     8.0,      4.0,      2.0,      1.0,      1.0 / 2,
                                     1.0 / 4,  16.0 / 3, 8.0 / 3,  4.0 / 3,  2.0 / 3,  1.0 / 3,
                                     6.0,      3.0,      3.0 / 2,  3.0 / 4,  3.0 / 8,  1.0 / 8,
                                     1.0 / 12, 1.0 / 16, 1.0 / 20, 1.0 / 24, 1.0 / 28, 1.0 / 32};
static_assert(std::size(kCyclesPerBeat) == AM_Lfo::kLastSync + 1, "one entry per note value");

// The fraction of a phase in [0, 1); 0 for anything that is not finite.
// A phase that moved by less than a cycle needs no rounding: in (0, 1) it
// is its own fraction, in [1, 2) the difference to 1 is exact.
double wrap(double phase)
{
    if (phase > 0.0 && phase < 1.0)
        return phase;
    if (phase >= 1.0 && phase < 2.0)
        return phase - 1.0;
    const double f = phase - std::floor(phase);
    return std::isfinite(f) && f < 1.0 ? f : 0.0;
}

double tempoOf(const AM_ProcessContext* ctx)
{
    return std::isfinite(ctx->tempo) && ctx->tempo > 0.0 ? ctx->tempo : 0.0;
}

// The delay ramp's rise per control step: the fade-in lasts d^3 seconds
// (d = "Dly" / 100) plus a quarter of a sample, whatever the length of the
// blocks; "Dly" 0 is there after the first step.
constexpr double kDelayMinimumSamples = 0.25;

float delayStep(const AM_LfoGlobal& g, const AM_ProcessContext* ctx)
{
    const double d = std::clamp(static_cast<double>(g.delay) * kPercent, 0.0, 1.0);
    const double rate = std::max(0.0, ctx->sampleRateD);
    return static_cast<float>(kSamplesPerStep / (d * d * d * rate + kDelayMinimumSamples));
}

// One run of one voice over control steps [first, end) of the sub-block.
struct Run {
    AM_Lfo* self;
    AM_LfoGlobal& g;
    AM_LfoVoice& v;
    AM_ProcessContext* ctx;
    int32_t first;
    int32_t end;
    float* out;
    uint32_t messageArg;

    bool shared() const { return g.sharedParameters != 0; }

    // The rate factor 2^(s x FMD1 + Rate), s the rate source at the first
    // step.
    double rateFactor() const
    {
        const float s = shared() ? AM_controlRowValue(ctx, g.rateSource, first) : 0.0f;
        const float octaves = shared() ? s * g.rateDepth + g.rate : 0.0f;
        return AM_PowerOfTwo::cubic(octaves);
    }

    // Cycles per beat of a tempo-locked Sync, or cycles per second (negative
    // Sync).
    double cycleRate() const
    {
        const int32_t sync = std::clamp(g.sync, AM_Lfo::kFirstSync, AM_Lfo::kLastSync);
        return sync < 0 ? kFreeRates[sync - AM_Lfo::kFirstSync] : kCyclesPerBeat[sync];
    }

    // Phase advance per control step.
    double increment(double m) const
    {
        const double period = ctx->samplePeriodD;
        if (g.sync < 0)
            return cycleRate() * kSamplesPerStep * period * m;
        return cycleRate() * tempoOf(ctx) / kSecondsPerMinute * kSamplesPerStep * period * m;
    }

    // Where a tempo-locked LFO stands at the song position of the first
    // step: the cycles since the song's start. Song position x cycles per
    // beat needs no tempo, so a tempo of 0 is safe; a free rate counts
    // seconds of song time and starts at 0 without a tempo.
    double songPhase(double m) const
    {
        const double tempo = tempoOf(ctx);
        const double song = std::isfinite(ctx->songPosition) ? ctx->songPosition : 0.0;
        const double beatsPerSample = tempo / kSecondsPerMinute * ctx->samplePeriodD;
        const double position = song + first * kSamplesPerStep * beatsPerSample;
        if (g.sync >= 0)
            return wrap(position * cycleRate() * m);
        if (tempo <= 0.0)
            return 0.0;
        return wrap(position * kSecondsPerMinute / tempo * cycleRate() * m);
    }

    // Sync restart and bar restart before the phase moves.
    void begin(double m)
    {
        if ((v.restartPending & k_lfoSyncPending) != 0) {
            v.restartPending &= ~static_cast<uint32_t>(k_lfoSyncPending);
            v.restartPending |= k_lfoFreshRamp;
            v.phase = songPhase(m);
        }
        if (!shared() && g.trigger > 0 && ctx->newBarFlag != 0 && v.barStamp != ctx->blockCounter) {
            v.barStamp = ctx->blockCounter;
            if (++v.barCounter >= g.trigger) {
                v.phase = 0.0;
                v.barCounter = 0;
            }
        }
    }

    double offsetPhase() const { return wrap(v.phase + g.phaseOffset * kPercent); }

    float wave(double p)
    {
        switch (std::clamp(g.wave, 0, static_cast<int32_t>(AM_Lfo::k_waveRandomGlide))) {
        case AM_Lfo::k_waveSine:
            return static_cast<float>(std::sin(kTwoPi * p));
        case AM_Lfo::k_waveTriangle:
            return static_cast<float>(1.0 - 4.0 * std::fabs(p - kHalfCycle));
        case AM_Lfo::k_waveSawUp:
            return static_cast<float>(2.0 * p - 1.0);
        case AM_Lfo::k_waveSawDown:
            return static_cast<float>(1.0 - 2.0 * p);
        case AM_Lfo::k_waveSquareHighLow:
            return p <= kHalfCycle ? 1.0f : -1.0f;
        case AM_Lfo::k_waveSquareLowHigh:
            return p <= kHalfCycle ? -1.0f : 1.0f;
        default:
            break;
        }
        const uint32_t h = p > kHalfCycle ? 1 : 0;
        if (h != v.halfCycle) {
            v.randomPrevious = v.randomNext;
            v.randomNext = AM_Random::range(-1.0f, 1.0f);
            v.halfCycle = h;
        }
        if (g.wave == AM_Lfo::k_waveRandomHold)
            return v.randomPrevious;
        const double base = h ? kHalfCycle : 0.0;
        return static_cast<float>(v.randomPrevious +
                                  2.0 * (p - base) * (v.randomNext - v.randomPrevious));
    }

    // The depth factor, from the depth source at the last step.
    float depthFactor() const
    {
        const float depth = g.depth * kPercent;
        const float q = AM_controlRowValue(ctx, g.depthSource, end - 1);
        return 1.0f - depth + depth * q;
    }

    // Delay ramp and depth of the shared-parameter form.
    float shape(float w, float rise, float depth)
    {
        if (!shared())
            return w;
        if (v.delayRamp < 1.0f)
            v.delayRamp = std::min(1.0f, v.delayRamp + rise);
        return w * v.delayRamp * depth;
    }

    void messages(double startOffset, double endOffset, bool release)
    {
        if (startOffset > endOffset)
            self->sendMessage(0, k_msgRestartAttack, messageArg, nullptr);
        if (release && startOffset < kHalfCycle && endOffset >= kHalfCycle)
            self->sendMessage(0, k_msgRelease, messageArg, nullptr);
    }

    // Every control step evaluated.
    void perStep()
    {
        const double m = rateFactor();
        const double step = increment(m);
        begin(m);
        const double startOffset = v.offsetPhase;
        const float depth = shared() ? depthFactor() : 1.0f;
        const float rise = shared() ? delayStep(g, ctx) : 0.0f;
        // The phase and offset in locals: the stores to the row would
        // otherwise make the compiler reload them every step.
        const float offset = g.phaseOffset * kPercent;
        double phase = v.phase;
        double p = startOffset;
        float value = 0.0f;
        for (int32_t s = first; s < end; ++s) {
            phase = wrap(phase + step);
            p = wrap(phase + offset);
            value = shape(wave(p), rise, depth);
            out[s] = value;
        }
        v.phase = phase;
        v.offsetPhase = p;
        std::atomic_ref<float>(g.meter).store(value, std::memory_order_relaxed);
        messages(startOffset, p, true);
    }

    // One evaluation, a ramp to it over the steps and the two-pole smoother.
    void perBlock()
    {
        if (g.smoothing == 0.0f)
            g.smoothing = AM_Lfo::smootherCoefficient(ctx->samplePeriodD);
        const float c = g.smoothing;
        const double m = rateFactor();
        const int32_t steps = end - first;
        const double step = increment(m) * steps;
        begin(m);
        const double startOffset = v.offsetPhase;
        v.phase = wrap(v.phase + step);
        const double p = offsetPhase();
        const float rise = shared() ? delayStep(g, ctx) * static_cast<float>(steps) : 0.0f;
        const float value = shape(wave(p), rise, shared() ? depthFactor() : 1.0f);
        float from = v.rampTarget;
        if ((v.restartPending & k_lfoFreshRamp) != 0) {
            v.restartPending &= ~static_cast<uint32_t>(k_lfoFreshRamp);
            from = value;
        }
        for (int32_t i = 0; i < steps; ++i) {
            const float ramp =
                from + (value - from) * static_cast<float>(i + 1) / static_cast<float>(steps);
            v.low += c * v.band;
            out[first + i] = v.low;
            v.band += (ramp - v.low - v.band) * c;
        }
        v.rampTarget = value;
        v.offsetPhase = p;
        std::atomic_ref<float>(g.meter).store(v.low, std::memory_order_relaxed);
        messages(startOffset, p, false);
    }
};

struct Stretch {
    AM_Lfo* self = nullptr;
    AM_LfoGlobal* g = nullptr;
    float* row = nullptr;
    int32_t first = 0;
    int32_t end = 0;
};

bool beginStretch(int32_t* start, int32_t* length, AM_ChildRecord* record, AM_ProcessContext* ctx,
                  Stretch& s)
{
    if (!record || !ctx || !record->object || !record->globalMemory || !record->voiceMemory)
        return false;
    const int32_t from = std::clamp(start ? *start : 0, 0, k_maxUnitsPerBlock);
    const int32_t units = std::clamp(length ? *length : 0, 0, k_maxUnitsPerBlock - from);
    s.self = static_cast<AM_Lfo*>(record->object);
    s.g = static_cast<AM_LfoGlobal*>(record->globalMemory);
    s.row = AM_controlRow(ctx, s.g->ownRow);
    s.first = from * k_stepsPerUnit;
    s.end = (from + units) * k_stepsPerUnit;
    return s.row && units > 0;
}

template <class Evaluate>
void process(int32_t* start, int32_t* length, AM_ChildRecord* record, AM_ProcessContext* ctx,
             Evaluate evaluate)
{
    Stretch s;
    if (!beginStretch(start, length, record, ctx, s))
        return;
    AM_LfoGlobal& g = *s.g;
    const bool single = g.sharedParameters != 0 && g.trigger == AM_Lfo::k_restartSingle;
    if (!single) {
        const uint32_t arg = g.sharedParameters != 0 ? record->voice : AM_Lfo::kAllVoices;
        Run run{s.self, g,  *static_cast<AM_LfoVoice*>(record->voiceMemory), ctx, s.first, s.end,
                s.row,  arg};
        evaluate(run);
        return;
    }
    // One LFO for all voices: voice 0's record computes the sub-block from
    // its first step, as far as any voice has asked, into the shared row;
    // every voice receives the shared row, so a split first stretch still
    // leaves the whole sub-block computed once.
    AM_LfoVoice* voice0 = s.self->getVoice(0);
    if (!voice0)
        return;
    if (g.blockStamp != ctx->blockCounter) {
        g.blockStamp = ctx->blockCounter;
        g.sharedSteps = 0;
    }
    const int32_t computed =
        static_cast<int32_t>(std::min<uint32_t>(g.sharedSteps, k_controlRowSteps));
    if (computed < s.end) {
        Run run{s.self, g, *voice0, ctx, computed, s.end, g.sharedRow, AM_Lfo::kAllVoices};
        evaluate(run);
        g.sharedSteps = static_cast<uint32_t>(s.end);
    }
    std::copy(g.sharedRow + s.first, g.sharedRow + s.end, s.row + s.first);
}

} // namespace

void AM_Lfo::processPerStep(int32_t* start, int32_t* length, AM_ChildRecord* record,
                            AM_ProcessContext* context)
{
    process(start, length, record, context, [](Run& run) { run.perStep(); });
}

void AM_Lfo::processPerBlock(int32_t* start, int32_t* length, AM_ChildRecord* record,
                             AM_ProcessContext* context)
{
    process(start, length, record, context, [](Run& run) { run.perBlock(); });
}
