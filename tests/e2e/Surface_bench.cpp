// The cost of the instrument's own surface in its editor: a full repaint at
// zooms 1 and 2, one tick of a knob drag (the drag step, the parameter sent
// to the engine, the repaint of what it changed), an idle tick with nothing
// changed, and an idle tick while notes play (the LFO meters move: a tick
// repaints them and nothing else). The plug-in comes from the module's entry with the real
// editor over a headless window; its data folder is a copy of the project's.
//
//   build/release/bin/Surface_bench

#include "TempDir.h"
#include "editor/AM_EditorViewMan.h"
#include "editor/AM_EditorWindowOpener.h"
#include "editor/AM_VST_Editor.h"
#include "foundation/AM_DataFolder.h"
#include "gui/views/AM_ViewControl.h"
#include "platform/HeadlessEditorWindow.h"
#include "platform/Module.h"
#include "plugin/AM_VST_Edit.h"
#include "plugin/vst/PluginEntry.h"
#include "plugin/vst/VstEvents.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kSampleRate = 44100.0f;
constexpr int kBlock = 256;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterCanDo)
        return ptr != nullptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0;
    return opcode == audioMasterSizeWindow || opcode == audioMasterAutomate ||
                   opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit
               ? 1
               : 0;
}

std::unique_ptr<platform::EditorWindow> openHeadless(uintptr_t, int width, int height)
{
    return std::make_unique<platform::HeadlessEditorWindow>(width, height);
}

// The plug-in with its editor open over a headless window at a zoom.
class OpenSurface {
public:
    explicit OpenSurface(float zoom)
    {
        namespace fs = std::filesystem;
        const std::string data = dir_.file("KestanK4.data");
        fs::copy(KK_BUILD_DATA, data, fs::copy_options::recursive);
        fs::create_directories(data + "/Fonts");
        fs::copy_file(KK_VERA_TTF, data + "/Fonts/Vera.ttf", fs::copy_options::overwrite_existing);
        if (!fs::exists(data + "/Scripts/KestanK4.txt")) {
            fs::create_directories(data + "/Scripts");
            fs::copy_file(KK_STAND_IN_SURFACE, data + "/Scripts/KestanK4.txt");
        }
        platform::overrideModulePath(dir_.file("KestanK4.so").c_str());
        resetDataFolderSearch();
        AM_VST_setEditorFactory(&AM_VST_Editor::create);
        AM_setEditorWindowOpener(&openHeadless);
        effect_ = vst::createPluginEffect(hostCallback, createEffectInstance);
        if (effect_ == nullptr)
            return;
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRate);
        dispatch(effSetBlockSize, 0, kBlock);
        dispatch(effMainsChanged, 0, 1);
        static int parent = 0;
        dispatch(effEditOpen, 0, 0, &parent);
        auto* editor = static_cast<AM_VST_Editor*>(
            static_cast<AM_VST_Edit*>(effect_->object)->getEditorSeam());
        vm_ = editor != nullptr ? editor->getViewManager() : nullptr;
        if (vm_ == nullptr)
            return;
        vm_->setZoom(zoom);
        for (int i = 0; i < 4; ++i)
            dispatch(effEditIdle);
    }
    ~OpenSurface()
    {
        if (effect_ != nullptr) {
            dispatch(effEditClose);
            dispatch(effClose);
        }
        AM_setEditorWindowOpener(nullptr);
        AM_VST_setEditorFactory(nullptr);
        platform::overrideModulePath(nullptr);
    }
    OpenSurface(const OpenSurface&) = delete;
    OpenSurface& operator=(const OpenSurface&) = delete;

    bool ready() const { return vm_ != nullptr; }
    AM_EditorViewMan& vm() { return *vm_; }
    void idle() { dispatch(effEditIdle); }

    // Note ons at velocity 100, delivered with the next process call.
    void holdNotes(std::initializer_list<int> keys)
    {
        midi_.clear();
        for (const int key : keys) {
            VstMidiEvent e{};
            e.type = kVstMidiType;
            e.byteSize = sizeof(VstMidiEvent);
            e.midiData[0] = 0x90;
            e.midiData[1] = static_cast<unsigned char>(key);
            e.midiData[2] = 100;
            midi_.push_back(e);
        }
        std::vector<uint64_t> storage((vstEventsBytes(midi_.size()) + 7) / 8);
        auto* events = reinterpret_cast<VstEvents*>(storage.data());
        events->numEvents = VstInt32(midi_.size());
        for (size_t i = 0; i < midi_.size(); ++i)
            vstEventList(events)[i] = reinterpret_cast<VstEvent*>(&midi_[i]);
        dispatch(effProcessEvents, 0, 0, events);
    }
    // The audio of `frames` samples (in blocks of kBlock).
    void render(int frames)
    {
        std::vector<float> left(kBlock), right(kBlock), silence(kBlock);
        float* inputs[] = {silence.data(), silence.data()};
        float* outputs[] = {left.data(), right.data()};
        for (int done = 0; done < frames; done += kBlock)
            effect_->processReplacing(effect_, inputs, outputs, std::min(kBlock, frames - done));
    }

    // The first knob of the GUI bound to a parameter.
    AM_ViewControl* boundKnob()
    {
        std::function<AM_ViewControl*(AM_ViewControl*)> walk = [&](AM_ViewControl* c) {
            for (; c != nullptr; c = c->getNextControl()) {
                const AM_PortRecord* port = c->getNumPorts() > 0 ? c->getPort(0) : nullptr;
                if (std::strcmp(c->getTypeName(), "Knob") == 0 && port != nullptr &&
                    port->parameter != nullptr && c->isVisible())
                    return c;
                if (AM_ViewControl* found = walk(c->getFirstChildControl()))
                    return found;
            }
            return static_cast<AM_ViewControl*>(nullptr);
        };
        return vm_->getRootView() != nullptr ? walk(vm_->getRootView()->getFirstChildControl())
                                             : nullptr;
    }

private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }

    testsupport::TempDir dir_;
    AEffect* effect_ = nullptr;
    std::vector<VstMidiEvent> midi_;
    AM_EditorViewMan* vm_ = nullptr;
};

float zoomOf(const benchmark::State& state)
{
    return float(state.range(0));
}

void BM_SurfaceFullRepaint(benchmark::State& state)
{
    OpenSurface surface(zoomOf(state));
    if (!surface.ready()) {
        state.SkipWithError("the editor did not open");
        return;
    }
    for (auto _ : state)
        surface.vm().repaintAll();
}
BENCHMARK(BM_SurfaceFullRepaint)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_SurfaceKnobDragTick(benchmark::State& state)
{
    const float zoom = zoomOf(state);
    OpenSurface surface(zoom);
    AM_ViewControl* knob = surface.ready() ? surface.boundKnob() : nullptr;
    if (knob == nullptr) {
        state.SkipWithError("no knob bound to a parameter");
        return;
    }
    const AM_Rect b = knob->getBounds();
    const float x = (b.x + b.w / 2) * zoom;
    const float y = (b.y + b.h / 2) * zoom;
    surface.vm().handleMouseDown(x, y, 0);
    int step = 0;
    for (auto _ : state) {
        // Up and down by a few pixels: the value keeps changing.
        const float dy = float((step++ % 8) < 4 ? -(step % 4) : (step % 4)) * 3.0f;
        surface.vm().handleMouseDrag(x, y + dy, 0);
        surface.idle();
    }
    surface.vm().handleMouseUp(x, y, 0);
}
BENCHMARK(BM_SurfaceKnobDragTick)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_SurfaceIdleTick(benchmark::State& state)
{
    OpenSurface surface(zoomOf(state));
    if (!surface.ready()) {
        state.SkipWithError("the editor did not open");
        return;
    }
    for (int i = 0; i < 200; ++i)
        surface.idle();
    for (auto _ : state)
        surface.idle();
}
BENCHMARK(BM_SurfaceIdleTick)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// An idle tick at 60 Hz while a chord plays: between ticks (not timed) the
// engine renders a tick's audio, so both LFO meters move and each tick
// repaints them.
void BM_SurfaceMeterTick(benchmark::State& state)
{
    OpenSurface surface(zoomOf(state));
    if (!surface.ready()) {
        state.SkipWithError("the editor did not open");
        return;
    }
    constexpr int kTickFrames = int(kSampleRate) / 60;
    surface.holdNotes({48, 55, 60, 64});
    for (int i = 0; i < 60; ++i) {
        surface.render(kTickFrames);
        surface.idle();
    }
    for (auto _ : state) {
        state.PauseTiming();
        surface.render(kTickFrames);
        state.ResumeTiming();
        surface.idle();
    }
}
BENCHMARK(BM_SurfaceMeterTick)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
