#pragma once
// The graphical editors on a GUI-to-engine interface that keeps the blocks
// they edit, with no engine:
//   "Osc"  (module 0): "Curve" point block (0x204, 8196 bytes), "Waves"
//                      value block (0x404, 8192 bytes), "Select" 1..16
//                      (a minimum that is not 0), "Mode" integer 0..3
//   "MSEG" (module 1): "Env1".."Env4" envelope blocks (0x504, 560 bytes),
//                      "Phase1".."Phase4" display values 0..128
// Writes and the host's edit brackets are recorded; a write is announced to
// the ports as the engine would. A menu-recording view manager answers a
// menu with the item of a chosen command.

#include "../views/ParameterTable.h"
#include "../views/ViewManFixture.h"

#include "GuiTestKit.h"
#include "engine/module/AM_ModuleRecord.h"
#include "gui/editors/AM_EditorControls.h"
#include "gui/editors/AM_EnvelopeBlock.h"
#include "gui/editors/AM_View_EQBase.h"
#include "gui/editors/AM_View_GenericStep.h"
#include "gui/editors/AM_View_MultiStage.h"
#include "gui/editors/AM_View_Multipoint.h"
#include "gui/editors/AM_WaveValueBlock.h"
#include "gui/editors/AM_WavesetBlock.h"
#include "gui/editors/AM_WaveRender.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "gui/views/AM_UndoList.h"
#include "gui/views/AM_ViewControl.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace editortest {

using namespace viewtest;

enum EditorParameter : int32_t {
    kCurve = 0,
    kWaves = 1,
    kSelect = 2,
    kMode = 3,
    kEnv1 = 4,
    kPhase1 = 8,
    kEditorParameters = 12,
};
constexpr float kSelectMinimum = 1.0f;

class BlockInterface : public ParameterTable {
public:
    BlockInterface()
    {
        // Ports keep pointers to the records: never reallocated.
        reserve(256);
        addModule("Osc", "Oscillator", 0);
        addModule("MSEG", "Envelopes", 1);
        add(AM_makeParamInfo(0, "Curve", "Wave Points", 0x204, 0, float(AM_WavesetBlock::kBytes),
                             0, 0, 0),
            0);
        add(AM_makeParamInfo(0, "Waves", "Wave Values", 0x404,
                             0, float(AM_WaveValueBlock::kBytes), 0, 0, 0),
            0);
        add(AM_makeParamInfo(0, "Select", "Wave Select", k_kindFloat, kSelectMinimum, 16, 1, 0, 0),
            0);
        add(AM_makeParamInfo(0, "Mode", "Wave Mode", k_kindInteger, 0, 3, 0, 0, 0), 0);
        for (int e = 1; e <= 4; ++e) {
            const std::string name = "Env" + std::to_string(e);
            add(AM_makeParamInfo(0, name.c_str(), name.c_str(), 0x504, 0,
                                 float(AM_EnvelopeBlock::kBytes), 0, 0, 0),
                1);
        }
        for (int e = 1; e <= 4; ++e) {
            const std::string name = "Phase" + std::to_string(e);
            add(AM_makeParamInfo(0, name.c_str(), name.c_str(), k_meter, 0, 128, 0, 0, 0), 1);
        }
        eq4First = addEqualiser(4);
        eq6First = addEqualiser(6);
        addSequencer();
    }

    // The equalisers "EQ4" and "EQ6": settings (frequency default 50, gain
    // 0, width 10, output gain 0), the same as meters, and "Mode" 0..4.
    int32_t eq4First = -1;
    int32_t eq6First = -1;
    // The step sequencer "Seq": step blocks of 64 (16 steps), 512 and 1024
    // bytes; step counts with maxima 17, 16 and 32; the step mode 0..3; the
    // playing step 0..15 and the wave meters (mode 0..1, value -1..1).
    enum SeqParameter : int32_t {
        kSteps16 = 0,
        kSteps128,
        kStepsHuge,
        kCountTable,
        kCount16,
        kCount32,
        kStepMode,
        kPlaying,
        kWaveMode,
        kWaveValue,
        kSeqParameters
    };
    int32_t seqFirst = -1;
    int32_t seq(SeqParameter p) const { return seqFirst + p; }

    // The engine sets a block by itself (a preset, the player).
    void engineSetsBlock(int32_t index, const void* bytes)
    {
        seed(index, bytes);
        parameterChanged(index, storage(index).data(), false);
    }
    // The stored value without an announcement (before a port binds).
    void seed(int32_t index, const void* bytes)
    {
        std::vector<uint8_t>& stored = storage(index);
        std::memcpy(stored.data(), bytes, stored.size());
    }
    int writesOf(int32_t index) const
    {
        return int(std::count(writes.begin(), writes.end(), index));
    }

    // Adds a parameter of the module (made when new); answers its index.
    int32_t addParameter(const char* moduleName, AM_ParamInfo info)
    {
        int32_t module = -1;
        for (const AM_ModuleRecord& record : moduleTable())
            if (std::strcmp(record.shortName, moduleName) == 0)
                module = int32_t(record.moduleIndex);
        if (module < 0) {
            module = int32_t(moduleTable().size());
            addModule(moduleName, moduleName, uint32_t(module));
        }
        return add(info, module);
    }

private:
    int32_t addEqualiser(int bands)
    {
        const std::string module = "EQ" + std::to_string(bands);
        int32_t first = -1;
        for (int pass = 0; pass < 2; ++pass) {
            const uint32_t kind = pass == 0 ? k_kindFloat : k_meter;
            for (int p = 0; p < 3 * bands + 1; ++p) {
                float lo = 0, hi = 100, def = 50;
                if (p >= bands && p < 2 * bands) {
                    lo = -24, hi = 24, def = 0;
                } else if (p >= 2 * bands && p < 3 * bands) {
                    def = 10;
                } else if (p == 3 * bands) {
                    lo = -36, hi = 36, def = 0;
                }
                const std::string name = "P" + std::to_string(pass) + "_" + std::to_string(p);
                const int32_t index = addParameter(
                    module.c_str(),
                    AM_makeParamInfo(0, name.c_str(), name.c_str(), kind, lo, hi, def, 0, 0));
                if (first < 0)
                    first = index;
            }
        }
        addParameter(module.c_str(),
                     AM_makeParamInfo(0, "Mode", "EQ Mode", k_kindInteger, 0, 4, 0, 0, 0));
        return first;
    }
    void addSequencer()
    {
        const char* m = "Seq";
        seqFirst = addParameter(m, AM_makeParamInfo(0, "Steps", "Steps", 0x104, 0, 64, 0, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "Steps128", "Steps 128", 0x104, 0, 512, 0, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "StepsHuge", "Steps Huge", 0x104, 0, 1024, 0, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "Count", "Count", k_kindInteger, 0, 17, 0, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "Count16", "Count 16", k_kindInteger, 1, 16, 16, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "Count32", "Count 32", k_kindInteger, 1, 32, 16, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "StepMode", "Step Mode", k_kindInteger, 0, 3, 2, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "Playing", "Playing", k_meter, 0, 15, 0, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "WaveMode", "Wave Mode", k_meter, 0, 1, 0, 0, 0));
        addParameter(m, AM_makeParamInfo(0, "WaveVal", "Wave Value", k_meter, -1, 1, 0, 0, 0));
    }
};

// A view manager that records the menus controls show and answers with the
// item of a chosen command (0: nothing chosen), handed to the control that
// opened the menu as the editor does.
class MenuViewMan : public MenuRecordingViewMan {
public:
    using MenuRecordingViewMan::MenuRecordingViewMan;
    bool showMenu() override
    {
        const uint32_t chosen = chooseFromMenu();
        if (chosen != 0) {
            deliverMenuCommand(chosen);
        }
        return false;
    }
    // The index of the item whose command is the answer (0: none).
    uint32_t chooseFromMenu()
    {
        ++menusShown;
        const AM_MenuTable& table = getMenuTable();
        for (uint32_t i = 1; answer != 0 && i <= table.itemCount(); ++i) {
            if (table.item(i)->command == static_cast<uint32_t>(answer)) {
                return i;
            }
        }
        return 0;
    }
    bool hasItem(const std::string& text) const
    {
        return std::any_of(items.begin(), items.end(),
                           [&](const Item& item) { return item.text == text; });
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const Item& item : items)
            out.push_back(item.text);
        return out;
    }
};

// Buttons of the mouse routines.
constexpr uint32_t kShiftKey = 1;
constexpr uint32_t kRightButton = 2;
constexpr uint32_t kControlKey = 4;
constexpr uint32_t kAltKey = 8;

class EditorTest : public ::testing::Test {
protected:
    EditorTest()
    {
        resetAll();
        vm = std::make_unique<MenuViewMan>(&interface, nullptr, nullptr);
        openTestSynth(*vm);
        AM_installEditorControls(vm.get());
    }
    ~EditorTest() override
    {
        vm.reset();
        resetAll();
    }
    static void resetAll()
    {
        // The pinned font of the reference pictures.
        AM_FontSettings::reset();
        const std::string font = KK_VERA_TTF;
        AM_FontSettings::setFolder(font.substr(0, font.rfind('/') + 1).c_str());
        resetViewProcessState();
        AM_View_Multipoint::resetClipboard();
        AM_View_MultiStage::resetClipboard();
        AM_View_EQBase::resetClipboards();
        AM_View_GenericStep::resetProcessState();
        resetSharedWaveTable();
    }

    // Writes the tree (control lines, then property lines), reads it into a
    // fresh GUI (the old one goes away) and answers what was written.
    std::string writeAndReload()
    {
        std::string written;
        if (AM_ViewControl* top = vm->getTopControl()) {
            top->writeControlTree(&written);
            top->writePropertyTree(&written);
        }
        vm.reset();
        vm = std::make_unique<MenuViewMan>(&interface, nullptr, nullptr);
        openTestSynth(*vm);
        AM_installEditorControls(vm.get());
        vm->parseScript(written.c_str(), static_cast<int32_t>(written.size()), true);
        return written;
    }
    // The first control of the tree of that class, or null.
    template <class T> T* find() const
    {
        for (AM_ViewControl* c = vm->getTopControl(); c != nullptr; c = c->getNextControl()) {
            if (T* found = dynamic_cast<T*>(c))
                return found;
            for (AM_ViewControl* child = c->getFirstChildControl(); child != nullptr;
                 child = child->getNextControl()) {
                if (T* found = dynamic_cast<T*>(child))
                    return found;
            }
        }
        return nullptr;
    }

    // A control of the type at the top of the tree, visible, in run mode.
    template <class T> T* make(const char* type, AM_Rect bounds)
    {
        AM_ViewControl* control = vm->createControl(type, &bounds);
        vm->registerControl(control, nullptr);
        control->setVisible(true, kAllLayers, false);
        control->setEditMode(false);
        return dynamic_cast<T*>(control);
    }

    // A press, drags through the points and the release, as the view
    // manager routes them (one host edit and one undo group).
    void gesture(AM_ViewControl* c, std::vector<std::pair<float, float>> path, uint32_t buttons)
    {
        const float down[2] = {path.front().first, path.front().second};
        if (!c->handleMouseDown(down, buttons, 0))
            return;
        for (size_t i = 1; i < path.size(); ++i) {
            const float p[2] = {path[i].first, path[i].second};
            c->handleMouseDrag(p, buttons, 0);
        }
        const float up[2] = {path.back().first, path.back().second};
        c->handleMouseUp(up, buttons, 0);
    }
    void click(AM_ViewControl* c, float x, float y, uint32_t buttons)
    {
        gesture(c, {{x, y}}, buttons);
    }

    // Paints the control into a canvas and compares it with the reference
    // picture `name`_z1 / _z2.
    std::string paint(AM_ViewControl* top, float width, float height, const std::string& name,
                      float zoom)
    {
        testsupport::HeadlessCanvas canvas(width, height, zoom);
        canvas.begin();
        const AM_Rect clip{0, 0, width, height};
        top->paintTree(&canvas.context(), &clip);
        return canvas.compare(name + "_z" + std::to_string(int(zoom)), 1);
    }

    // A colour owned by the view manager.
    AM_Colour* colour(const char* name, uint32_t rgba)
    {
        auto* made = new AM_Colour(vm.get(), name, rgba);
        vm->addColour(made);
        return made;
    }

    // Undo groups recorded so far.
    int undoGroups() const { return vm->getUndoList().groupCount(); }

    BlockInterface interface;
    std::unique_ptr<MenuViewMan> vm;
};

} // namespace editortest
