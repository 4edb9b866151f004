// The cost of the view manager's timer tick on the fixture plug-in's GUI
// opened through the whole init with the built controls: a tick with
// nothing to do, a knob-drag tick (the knob shows a new value: its own
// small rectangles) and a full repaint, at zooms 1 and 2 (the argument).
//
//   build/release/bin/AM_OpenGui_bench

#include "ControlFixture.h"
#include "FixtureGui.h"
#include "TempDir.h"

#include "gui/views/AM_AGG_ViewMan.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace controltest;

struct OpenGui {
    explicit OpenGui(float zoom)
    {
        ControlTestAccess::reset();
        dir.writeFile("TestSynth.txt", kFixtureGui);
        surface = std::make_unique<platform::HeadlessSurface>(800, 600);
        vm = std::make_unique<AM_AGG_ViewMan>(&ui, nullptr, nullptr, surface.get());
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->setControlInstaller(&AM_installStandardControls);
        vm->setPath(kPathScripts, (dir.path() + "/").c_str());
        const AM_Rect editor{0, 0, 800, 600};
        vm->init(&editor);
        vm->setZoom(zoom);
        vm->onTimer(); // the first tick's refresh and repaint
        vm->onTimer();
    }
    ~OpenGui()
    {
        vm.reset();
        ControlTestAccess::reset();
    }
    NamedInterface ui;
    testsupport::TempDir dir;
    std::unique_ptr<platform::HeadlessSurface> surface;
    std::unique_ptr<AM_AGG_ViewMan> vm;
};

float zoomOf(const benchmark::State& state)
{
    return float(state.range(0));
}

void BM_OpenGuiIdleTick(benchmark::State& state)
{
    OpenGui gui(zoomOf(state));
    for (auto _ : state) {
        gui.vm->onTimer();
    }
}
BENCHMARK(BM_OpenGuiIdleTick)->Arg(1)->Arg(2);

void BM_OpenGuiKnobDragTick(benchmark::State& state)
{
    OpenGui gui(zoomOf(state));
    float value = 0.25f;
    for (auto _ : state) {
        value = value > 0.5f ? 0.25f : 0.75f;
        gui.ui.engineSets(kTune, value);
        gui.vm->onTimer();
    }
}
BENCHMARK(BM_OpenGuiKnobDragTick)->Arg(1)->Arg(2);

void BM_OpenGuiFullRepaint(benchmark::State& state)
{
    OpenGui gui(zoomOf(state));
    for (auto _ : state) {
        gui.vm->repaintAll();
    }
}
BENCHMARK(BM_OpenGuiFullRepaint)->Arg(1)->Arg(2);

} // namespace

BENCHMARK_MAIN();
