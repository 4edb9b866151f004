// Any bytes as the blocks the step editor and the grid editor receive from
// the engine, bound to parameters of any size, then any sequence of
// presses, drags, releases, double clicks, menu commands (with cells of the
// grid, addresses inside and beside them, other objects or nothing as user
// data; on edit menus only the attach command), shape
// edits and paintings: nothing may read or write out of bounds, every
// coordinate drawn is a number, the views keep their invariants and every
// grid the editor sends is a whole grid.
#include "FiniteCheckingContext.h"
#include "FuzzGui.h"
#include "FuzzReader.h"
#include "FuzzViewHost.h"
#include "gui/editors/AM_EditorControls.h"
#include "gui/editors/AM_GridBlock.h"
#include "gui/editors/AM_View_GenericStep.h"
#include "gui/editors/AM_View_Grid.h"
#include "gui/editors/AM_View_ShapeView.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Shape.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace testsupport;

// Bytes for a block: a grid header now and then, then anything.
void fillBlock(FuzzReader& in, uint8_t* out, size_t bytes)
{
    size_t i = 0;
    if (bytes >= 4 && (in.byte() & 1) != 0) {
        std::memcpy(out, "DIRG", 4);
        i = 4;
    }
    in.fill(out + i, bytes - i);
}

// Step and grid parameters of several sizes, with no engine behind them.
class BlockInterface : public FuzzViewHost {
public:
    enum : int32_t {
        kSteps64,
        kSteps512,
        kSteps1024,
        kStepsTiny,
        kCountTable,
        kCount128,
        kStepMode,
        kPlaying,
        kGrid,
        kGridBig,
        kGridTiny,
        kCount
    };
    static constexpr int32_t kFirstGrid = kGrid;

    BlockInterface() : FuzzViewHost(BadWrites::ignore)
    {
        for (const char* name : {"Seq", "Osc1", "Osc2", "Filt", "Amp"})
            addModule(name, 0);
        addParameter(AM_makeParamInfo(0, "Steps", "Steps", 0x104, 0, 64, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Steps5", "Steps", 0x104, 0, 512, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Steps1", "Steps", 0x104, 0, 1024, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "StepsT", "Steps", 0x104, 0, 3, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Count", "Count", k_kindInteger, 0, 17, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Count1", "Count", k_kindInteger, 1, 128, 16, 0, 0));
        addParameter(AM_makeParamInfo(0, "Mode", "Mode", k_kindInteger, 0, 3, 2, 0, 0));
        addParameter(AM_makeParamInfo(0, "Playing", "Playing", k_meter, 0, 15, 0, 0, 0));
        addParameter(
            AM_makeParamInfo(0, "Grid", "Grid", 0x504, 0, float(AM_GridBlock::kBytes), 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "GridB", "Grid", 0x504, 0, 1024, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "GridT", "Grid", 0x504, 0, 8, 0, 0, 0));
    }
};

void checkGrid(const AM_GridBlock& grid)
{
    fuzzCheck(grid.columns() >= 1 && grid.columns() <= AM_GridBlock::kMaxColumns);
    fuzzCheck(grid.rows() >= 1 && grid.rows() <= AM_GridBlock::kMaxRows);
    for (int cell = 0; cell < AM_GridBlock::kCells; ++cell)
        fuzzCheck(strnlen(grid.name(cell), AM_GridBlock::kNameBytes) <
                  size_t(AM_GridBlock::kNameBytes));
}

// A grid the editor sent: the magic and counts in range.
void checkSent(const BlockInterface& host)
{
    for (int32_t p = BlockInterface::kGrid; p <= BlockInterface::kGridBig; ++p) {
        if (!host.sentByEditor(p))
            continue;
        const std::vector<uint8_t>& b = host.block(p);
        fuzzCheck(AM_GridBlock::hasMagic(b.data(), b.size()));
        int32_t columns = 0, rows = 0;
        std::memcpy(&columns, b.data() + 4, 4);
        std::memcpy(&rows, b.data() + 8, 4);
        fuzzCheck(columns >= 1 && columns <= AM_GridBlock::kMaxColumns);
        fuzzCheck(rows >= 1 && rows <= AM_GridBlock::kMaxRows);
    }
}

void checkSteps(const AM_View_GenericStep& step)
{
    fuzzCheck(step.stepCount() >= 1 && step.stepCount() <= AM_View_GenericStep::kMaxSteps);
    for (int s = 0; s < AM_View_GenericStep::kMaxSteps; ++s)
        fuzzCheck(step.step(s) >= -1.0f && step.step(s) <= 1.0f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    beginFuzzRun();
    AM_View_GenericStep::resetProcessState();

    FuzzReader in(data, size);
    BlockInterface host;
    {
        auto vm = makeFuzzViewMan(&host);
        AM_installEditorControls(vm.get());

        const AM_Rect stepBounds{0, 0, 132, 68};
        const AM_Rect gridBounds{0, 72, 200, 100};
        const AM_Rect shapeBounds{0, 176, 300, 100};
        auto* step =
            dynamic_cast<AM_View_GenericStep*>(vm->createControl("GenericStep", &stepBounds));
        auto* grid = dynamic_cast<AM_View_Grid*>(vm->createControl("Grid", &gridBounds));
        auto* shapes =
            dynamic_cast<AM_View_ShapeView*>(vm->createControl("ShapeEditView", &shapeBounds));
        fuzzCheck(step != nullptr && grid != nullptr && shapes != nullptr);
        AM_ViewControl* controls[] = {step, grid, shapes};
        for (AM_ViewControl* c : controls)
            showFuzzControl(*vm, c);
        auto* shape = new AM_ShapeCirc(vm.get(), 0);
        vm->addGraphic(shape);
        auto* colour = new AM_Colour(vm.get(), "Fuzz", 0xFF8000FF);
        vm->addColour(colour);
        // The step editor's ports and the grid's rack (another control).
        step->setPortParameter(
            AM_View_GenericStep::kSteps,
            host.getParameterInfo(BlockInterface::kSteps64 + in.byte() % 4, false));
        step->setPortParameter(
            AM_View_GenericStep::kNumSteps,
            host.getParameterInfo(BlockInterface::kCountTable + in.byte() % 2, false));
        step->setPortParameter(AM_View_GenericStep::kStepMode,
                               host.getParameterInfo(BlockInterface::kStepMode, false));
        step->setPortParameter(AM_View_GenericStep::kMeter,
                               host.getParameterInfo(BlockInterface::kPlaying, false));
        grid->setPortParameter(AM_View_Grid::kGridPort,
                               host.getParameterInfo(BlockInterface::kGrid + in.byte() % 3, false));
        grid->setProperty("clientRack", 1, step->getName());
        FiniteCheckingContext context;

        for (int n = 0; n < 200 && !in.done(); ++n) {
            const uint8_t op = in.byte();
            AM_ViewControl* target = controls[op % 3];
            const uint32_t buttons = in.byte() & 0xF;
            switch ((op >> 2) % 9) {
            case 0:
            case 1:
                host.engineSets(
                    in.byte() % BlockInterface::kCount,
                    [&in](uint8_t* bytes, size_t count) { fillBlock(in, bytes, count); });
                break;
            case 2:
            case 3:
                fuzzPressDragRelease(in, target, buttons);
                break;
            case 4:
                fuzzDoubleClick(in, target, buttons);
                break;
            case 5: {
                AM_MenuItem item;
                const uint32_t codes[] = {5, 16, 17, 18};
                item.command = uint32_t(in.byte()) << 16 | codes[in.byte() % 4];
                const auto* cells = static_cast<const uint8_t*>(grid->block().cellAddress(0));
                switch (in.byte() % 6) {
                case 0:
                    item.userData = nullptr;
                    break;
                case 1:
                    item.userData = const_cast<uint8_t*>(cells + in.byte() % 64 * 12);
                    break;
                case 2:
                    item.userData = const_cast<uint8_t*>(cells + in.byte() % 64 * 12 + 1);
                    break;
                case 3:
                    item.userData = shape;
                    break;
                case 4:
                    item.userData = colour;
                    break;
                default:
                    item.userData = step;
                    break;
                }
                // Edit menus only attach: the base's other edit commands
                // take their data as what their own menus put there.
                const uint32_t menu = in.byte() & 1 ? 0u : 0x7FFFFFFFu;
                if (menu != 0)
                    item.command = AM_menuCommand(AM_menuSubIndex(item.command), 16);
                target->handleMenuCommand(nullptr, menu, true, &item);
                break;
            }
            case 6: {
                const float v = in.coordinate();
                shapes->listenerValueChanged(in.byte() % 4, &v);
                break;
            }
            case 7: {
                std::vector<uint8_t> raw(AM_GridBlock::kBytes);
                fillBlock(in, raw.data(), raw.size());
                grid->setParameterValue(AM_View_Grid::kGridPort, raw.data());
                break;
            }
            default:
                for (AM_ViewControl* c : controls)
                    c->draw(&context);
                break;
            }
            checkGrid(grid->block());
            checkSent(host);
            checkSteps(*step);
        }
        for (AM_ViewControl* c : controls)
            c->draw(&context);
        checkGrid(grid->block());
        checkSent(host);
        checkSteps(*step);
    }
    return 0;
}
