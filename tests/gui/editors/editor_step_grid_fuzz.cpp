// Any bytes as the blocks the step editor and the grid editor receive from
// the engine, bound to parameters of any size, then any sequence of
// presses, drags, releases, double clicks, menu commands (with cells of the
// grid, addresses inside and beside them, other objects or nothing as user
// data; on edit menus only the attach command), shape
// edits and paintings: nothing may read or write out of bounds, every
// coordinate drawn is a number, the views keep their invariants and every
// grid the editor sends is a whole grid.
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_PluginInfo.h"
#include "gui/editors/AM_EditorControls.h"
#include "gui/editors/AM_GridBlock.h"
#include "gui/editors/AM_View_GenericStep.h"
#include "gui/editors/AM_View_Grid.h"
#include "gui/editors/AM_View_ShapeView.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Shape.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void checkAt(bool condition, int line)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken at line %d\n", line);
        std::abort();
    }
}
#define check(condition) checkAt((condition), __LINE__)

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    // A position in and around the views, now and then any bits.
    float coordinate()
    {
        const uint8_t kind = byte();
        if (kind < 8) {
            uint32_t bits = 0;
            for (int i = 0; i < 4; ++i)
                bits = bits << 8 | byte();
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        return float(int16_t(byte() << 8 | byte())) / 64.0f;
    }
    // Bytes for a block: a grid header now and then, then anything.
    void fill(uint8_t* out, size_t bytes)
    {
        size_t i = 0;
        if (bytes >= 4 && (byte() & 1) != 0) {
            std::memcpy(out, "DIRG", 4);
            i = 4;
        }
        for (; i < bytes; ++i)
            out[i] = byte();
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A drawing context that only checks what it is given.
class CheckingContext : public AM_Context {
public:
    void drawPolyline(const float points[], int count, float width, bool) override
    {
        check(count >= 0 && std::isfinite(width));
        for (int i = 0; i < 2 * count; ++i)
            check(std::isfinite(points[i]));
    }
    void fillPolygon(const float points[], int count) override { drawPolyline(points, count, 1, true); }
    void drawLine(const float p0[2], const float p1[2], float width) override
    {
        const float points[] = {p0[0], p0[1], p1[0], p1[1]};
        drawPolyline(points, 2, width, false);
    }
    void fillRect(const AM_Rect* r) override
    {
        check(std::isfinite(r->x) && std::isfinite(r->y) && std::isfinite(r->w) &&
              std::isfinite(r->h));
    }
};

// Step and grid parameters of several sizes, with no engine behind them.
class BlockInterface : public AM_View_Interface {
public:
    enum : int32_t {
        kSteps64, kSteps512, kSteps1024, kStepsTiny, kCountTable, kCount128, kStepMode, kPlaying,
        kGrid, kGridBig, kGridTiny, kCount
    };
    static constexpr int32_t kFirstGrid = kGrid;

    BlockInterface()
    {
        for (const char* name : {"Seq", "Osc1", "Osc2", "Filt", "Amp"}) {
            AM_ModuleRecord record{};
            std::strncpy(record.shortName, name, sizeof record.shortName - 1);
            record.moduleIndex = uint32_t(moduleTable().size());
            moduleTable().push_back(record);
        }
        add(AM_makeParamInfo(0, "Steps", "Steps", 0x104, 0, 64, 0, 0, 0));
        add(AM_makeParamInfo(0, "Steps5", "Steps", 0x104, 0, 512, 0, 0, 0));
        add(AM_makeParamInfo(0, "Steps1", "Steps", 0x104, 0, 1024, 0, 0, 0));
        add(AM_makeParamInfo(0, "StepsT", "Steps", 0x104, 0, 3, 0, 0, 0));
        add(AM_makeParamInfo(0, "Count", "Count", k_kindInteger, 0, 17, 0, 0, 0));
        add(AM_makeParamInfo(0, "Count1", "Count", k_kindInteger, 1, 128, 16, 0, 0));
        add(AM_makeParamInfo(0, "Mode", "Mode", k_kindInteger, 0, 3, 2, 0, 0));
        add(AM_makeParamInfo(0, "Playing", "Playing", k_meter, 0, 15, 0, 0, 0));
        add(AM_makeParamInfo(0, "Grid", "Grid", 0x504, 0, float(AM_GridBlock::kBytes), 0, 0, 0));
        add(AM_makeParamInfo(0, "GridB", "Grid", 0x504, 0, 1024, 0, 0, 0));
        add(AM_makeParamInfo(0, "GridT", "Grid", 0x504, 0, 8, 0, 0, 0));
    }
    int32_t getNumParameters() override { return int32_t(params_.size()); }
    AM_ParamInfo* getParameterInfo(int32_t index, bool) override
    {
        return index >= 0 && index < getNumParameters() ? &params_[size_t(index)] : nullptr;
    }
    int32_t getNumModules() override { return int32_t(moduleTable().size()); }
    const void* getParameterValue(int32_t index) override
    {
        return index >= 0 && index < getNumParameters() ? values_[size_t(index)].data() : nullptr;
    }
    void setParameterValue(int32_t index, const void* value) override
    {
        if (index < 0 || index >= getNumParameters() || value == nullptr)
            return;
        std::vector<uint8_t>& storage = values_[size_t(index)];
        std::memcpy(storage.data(), value, storage.size());
        fromEditor_[size_t(index)] = true;
        parameterChanged(index, storage.data(), false);
    }
    void engineSets(int32_t index, Reader& in)
    {
        std::vector<uint8_t>& storage = values_[size_t(index)];
        in.fill(storage.data(), storage.size());
        fromEditor_[size_t(index)] = false;
        parameterChanged(index, storage.data(), false);
    }
    bool sentByEditor(int32_t index) const { return fromEditor_[size_t(index)]; }
    const std::vector<uint8_t>& block(int32_t index) const { return values_[size_t(index)]; }

    void sizeWindow(int32_t, int32_t) override {}
    void selectModule(const char*) override {}
    void midiLearn(const AM_ParamInfo*, AM_PortOwner*) override {}
    void nativePresetChanged(const char*) override {}
    std::vector<uint8_t> getFxpProgram() override { return {}; }
    std::vector<uint8_t> getStateInfo(const char*) override { return {}; }
    bool setStateInfo(const void*, uint32_t, const char*) override { return false; }

private:
    void add(AM_ParamInfo info)
    {
        info.index = uint32_t(params_.size());
        info.moduleIndex = 0;
        params_.push_back(info);
        values_.emplace_back(info.kind() == k_kindData ? size_t(info.max) : 4, 0);
        fromEditor_.push_back(false);
    }
    std::vector<AM_ParamInfo> params_;
    std::vector<std::vector<uint8_t>> values_;
    std::vector<bool> fromEditor_;
};

void checkGrid(const AM_GridBlock& grid)
{
    check(grid.columns() >= 1 && grid.columns() <= AM_GridBlock::kMaxColumns);
    check(grid.rows() >= 1 && grid.rows() <= AM_GridBlock::kMaxRows);
    for (int cell = 0; cell < AM_GridBlock::kCells; ++cell)
        check(strnlen(grid.name(cell), AM_GridBlock::kNameBytes) < size_t(AM_GridBlock::kNameBytes));
}

// A grid the editor sent: the magic and counts in range.
void checkSent(const BlockInterface& host)
{
    for (int32_t p = BlockInterface::kGrid; p <= BlockInterface::kGridBig; ++p) {
        if (!host.sentByEditor(p))
            continue;
        const std::vector<uint8_t>& b = host.block(p);
        check(AM_GridBlock::hasMagic(b.data(), b.size()));
        int32_t columns = 0, rows = 0;
        std::memcpy(&columns, b.data() + 4, 4);
        std::memcpy(&rows, b.data() + 8, 4);
        check(columns >= 1 && columns <= AM_GridBlock::kMaxColumns);
        check(rows >= 1 && rows <= AM_GridBlock::kMaxRows);
    }
}

void checkSteps(const AM_View_GenericStep& step)
{
    check(step.stepCount() >= 1 && step.stepCount() <= AM_View_GenericStep::kMaxSteps);
    for (int s = 0; s < AM_View_GenericStep::kMaxSteps; ++s)
        check(step.step(s) >= -1.0f && step.step(s) <= 1.0f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::setTraceSink([](void*, const char*) {}, nullptr);
    platform::setStandardOutputSink([](void*, const char*) {}, nullptr);
    AM_ViewMan::resetProcessState();
    AM_View_Interface::resetProcessState();
    AM_PlaceholderControl::resetAnnouncements();
    AM_Colour::resetColourCounter();
    AM_View_GenericStep::resetProcessState();

    Reader in(data, size);
    BlockInterface host;
    {
        auto vm = std::make_unique<AM_ViewMan>(&host, nullptr, nullptr);
        AM_PluginInfo info{};
        std::strncpy(info.effectName, "Fuzz", sizeof info.effectName - 1);
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installEditorControls(vm.get());

        const AM_Rect stepBounds{0, 0, 132, 68};
        const AM_Rect gridBounds{0, 72, 200, 100};
        const AM_Rect shapeBounds{0, 176, 300, 100};
        auto* step = dynamic_cast<AM_View_GenericStep*>(vm->createControl("GenericStep", &stepBounds));
        auto* grid = dynamic_cast<AM_View_Grid*>(vm->createControl("Grid", &gridBounds));
        auto* shapes = dynamic_cast<AM_View_ShapeView*>(vm->createControl("ShapeEditView", &shapeBounds));
        check(step != nullptr && grid != nullptr && shapes != nullptr);
        AM_ViewControl* controls[] = {step, grid, shapes};
        for (AM_ViewControl* c : controls) {
            vm->registerControl(c, nullptr);
            c->setVisible(true, 0xFFFFFFFFu, false);
            c->setEditMode(false);
        }
        auto* shape = new AM_ShapeCirc(vm.get(), 0);
        vm->addGraphic(shape);
        auto* colour = new AM_Colour(vm.get(), "Fuzz", 0xFF8000FF);
        vm->addColour(colour);
        // The step editor's ports and the grid's rack (another control).
        step->setPortParameter(AM_View_GenericStep::kSteps,
                               host.getParameterInfo(BlockInterface::kSteps64 + in.byte() % 4, false));
        step->setPortParameter(AM_View_GenericStep::kNumSteps,
                               host.getParameterInfo(BlockInterface::kCountTable + in.byte() % 2, false));
        step->setPortParameter(AM_View_GenericStep::kStepMode,
                               host.getParameterInfo(BlockInterface::kStepMode, false));
        step->setPortParameter(AM_View_GenericStep::kMeter,
                               host.getParameterInfo(BlockInterface::kPlaying, false));
        grid->setPortParameter(AM_View_Grid::kGridPort,
                               host.getParameterInfo(BlockInterface::kGrid + in.byte() % 3, false));
        grid->setProperty("clientRack", 1, step->getName());
        CheckingContext context;

        for (int n = 0; n < 200 && !in.done(); ++n) {
            const uint8_t op = in.byte();
            AM_ViewControl* target = controls[op % 3];
            const uint32_t buttons = in.byte() & 0xF;
            switch ((op >> 2) % 9) {
            case 0:
            case 1:
                host.engineSets(in.byte() % BlockInterface::kCount, in);
                break;
            case 2:
            case 3: {
                float point[2] = {in.coordinate(), in.coordinate()};
                if (!target->handleMouseDown(point, buttons, 0))
                    break;
                for (int drags = in.byte() % 6; drags > 0; --drags) {
                    point[0] = in.coordinate();
                    point[1] = in.coordinate();
                    target->handleMouseDrag(point, buttons, 0);
                }
                target->handleMouseUp(point, buttons, 0);
                break;
            }
            case 4: {
                const float point[2] = {in.coordinate(), in.coordinate()};
                target->onDoubleClick(point, buttons);
                break;
            }
            case 5: {
                AM_MenuItem item;
                const uint32_t codes[] = {5, 16, 17, 18};
                item.command = uint32_t(in.byte()) << 16 | codes[in.byte() % 4];
                const auto* cells = static_cast<const uint8_t*>(grid->block().cellAddress(0));
                switch (in.byte() % 6) {
                case 0: item.userData = nullptr; break;
                case 1: item.userData = const_cast<uint8_t*>(cells + in.byte() % 64 * 12); break;
                case 2: item.userData = const_cast<uint8_t*>(cells + in.byte() % 64 * 12 + 1); break;
                case 3: item.userData = shape; break;
                case 4: item.userData = colour; break;
                default: item.userData = step; break;
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
                in.fill(raw.data(), raw.size());
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
