// How opening and closing a GUI grows with the size of its script: scripts
// written as a save writes them (every CONTROL line, then every PROPERTY and
// LISTENER line) with N knobs side by side, N colours, or N shapes, opened
// through the whole init with the built controls and closed again. Up to the
// reader's limits (4096 controls, colours and graphics) the cost should stay
// in proportion to N; past them the rest of a script is refused, so the cost
// stops growing.
//
//   build/release/bin/AM_OpenLargeGui_bench

#include "ControlFixture.h"
#include "TempDir.h"

#include "gui/views/AM_AGG_ViewMan.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace controltest;

// N knobs under the root, each with a colour and a listener line.
std::string flatKnobs(int64_t n)
{
    std::string controls;
    std::string properties;
    for (int64_t i = 0; i < n; ++i) {
        const std::string name = "K" + std::to_string(i);
        controls += "CONTROL type='Knob' name='" + name + "' bounds='" +
                    std::to_string(i % 200 * 4) + " " + std::to_string(i / 200 * 4) +
                    " 28 28' parent='editRootControl'\n";
        properties += "PROPERTY control='" + name + "' name='colours' id='0' value='none'\n";
        if (i > 0)
            properties += "LISTENER control='" + name + "' port='Knob Value' listento='K" +
                          std::to_string(i - 1) + "' extport='Knob Value'\n";
    }
    return controls + properties;
}

// N colours and one label that uses the last.
std::string colours(int64_t n)
{
    std::string gui;
    for (int64_t i = 0; i < n; ++i)
        gui +=
            "COLOUR name='C" + std::to_string(i) + "' rgba='" + std::to_string(100000 + i) + "'\n";
    gui += "CONTROL type='Label' name='L' bounds='0 0 80 16' parent='editRootControl'\n"
           "PROPERTY control='L' name='colours' id='0' value='C" +
           std::to_string(n - 1) + "'\n";
    return gui;
}

// N circle shapes and one label.
std::string shapes(int64_t n)
{
    std::string gui;
    for (int64_t i = 0; i < n; ++i)
        gui += "GRAPHIC name='S" + std::to_string(i) + "' path='1' type='circ'\n";
    gui += "CONTROL type='Label' name='L' bounds='0 0 80 16' parent='editRootControl'\n";
    return gui;
}

void openAndClose(benchmark::State& state, std::string (*script)(int64_t))
{
    const int64_t n = state.range(0);
    ControlTestAccess::reset();
    testsupport::TempDir dir;
    dir.writeFile("TestSynth.txt", script(n));
    NamedInterface ui;
    platform::HeadlessSurface surface(800, 600);
    for (auto _ : state) {
        AM_AGG_ViewMan vm(&ui, nullptr, nullptr, &surface);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm.setProcessDescription(&info);
        vm.setControlInstaller(&AM_installStandardControls);
        vm.setPath(kPathScripts, (dir.path() + "/").c_str());
        const AM_Rect editor{0, 0, 800, 600};
        vm.init(&editor);
        vm.onTimer();
    }
    ControlTestAccess::reset();
    state.SetComplexityN(n);
}

void BM_OpenCloseFlatKnobs(benchmark::State& state)
{
    openAndClose(state, flatKnobs);
}
BENCHMARK(BM_OpenCloseFlatKnobs)
    ->RangeMultiplier(2)
    ->Range(1024, 16384)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_OpenCloseColours(benchmark::State& state)
{
    openAndClose(state, colours);
}
BENCHMARK(BM_OpenCloseColours)
    ->RangeMultiplier(2)
    ->Range(1024, 16384)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_OpenCloseShapes(benchmark::State& state)
{
    openAndClose(state, shapes);
}
BENCHMARK(BM_OpenCloseShapes)
    ->RangeMultiplier(2)
    ->Range(1024, 16384)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

BENCHMARK_MAIN();
