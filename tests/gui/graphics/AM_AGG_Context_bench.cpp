// The software renderer's cost: filling, stroking and a full repaint of a
// 1000 x 400 test card, at zooms 1 and 2 (the argument is the zoom).
//
//   build/release/bin/AM_AGG_Context_bench

#include "TestCard.h"
#include "gui/graphics/AM_AGG_Context.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

namespace {

constexpr float kCardWidth = 1000;
constexpr float kCardHeight = 400;

struct Card {
    explicit Card(float zoom)
        : surface(static_cast<int>(kCardWidth * zoom), static_cast<int>(kCardHeight * zoom)),
          context(&surface)
    {
        context.setZoom(zoom, kCardWidth * zoom, kCardHeight * zoom);
        context.beginDraw();
    }
    platform::HeadlessSurface surface;
    AM_AGG_Context context;
};

float zoomOf(const benchmark::State& state)
{
    return static_cast<float>(state.range(0));
}

void BM_FillRects(benchmark::State& state)
{
    Card card(zoomOf(state));
    int rects = 0;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            const AM_Rect r{static_cast<float>(i * 9 % 900), static_cast<float>(i * 7 % 300), 100,
                            100};
            card.context.setColourPacked(0x10203080u + static_cast<uint32_t>(i));
            card.context.fillRect(&r);
        }
        rects += 100;
    }
    state.SetItemsProcessed(rects);
}

void BM_StrokeLines(benchmark::State& state)
{
    Card card(zoomOf(state));
    int lines = 0;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            const float from[2] = {static_cast<float>(i * 10), 0};
            const float to[2] = {kCardWidth - static_cast<float>(i * 10), kCardHeight};
            card.context.drawLine(from, to, 2.0f);
        }
        lines += 100;
    }
    state.SetItemsProcessed(lines);
}

void BM_StrokeCircles(benchmark::State& state)
{
    Card card(zoomOf(state));
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            const float centre[2] = {static_cast<float>(50 + i * 18), 200};
            card.context.drawCircle(centre, 40, 2.0f);
        }
    }
}

void BM_TestCardRepaint(benchmark::State& state)
{
    Card card(zoomOf(state));
    const AM_Rect all{0, 0, kCardWidth, kCardHeight};
    for (auto _ : state) {
        drawTestCard(card.context, kCardWidth, kCardHeight);
        card.context.blitToWindow(&all);
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_FillRects)->Arg(1)->Arg(2);
BENCHMARK(BM_StrokeLines)->Arg(1)->Arg(2);
BENCHMARK(BM_StrokeCircles)->Arg(1)->Arg(2);
BENCHMARK(BM_TestCardRepaint)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
