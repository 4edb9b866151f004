// Cost of the oscillators of 2 to 8 voices (default settings, keys a fifth
// apart over six octaves) per 64-sample host block (256 oversampled frames):
// one voice at a time, and side by side in each lane width. core_share is the
// part of one core that one voice's oscillators take at 44.1 kHz.

#include "synth/dsp/FilterLanes.h"
#include "synth/dsp/OscillatorLanes.h"
#include "synth/dsp/Oscillators.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

constexpr int32_t kMaxVoices = 8;
constexpr int32_t kHostSamples = 64;
constexpr int32_t kFrames = synthdsp::kOversampling * kHostSamples;
constexpr int32_t kSteps = kFrames / synthdsp::kFramesPerControlStep;
constexpr double kHostRate = 44100.0;

enum Path : int64_t { kAlone, kChosen, kSse2Groups, kSse2Pair };

struct Voice {
    std::array<float, kSteps> key{};
    synthdsp::OscillatorState state{};
    alignas(16) float work[2 * kFrames];
    float osc1[kFrames], osc2[kFrames], sub[kFrames];
};

void renderVoices(benchmark::State& state)
{
    const auto path = Path(state.range(0));
    const auto voiceCount = int32_t(state.range(1));
    const synthdsp::OscillatorBlock block =
        synthdsp::makeOscillatorBlock(synthdsp::OscillatorSettings{}, float(1.0 / kHostRate));
    const synthdsp::OscillatorTables tables = synthdsp::oscillatorTables();
    static std::array<float, kSteps> zero{};
    const float* ones = synthdsp::onesControlRow();
    std::vector<Voice> voices(static_cast<size_t>(voiceCount));
    std::vector<synthdsp::OscillatorLane> lanes;
    for (int32_t v = 0; v < voiceCount; ++v) {
        Voice& voice = voices[size_t(v)];
        voice.key.fill(float((v * 7) % 72 - 36) / 64.0f);
        lanes.push_back({&voice.state,
                         &block,
                         {voice.key.data(), voice.key.data(), zero.data(), zero.data(),
                          zero.data(), ones, ones, zero.data()},
                         {voice.work, voice.osc1, voice.osc2, voice.sub}});
    }
    synthdsp::setWideLanesAllowed(path != kSse2Groups);
    for (auto _ : state) {
        switch (path) {
        case kAlone:
            for (const synthdsp::OscillatorLane& lane : lanes)
                synthdsp::renderOscillators(*lane.state, *lane.block, lane.rows, tables, kFrames,
                                            lane.out);
            break;
        case kChosen:
        case kSse2Groups:
            synthdsp::renderOscillatorLanes(lanes.data(), voiceCount, tables, kFrames);
            break;
        case kSse2Pair:
            synthdsp::renderOscillatorLanes8Sse2(lanes.data(), voiceCount, tables, kFrames);
            break;
        }
        benchmark::DoNotOptimize(voices.data());
    }
    synthdsp::setWideLanesAllowed(true);
    state.counters["core_share"] = benchmark::Counter(
        voiceCount * kHostSamples / kHostRate,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Path: 0 one voice at a time, 1 the lanes the processor allows, 2 SSE2 in
// groups of 4, 3 SSE2 as pairs of vectors; then the voice count.
BENCHMARK(renderVoices)
    ->ArgsProduct({{kAlone, kChosen, kSse2Groups, kSse2Pair}, {2, 3, 5, kMaxVoices}});

} // namespace

BENCHMARK_MAIN();
