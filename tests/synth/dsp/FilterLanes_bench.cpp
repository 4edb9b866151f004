// The filter stage's kernels on the default patch's settings (24 dB, the
// cutoff wide open, the saturators' knee at 0.2) with saws at the default
// patch's level: one voice alone, and groups of 2, 4 and 8 voices in the
// lanes of each width. Time per block of 256 frames (64 host samples) for
// the whole group; ns_per_voice_frame divides it by voices and frames.

#include "synth/dsp/FilterLanes.h"

#include <benchmark/benchmark.h>

#include <xmmintrin.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int32_t kFrames = 256;
constexpr int32_t kSteps = kFrames / 16;
constexpr float kPeriod = 1.0f / 44100.0f;
constexpr float kLevel = 1.4f; // two oscillators at gain 0.7

// Flush-to-zero and denormals-are-zero, as the plug-in runs the engine.
struct FlushToZero {
    FlushToZero() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | kFlags); }
    ~FlushToZero() { _mm_setcsr(saved_); }
    FlushToZero(const FlushToZero&) = delete;
    FlushToZero& operator=(const FlushToZero&) = delete;

private:
    static constexpr unsigned kFlags = 0x8040;
    unsigned saved_;
};

// Blocks of a voice's saw, rendered ahead and played in turn.
constexpr int32_t kBlocks = 16;

struct Voice {
    synthdsp::FilterBlock block{};
    synthdsp::FilterState state{};
    std::array<float, kSteps> key{}, fm{}, crossMod{};
    std::vector<float> mix = std::vector<float>(kFrames);
    std::vector<float> pink = std::vector<float>(kFrames / 4);
    std::vector<float> saw = std::vector<float>(2 * kFrames * kBlocks);
    alignas(16) float work[2 * kFrames] = {};
    int32_t played = 0;

    void render(float increment)
    {
        float phase = 0.0f;
        for (int32_t n = 0; n < kFrames * kBlocks; ++n) {
            phase += increment;
            if (phase >= 1.0f)
                phase -= 1.0f;
            saw[size_t(2 * n)] = saw[size_t(2 * n + 1)] = kLevel * (2.0f * phase - 1.0f);
        }
    }
    // The next block of the saw into the work buffer (the mix and Osc1).
    void next()
    {
        const float* from = saw.data() + size_t(2 * kFrames) * size_t(played);
        std::copy(from, from + 2 * kFrames, work);
        played = (played + 1) % kBlocks;
    }
    synthdsp::FilterRows rows() const
    {
        return {key.data(), fm.data(), fm.data(), crossMod.data()};
    }
    synthdsp::FilterBuffers buffers()
    {
        return {work, mix.data(), mix.data(), mix.data(), pink.data()};
    }
};

std::vector<Voice> makeVoices(int32_t count)
{
    std::vector<Voice> voices(static_cast<size_t>(count));
    synthdsp::FilterSettings settings;
    for (int32_t i = 0; i < count; ++i) {
        Voice& v = voices[size_t(i)];
        v.block = synthdsp::makeFilterBlock(settings, kPeriod);
        v.render((55.0f * float(1 << (i % 5)) + 7.0f * float(i)) * kPeriod / 4.0f);
    }
    return voices;
}

enum class Width { sse2, sse2Pair, avx2 };

void BM_FilterOneVoice(benchmark::State& state)
{
    std::vector<Voice> voices = makeVoices(1);
    Voice& v = voices[0];
    const FlushToZero flush;
    for (auto _ : state) {
        v.next();
        synthdsp::processFilterLPHP(v.state, v.block, v.rows(), kFrames, v.buffers());
        benchmark::DoNotOptimize(v.work);
    }
    state.counters["ns_per_voice_frame"] =
        benchmark::Counter(double(kFrames), benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_FilterOneVoice);

void runLanes(benchmark::State& state, Width width)
{
    const int32_t count = int32_t(state.range(0));
    if (width == Width::avx2 && !synthdsp::processorHasAvx2()) {
        state.SkipWithError("no AVX2");
        return;
    }
    std::vector<Voice> voices = makeVoices(count);
    constexpr int32_t kColumns = synthdsp::kMaxFilterLanes;
    std::vector<float> input(size_t(kFrames * kColumns), 0.0f);
    std::vector<float> control(size_t(synthdsp::kLaneControlFloats * kFrames * kColumns), 0.0f);
    uint8_t perFrameSteps[kSteps] = {};
    std::vector<synthdsp::FilterLane> lanes;
    for (Voice& v : voices)
        lanes.push_back({&v.state, &v.block, v.work});
    const FlushToZero flush;
    for (auto _ : state) {
        for (int32_t i = 0; i < count; ++i) {
            Voice& v = voices[size_t(i)];
            v.next();
            synthdsp::prepareFilterLane(v.state, v.block, v.rows(), kFrames, v.buffers(),
                                        input.data() + i, control.data() + i, perFrameSteps);
        }
        synthdsp::clipLaneInputs(input.data(), kFrames * kColumns);
        const synthdsp::FilterLaneRows rows{input.data(), control.data(), perFrameSteps};
        if (width == Width::avx2)
            synthdsp::processFilterLanes8(lanes.data(), count, kFrames, rows, 0);
        else if (width == Width::sse2Pair)
            synthdsp::processFilterLanes8Sse2(lanes.data(), count, kFrames, rows, 0);
        else
            for (int32_t i = 0; i < count; i += 4)
                synthdsp::processFilterLanes4(lanes.data() + i, std::min(4, count - i), kFrames,
                                              rows, i);
        benchmark::DoNotOptimize(voices.data());
    }
    state.counters["ns_per_voice_frame"] =
        benchmark::Counter(double(kFrames * count), benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void BM_FilterLanesSse2(benchmark::State& state)
{
    runLanes(state, Width::sse2);
}
BENCHMARK(BM_FilterLanesSse2)->Arg(2)->Arg(4)->Arg(8);

void BM_FilterLanesSse2Pair(benchmark::State& state)
{
    runLanes(state, Width::sse2Pair);
}
BENCHMARK(BM_FilterLanesSse2Pair)->Arg(8);

void BM_FilterLanesAvx2(benchmark::State& state)
{
    runLanes(state, Width::avx2);
}
BENCHMARK(BM_FilterLanesAvx2)->Arg(2)->Arg(4)->Arg(8);

} // namespace

BENCHMARK_MAIN();
