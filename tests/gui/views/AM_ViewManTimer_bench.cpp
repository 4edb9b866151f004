// The cost of the view manager's timer tick: a tick with nothing to do, a
// tick after a knob drag (one or two small dirty rectangles), and a full
// repaint of a panel of 64 controls, at zooms 1 and 2 (the argument).
//
//   build/release/bin/AM_ViewManTimer_bench

#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "platform/Surface.h"
#include "presets/AM_View_Interface.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr float kWidth = 800;
constexpr float kHeight = 400;

// A control that fills its bounds and frames them, like a plain knob face.
class Face : public AM_ViewControl {
public:
    Face(AM_ViewMan* vm, const AM_Rect& bounds, uint32_t rgba)
        : AM_ViewControl(vm, &bounds), rgba_(rgba)
    {
        initControl(0, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, false);
    }
    void draw(AM_Context* context) override
    {
        const AM_Rect b = getBounds();
        context->setColourPacked(rgba_);
        context->fillRect(&b);
        context->setColourPacked(0x202020FF);
        context->frameRect(&b);
        const float centre[2] = {b.x + b.w / 2, b.y + b.h / 2};
        context->drawCircle(centre, b.w / 3, 2);
    }

private:
    uint32_t rgba_;
};

// An interface with no engine behind it.
class QuietInterface : public AM_View_Interface {
public:
    void nativePresetChanged(const char*) override {}
    std::vector<uint8_t> getFxpProgram() override { return {}; }
    std::vector<uint8_t> getStateInfo(const char*) override { return {}; }
    bool setStateInfo(const void*, uint32_t, const char*) override { return false; }
};

struct Panel {
    explicit Panel(float zoom)
        : surface(int(kWidth * zoom), int(kHeight * zoom)),
          vm(&ui, nullptr, nullptr, &surface)
    {
        AM_PluginInfo info{};
        std::strncpy(info.effectName, "BenchSynth", sizeof info.effectName - 1);
        vm.setProcessDescription(&info);
        const AM_Rect canvas{0, 0, kWidth, kHeight};
        vm.init(&canvas);
        const AM_Rect all{0, 0, kWidth, kHeight};
        top = new Face(&vm, all, 0xE0E4E8FF);
        vm.registerControl(top, nullptr);
        top->setVisible(true, kAllLayers, false);
        for (int i = 0; i < 64; ++i) {
            const AM_Rect r{20.0f + float(i % 16) * 48.0f, 20.0f + float(i / 16) * 90.0f, 36, 36};
            top->addControl(new Face(&vm, r, 0x8090A0FF), kAllLayers, false);
        }
        top->setEditMode(false);
        vm.setZoom(zoom);
        vm.onTimer(); // the first tick's refresh and repaint
        vm.onTimer();
    }
    QuietInterface ui;
    platform::HeadlessSurface surface;
    AM_AGG_ViewMan vm;
    AM_ViewControl* top = nullptr;
};

float zoomOf(const benchmark::State& state)
{
    return float(state.range(0));
}

void BM_IdleTick(benchmark::State& state)
{
    Panel panel(zoomOf(state));
    for (auto _ : state) {
        panel.vm.onTimer();
    }
}
BENCHMARK(BM_IdleTick)->Arg(1)->Arg(2);

void BM_KnobDragTick(benchmark::State& state)
{
    Panel panel(zoomOf(state));
    const AM_Rect knob{68, 20, 36, 36};
    const AM_Rect label{60, 60, 52, 12};
    for (auto _ : state) {
        panel.vm.invalidateRect(&knob);
        panel.vm.invalidateRect(&label);
        panel.vm.onTimer();
    }
}
BENCHMARK(BM_KnobDragTick)->Arg(1)->Arg(2);

void BM_FullRepaint(benchmark::State& state)
{
    Panel panel(zoomOf(state));
    for (auto _ : state) {
        panel.vm.repaintAll();
    }
}
BENCHMARK(BM_FullRepaint)->Arg(1)->Arg(2);

} // namespace

BENCHMARK_MAIN();
