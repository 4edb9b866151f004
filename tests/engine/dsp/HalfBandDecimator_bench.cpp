// Cost of bringing one voice block (64 host samples, 256 oversampled frames
// of two channels) back to the host rate.

#include "engine/dsp/HalfBandDecimator.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int32_t kHostSamples = 64;
constexpr int32_t kWorkFloats = 8 * kHostSamples;

void BM_DecimateVoiceBlock(benchmark::State& state)
{
    alignas(16) float work[kWorkFloats];
    alignas(16) float input[kWorkFloats];
    for (int32_t i = 0; i < kWorkFloats; ++i)
        input[i] = float(std::sin(0.01 * double(i)));
    alignas(16) float left[kHostSamples];
    alignas(16) float right[kHostSamples];
    enginedsp::HalfBandState a;
    enginedsp::HalfBandState b;
    for (auto _ : state) {
        for (int32_t i = 0; i < kWorkFloats; ++i)
            work[i] = input[i];
        enginedsp::decimateHalfBand(left, right, work, kHostSamples, a, b);
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
    }
    state.SetItemsProcessed(state.iterations() * kHostSamples);
}
BENCHMARK(BM_DecimateVoiceBlock);

} // namespace

BENCHMARK_MAIN();
