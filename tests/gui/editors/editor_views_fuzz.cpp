// Any bytes as the blocks the three editors receive from the engine, then
// any sequence of presses, drags and releases with any buttons, timer
// ticks, menu commands with any sub-index and value, layer changes and
// paintings: nothing may read or write out of bounds, every coordinate
// drawn is a number, and the blocks the editors send keep their
// invariants.
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_PluginInfo.h"
#include "gui/editors/AM_EditorControls.h"
#include "gui/editors/AM_EnvelopeBlock.h"
#include "gui/editors/AM_View_MultiOrder.h"
#include "gui/editors/AM_View_MultiStage.h"
#include "gui/editors/AM_View_Multipoint.h"
#include "gui/editors/AM_WaveRender.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
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

void check(bool condition)
{
    if (!condition)
        std::abort();
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    // A pointer position in and around the controls, now and then any bits.
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
    void fill(void* out, size_t bytes)
    {
        auto* p = static_cast<uint8_t*>(out);
        for (size_t i = 0; i < bytes; ++i)
            p[i] = byte();
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
        check(std::isfinite(p0[0]) && std::isfinite(p0[1]) && std::isfinite(p1[0]) &&
              std::isfinite(p1[1]) && std::isfinite(width));
    }
    void fillRect(const AM_Rect* r) override
    {
        check(std::isfinite(r->x) && std::isfinite(r->y) && std::isfinite(r->w) &&
              std::isfinite(r->h));
    }
};

// Block parameters for the editors' ports, with no engine behind them.
class BlockInterface : public AM_View_Interface {
public:
    enum : int32_t { kCurve, kWaves, kSelect, kMode, kEnv1, kPhase1 = kEnv1 + 4, kCount = kPhase1 + 4 };

    BlockInterface()
    {
        AM_ModuleRecord record{};
        std::strncpy(record.shortName, "Osc", sizeof record.shortName - 1);
        record.group = -1;
        moduleTable().push_back(record);
        add(AM_makeParamInfo(0, "Curve", "Curve", 0x204, 0, float(AM_WavesetBlock::kBytes), 0, 0, 0));
        add(AM_makeParamInfo(0, "Waves", "Waves", 0x404, 0, float(AM_WaveValueBlock::kBytes), 0, 0, 0));
        add(AM_makeParamInfo(0, "Select", "Select", k_kindFloat, 1, 16, 1, 0, 0));
        add(AM_makeParamInfo(0, "Mode", "Mode", k_kindInteger, 0, 3, 0, 0, 0));
        for (int e = 0; e < 4; ++e)
            add(AM_makeParamInfo(0, "Env", "Env", 0x504, 0, float(AM_EnvelopeBlock::kBytes), 0, 0, 0));
        for (int e = 0; e < 4; ++e)
            add(AM_makeParamInfo(0, "Phase", "Phase", k_meter, 0, 128, 0, 0, 0));
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

float field(const std::vector<uint8_t>& bytes, size_t offset)
{
    float v = 0;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}
int32_t word(const std::vector<uint8_t>& bytes, size_t offset)
{
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

// A block an editor sent is whole as it stands: the engine gets nothing it
// would have to mend.
void checkSent(const BlockInterface& host)
{
    if (host.sentByEditor(BlockInterface::kCurve)) {
        const std::vector<uint8_t>& b = host.block(BlockInterface::kCurve);
        const int32_t n = word(b, 8192);
        check(n >= AM_WavesetBlock::kMinPoints && n <= AM_WavesetBlock::kMaxPoints);
        for (int w = 0; w < 16; ++w) {
            check(field(b, size_t(w * 32) * 4) == 0.0f);
            for (int p = 0; p < n; ++p) {
                const size_t at = size_t(w * 32 + p) * 4;
                const float x = field(b, at);
                check(x >= 0.0f && x <= 1.0f);
                check(p == 0 || field(b, at - 4) <= x);
                for (size_t array = 1; array < 4; ++array)
                    check(std::fabs(field(b, at + array * 2048)) <= 1.0f);
            }
        }
    }
    if (host.sentByEditor(BlockInterface::kWaves)) {
        const std::vector<uint8_t>& b = host.block(BlockInterface::kWaves);
        for (size_t at = 0; at < b.size(); at += 4)
            check(std::fabs(field(b, at)) <= 1.0f);
    }
    for (int e = 0; e < 4; ++e) {
        if (!host.sentByEditor(BlockInterface::kEnv1 + e))
            continue;
        const std::vector<uint8_t>& b = host.block(BlockInterface::kEnv1 + e);
        const int32_t n = word(b, 4);
        const int32_t loopStart = word(b, 8);
        const int32_t loopEnd = word(b, 12);
        check(n >= 1 && n <= AM_EnvelopeBlock::kMaxSegments);
        check(loopStart >= 0 && loopStart <= loopEnd && loopEnd <= n);
        check(field(b, 32) == 0.0f);
        for (int i = 0; i <= n; ++i) {
            const size_t at = 32 + size_t(i) * 16;
            const float time = field(b, at);
            check(time >= 0.0f && time <= AM_EnvelopeBlock::kMaxTime);
            check(i == 0 || field(b, at - 16) <= time);
            const float level = field(b, at + 4);
            check(level >= 0.0f && level <= 1.0f);
            check(std::fabs(field(b, at + 8)) <= 1.0f && std::fabs(field(b, at + 12)) <= 1.0f);
        }
    }
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
    AM_View_Multipoint::resetClipboard();
    AM_View_MultiStage::resetClipboard();
    resetSharedWaveTable();

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

        const AM_Rect pointBounds{0, 0, 200, 100};
        const AM_Rect orderBounds{0, 104, 200, 16};
        const AM_Rect stageBounds{0, 124, 200, 100};
        auto* editor = dynamic_cast<AM_View_Multipoint*>(vm->createControl("MultiPoint", &pointBounds));
        auto* order = dynamic_cast<AM_View_MultiOrder*>(vm->createControl("MultiOrder", &orderBounds));
        auto* stage = dynamic_cast<AM_View_MultiStage*>(vm->createControl("MultiStage", &stageBounds));
        check(editor != nullptr && order != nullptr && stage != nullptr);
        AM_ViewControl* controls[] = {editor, order, stage};
        for (AM_ViewControl* c : controls) {
            vm->registerControl(c, nullptr);
            c->setVisible(true, 0xFFFFFFFFu, false);
            c->setEditMode(false);
        }
        for (int32_t p = 0; p < 4; ++p)
            editor->setPortParameter(p, host.getParameterInfo(p, false));
        for (int32_t p = 0; p < 8; ++p) {
            if (in.byte() & 1)
                stage->setPortParameter(p, host.getParameterInfo(BlockInterface::kEnv1 + p, false));
        }
        order->linkEditor(editor);
        CheckingContext context;

        for (int step = 0; step < 200 && !in.done(); ++step) {
            const uint8_t op = in.byte();
            AM_ViewControl* target = controls[op % 3];
            const uint32_t buttons = in.byte() & 0xF;
            switch ((op >> 2) % 8) {
            case 0:
                host.engineSets(in.byte() % BlockInterface::kCount, in);
                break;
            case 1:
            case 2: {
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
            case 3: {
                const float point[2] = {in.coordinate(), in.coordinate()};
                target->onDoubleClick(point, buttons);
                break;
            }
            case 4: {
                AM_MenuItem item;
                item.command = uint32_t(in.byte()) << 16 | (in.byte() & 1 ? 5u : 16u);
                item.value = int8_t(in.byte());
                const uint32_t menu = in.byte() & 1 ? 0u : 0x7FFFFFFFu;
                target->handleMenuCommand(nullptr, menu, true, &item);
                break;
            }
            case 5:
                for (int ticks = in.byte() % 8; ticks >= 0; --ticks)
                    for (AM_ViewControl* c : controls)
                        c->onTimer();
                break;
            case 6: {
                const uint32_t layers = in.byte();
                target->setVisible(in.byte() & 1, layers, false);
                break;
            }
            default:
                for (AM_ViewControl* c : controls)
                    c->draw(&context);
                break;
            }
            checkSent(host);
        }
        for (AM_ViewControl* c : controls)
            c->draw(&context);
        checkSent(host);
    }
    return 0;
}
