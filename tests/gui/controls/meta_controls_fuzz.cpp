// Any values from the engine (not-a-number, infinities and indices of no
// parameter included), then any sequence of presses, drags, releases, double
// clicks, timer ticks, menu commands (the XY wizard among them), typed slot
// numbers and selection answers on the XY pad, the meta XY and the meta
// range, with paintings between: nothing may read or write out of bounds or
// convert a value that does not fit, every coordinate drawn is a number, and
// every parameter written is one the engine has.
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_PluginInfo.h"
#include "gui/controls/AM_StandardControls.h"
#include "gui/controls/AM_View_MetaRange.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
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
    float bits()
    {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i)
            word = word << 8 | byte();
        float value;
        std::memcpy(&value, &word, sizeof value);
        return value;
    }
    // A position in and around the controls, now and then any bits.
    float coordinate()
    {
        return byte() < 8 ? bits() : float(int16_t(byte() << 8 | byte())) / 64.0f;
    }
    // A small index now and then, any bits otherwise.
    float value() { return byte() < 128 ? float(int8_t(byte())) : bits(); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

class CheckingContext : public AM_Context {
public:
    void drawPolyline(const float points[], int count, float width, bool) override
    {
        check(count >= 0 && std::isfinite(width));
        for (int i = 0; i < 2 * count; ++i)
            check(std::isfinite(points[i]));
    }
    void fillPolygon(const float points[], int count) override
    {
        drawPolyline(points, count, 1, true);
    }
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
    void intersectClip(const AM_Rect* r) override { fillRect(r); }
    void fillRingSegment(const float centre[2], float inner, float outer, float start,
                         float end) override
    {
        check(std::isfinite(centre[0]) && std::isfinite(centre[1]) && std::isfinite(inner) &&
              std::isfinite(outer) && std::isfinite(start) && std::isfinite(end));
    }
};

// The meta system of one slot (meta 1, slot 1) with the pad axes, a
// filter's cutoff, a parameter of an empty range and one of a reversed
// range as targets, and the pad's label.
class MetaInterface : public AM_View_Interface {
public:
    enum : int32_t { kX1, kY1, kTarget, kLeft, kRight, kCut, kEmpty, kReversed, kLabel, kCount };
    MetaInterface()
    {
        module("PCore", {{"X_1", k_kindXYAxis, -100, 100},
                         {"Y_1", k_kindXYAxis, -100, 100},
                         {"MT11", k_kindAssignment, -1, 0},
                         {"ML11", k_kindFloat, -100, 100},
                         {"MR11", k_kindFloat, -100, 100}});
        module("VCF1", {{"Cut", k_kindFloat, 0, 127},
                        {"Res", k_kindFloat, 5, 5},
                        {"FM1", k_kindFloat, 10, -10}});
        module("ZMas", {{"XY1L", k_typeTextData, 0, 16}});
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
        // Every index the controls write is one of the engine's.
        check(index >= 0 && index < getNumParameters() && value != nullptr);
        std::vector<uint8_t>& storage = values_[size_t(index)];
        std::memcpy(storage.data(), value, storage.size());
        parameterChanged(index, storage.data(), false);
    }
    void engineSets(int32_t index, float value)
    {
        std::vector<uint8_t>& storage = values_[size_t(index)];
        std::memcpy(storage.data(), &value, sizeof value);
        parameterChanged(index, storage.data(), false);
    }
    void sizeWindow(int32_t, int32_t) override {}
    void selectModule(const char*) override {}
    void midiLearn(const AM_ParamInfo*, AM_PortOwner*) override {}
    void nativePresetChanged(const char*) override {}
    std::vector<uint8_t> getFxpProgram() override { return {}; }
    std::vector<uint8_t> getStateInfo(const char*) override { return {}; }
    bool setStateInfo(const void*, uint32_t, const char*) override { return false; }

private:
    struct Row {
        const char* name;
        uint32_t type;
        float minimum, maximum;
    };
    void module(const char* name, std::initializer_list<Row> rows)
    {
        AM_ModuleRecord record{};
        std::strncpy(record.shortName, name, sizeof record.shortName - 1);
        record.moduleIndex = uint32_t(moduleTable().size());
        record.group = -1;
        moduleTable().push_back(record);
        for (const Row& row : rows) {
            AM_ParamInfo info = AM_makeParamInfo(0, row.name, row.name, row.type, row.minimum,
                                                 row.maximum, 0, 0, 0);
            info.index = uint32_t(params_.size());
            info.moduleIndex = int32_t(record.moduleIndex);
            params_.push_back(info);
            values_.emplace_back((row.type & k_kindMask) == k_kindData ? size_t(row.maximum) : 4,
                                 0);
        }
    }
    std::vector<AM_ParamInfo> params_;
    std::vector<std::vector<uint8_t>> values_;
};

constexpr const char* kEntries[] = {"11",   "47", "88",
                                    "90",   "-1", "2147483648",
                                    "1e3",  "",   "99999999999999999999999999999999999999",
                                    "11abc"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::setTraceSink([](void*, const char*) {}, nullptr);
    platform::setStandardOutputSink([](void*, const char*) {}, nullptr);
    AM_ViewMan::resetProcessState();
    AM_View_Interface::resetProcessState();
    AM_View_MetaRange::resetProcessState();
    AM_PlaceholderControl::resetAnnouncements();
    AM_Colour::resetColourCounter();
    Reader in(data, size);
    MetaInterface host;
    {
        auto vm = std::make_unique<AM_ViewMan>(&host, nullptr, nullptr);
        AM_PluginInfo info{};
        std::strncpy(info.effectName, "Fuzz", sizeof info.effectName - 1);
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
        // Sizes from the input: pads too small for the handle's travel too.
        const float side = float(in.byte() % 40);
        const AM_Rect padBounds{4, 4, side, float(in.byte() % 40)};
        const AM_Rect metaBounds{60, 4, 28, 28};
        const AM_Rect rangeBounds{4, 60, float(in.byte()), side};
        AM_ViewControl* controls[] = {vm->createControl("XY", &padBounds),
                                      vm->createControl("MetaXY", &metaBounds),
                                      vm->createControl("MetaRange", &rangeBounds)};
        // Ports bound by the input, each to a parameter its type takes.
        const int32_t bindings[][8] = {
            {MetaInterface::kX1, MetaInterface::kY1, -1, -1, -1, -1, -1, -1},
            {MetaInterface::kCut, MetaInterface::kEmpty, MetaInterface::kReversed,
             MetaInterface::kX1, MetaInterface::kY1, MetaInterface::kLeft, MetaInterface::kRight,
             MetaInterface::kEmpty},
            {MetaInterface::kLeft, MetaInterface::kRight, MetaInterface::kTarget, -1, -1, -1, -1,
             -1}};
        for (int c = 0; c < 3; ++c) {
            check(controls[c] != nullptr);
            vm->registerControl(controls[c], nullptr);
            controls[c]->setVisible(true, 0xFFFFFFFFu, false);
            controls[c]->setEditMode(false);
            const uint8_t mask = in.byte();
            for (int p = 0; p < 8; ++p)
                if (bindings[c][p] >= 0 && (mask >> p & 1) != 0)
                    controls[c]->setPortParameter(p, host.getParameterInfo(bindings[c][p], false));
        }
        CheckingContext context;
        for (int step = 0; step < 200 && !in.done(); ++step) {
            const uint8_t op = in.byte();
            AM_ViewControl* target = controls[op % 3];
            const uint32_t buttons = in.byte() & 0xF;
            switch ((op >> 2) % 9) {
            case 0: {
                const int32_t index = in.byte() % MetaInterface::kCount;
                if (index != MetaInterface::kLabel)
                    host.engineSets(index, in.value());
                break;
            }
            case 1:
            case 2: {
                float point[2] = {in.coordinate(), in.coordinate()};
                if (!target->handleMouseDown(point, buttons, 0))
                    break;
                for (int drags = in.byte() % 6; drags > 0; --drags) {
                    point[0] = in.coordinate();
                    point[1] = in.coordinate();
                    target->handleMouseDrag(point, buttons, 0);
                    if (in.byte() < 64)
                        target->onTimer();
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
                const uint32_t sub = in.byte() & 1 ? 1000u + in.byte() % 6 : in.byte();
                item.command = sub << 16 | (in.byte() & 1 ? 5u : 16u);
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
                // A typed slot number, in either mode.
                target->setEditMode(in.byte() & 1);
                std::string text = kEntries[in.byte() % std::size(kEntries)];
                target->receiveMessage(nullptr, 43, 0, text.data());
                target->setEditMode(false);
                break;
            }
            case 7: {
                // Selection answers, from selected or unselected controls.
                AM_ViewControl* answering = controls[in.byte() % 3];
                answering->setState(in.byte() & 1 ? uint32_t{kStateSelected} : 0u);
                target->receiveMessage(answering, 56, 14, target);
                break;
            }
            default:
                for (AM_ViewControl* c : controls)
                    c->draw(&context);
                break;
            }
        }
        std::string script;
        for (AM_ViewControl* c : controls) {
            c->draw(&context);
            c->writeControl(&script);
        }
    }
    return 0;
}
