// Cost of one voice's oscillators and filter stage per 64-sample host block
// (256 oversampled frames), with the decimation back to the host rate, for
// the default patch and a heavy one. core_share is the part of one core that
// a voice takes at 44.1 kHz.

#include "engine/dsp/HalfBandDecimator.h"
#include "synth/dsp/BiquadDesign.h"
#include "synth/dsp/FilterStage.h"
#include "synth/dsp/Oscillators.h"
#include "synth/dsp/PitchTable.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int32_t kHostSamples = 64;
constexpr int32_t kFrames = synthdsp::kOversampling * kHostSamples;
constexpr int32_t kSteps = kFrames / synthdsp::kFramesPerControlStep;
constexpr double kHostRate = 44100.0;

struct Patch {
    synthdsp::OscillatorSettings osc;
    synthdsp::FilterSettings filter;
    bool moving; // modulation rows that change every control step
};

Patch defaultPatch()
{
    return {synthdsp::OscillatorSettings{}, synthdsp::FilterSettings{}, false};
}

// Both oscillators with sync and FM, sub, ring modulation, feedback, noise,
// 36 dB and high resonance.
Patch heavyPatch()
{
    Patch p = defaultPatch();
    p.osc.shape1 = 3.5f;
    p.osc.shape2 = 1.5f;
    p.osc.softSync = 100.0f;
    p.osc.audioRateDest = 0;
    p.osc.xModDepth = 40.0f;
    p.osc.pulseWidthDepth = 30.0f;
    p.osc.tuneModDepth2 = 7.0f;
    p.osc.vibrato = 20.0f;
    p.osc.subVolume = -20.0f;
    p.filter.poles = 2;
    p.filter.resonance = 90.0f;
    p.filter.cutoff = 85.0f;
    p.filter.keyFollow = 60.0f;
    p.filter.fmDepth1 = 24.0f;
    p.filter.ringModVolume = -20.0f;
    p.filter.feedbackVolume = -10.0f;
    p.filter.mixSpread = 20.0f;
    p.moving = true;
    return p;
}

void renderVoice(benchmark::State& state, const Patch& patch)
{
    const float period = float(1.0 / kHostRate);
    const synthdsp::OscillatorBlock oscBlock = synthdsp::makeOscillatorBlock(patch.osc, period);
    const synthdsp::FilterBlock filterBlock = synthdsp::makeFilterBlock(patch.filter, period);
    const synthdsp::OscillatorTables tables = synthdsp::oscillatorTables();

    float key[kSteps], lfo[kSteps], zero[kSteps] = {};
    for (int32_t s = 0; s < kSteps; ++s) {
        key[s] = 5.0f / 64.0f;
        lfo[s] = patch.moving ? float(std::sin(0.3 * s)) : 0.0f;
    }
    const float* ones = synthdsp::onesControlRow();
    const synthdsp::OscillatorRows oscRows{key,  key, zero, lfo, lfo, patch.moving ? lfo : ones,
                                           ones, zero};
    const synthdsp::FilterRows filterRows{key, lfo, zero, zero};

    synthdsp::OscillatorState oscState;
    synthdsp::FilterState filterState;
    const auto lowpass = synthdsp::lowpassBiquadFloat(synthdsp::pitchTable(), 125.0f, 0.7f,
                                                      period / float(synthdsp::kOversampling));
    for (auto& record : filterState.feedbackLowpass)
        synthdsp::biquadRampFloat(record, lowpass, 0.0f, true);
    enginedsp::HalfBandState a;
    enginedsp::HalfBandState b;
    alignas(16) float work[2 * kFrames];
    float o1[kFrames], o2[kFrames], sub[kFrames];
    float pink[kHostSamples];
    for (int32_t i = 0; i < kHostSamples; ++i)
        pink[i] = patch.moving ? float(std::sin(1.7 * i)) : 0.0f;
    alignas(16) float left[kHostSamples];
    alignas(16) float right[kHostSamples];

    for (auto _ : state) {
        synthdsp::renderOscillators(oscState, oscBlock, oscRows, tables, kFrames,
                                    {work, o1, o2, sub});
        synthdsp::processFilterStage(filterState, filterBlock, filterRows, kFrames,
                                     {work, o1, o2, sub, pink});
        enginedsp::decimateHalfBand(left, right, work, kHostSamples, a, b);
        benchmark::DoNotOptimize(left);
    }
    state.counters["core_share"] =
        benchmark::Counter(kHostSamples / kHostRate, benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void BM_VoiceBlockDefaultPatch(benchmark::State& state)
{
    renderVoice(state, defaultPatch());
}
BENCHMARK(BM_VoiceBlockDefaultPatch);

void BM_VoiceBlockHeavyPatch(benchmark::State& state)
{
    renderVoice(state, heavyPatch());
}
BENCHMARK(BM_VoiceBlockHeavyPatch);

} // namespace

BENCHMARK_MAIN();
