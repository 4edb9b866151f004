// A 128 x 128 knob frame drawn into a back buffer by each path: the copies
// an opaque frame takes at 1:1, 2x and 2.5x against the filtered path it
// would take otherwise, and the rotated path of a turned strip.
#include "gui/graphics/image/AM_ImageDrawing.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr uint32_t kSide = 128;
constexpr int kBuffer = 400;

struct Bench {
    Bench()
    {
        image.create(kSide, kSide, 200);
        rows.attach(pixels.data(), kBuffer, kBuffer, kBuffer * 4);
        target.buffer = &rows;
        target.clip = agg::rect_i(0, 0, kBuffer - 1, kBuffer - 1);
    }
    AM_PixelMap image;
    std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t(kBuffer) * kBuffer * 4, 255);
    agg::rendering_buffer rows;
    AM_ImageTarget target;
};

// state.range(0): 10 x the destination scale (10, 20, 25).
void BM_CopyPath(benchmark::State& state)
{
    Bench bench;
    const int tenths = int(state.range(0));
    const int numerator = tenths == 25 ? 5 : tenths / 10;
    const int denominator = tenths == 25 ? 2 : 1;
    const float side = kSide * tenths / 10.0f;
    for (auto _ : state) {
        AM_copyImage(bench.target, bench.image, {0, 0, side, side}, numerator, denominator);
        benchmark::DoNotOptimize(bench.pixels.data());
    }
}
BENCHMARK(BM_CopyPath)->Arg(10)->Arg(20)->Arg(25);

void BM_FilteredPath(benchmark::State& state)
{
    Bench bench;
    const float side = kSide * state.range(0) / 10.0f;
    for (auto _ : state) {
        AM_drawImageFiltered(bench.target, bench.image, {0, 0, side, side});
        benchmark::DoNotOptimize(bench.pixels.data());
    }
}
BENCHMARK(BM_FilteredPath)->Arg(10)->Arg(20)->Arg(25);

void BM_RotatedPath(benchmark::State& state)
{
    Bench bench;
    for (auto _ : state) {
        AM_drawImageRotated(bench.target, bench.image, {0, 0, kSide, kSide}, 15, 0.5f);
        benchmark::DoNotOptimize(bench.pixels.data());
    }
}
BENCHMARK(BM_RotatedPath);

} // namespace

BENCHMARK_MAIN();
