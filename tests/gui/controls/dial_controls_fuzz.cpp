// Any values from the engine (not-a-number and infinities included), then
// any sequence of presses, drags, releases, wheel steps, double clicks,
// timer ticks, menu commands and script properties on the recording knob,
// the radius and snapshot dials and the multi knob, with paintings between:
// nothing may read or write out of bounds or convert a value that does not
// fit, every coordinate drawn is a number, and every parameter written is
// one the engine has.
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_PluginInfo.h"
#include "gui/controls/AM_StandardControls.h"
#include "gui/controls/AM_View_MultiKnob.h"
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
    void fillRingSegment(const float centre[2], float inner, float outer, float start,
                         float end) override
    {
        check(std::isfinite(centre[0]) && std::isfinite(centre[1]) && std::isfinite(inner) &&
              std::isfinite(outer) && std::isfinite(start) && std::isfinite(end));
    }
    void drawText(const char* text, const AM_Rect* r, int, bool) override
    {
        check(text != nullptr);
        fillRect(r);
    }
};

// The parameters of the dials: a main value, a list, two side values, a
// row of steps with the play step, and the dial's outputs.
class DialInterface : public AM_View_Interface {
public:
    enum : int32_t { kMain, kList, kAux, kPosition, kFirstStep, kPlayStep = kFirstStep + 16, kMeter, kCount };
    DialInterface()
    {
        AM_ModuleRecord record{};
        std::strncpy(record.shortName, "Seq", sizeof record.shortName - 1);
        record.group = -1;
        moduleTable().push_back(record);
        add(AM_makeParamInfo(0, "Main", "Main", k_kindFloat, -100, 100, 0, 0, 0));
        add(AM_makeParamInfo(0, "List", "List", k_kindInteger, 0, 3, 0, 0, 0));
        add(AM_makeParamInfo(0, "Aux", "Aux", k_kindFloat, -50, 50, 0, 0, 0));
        add(AM_makeParamInfo(0, "Pos", "Position", k_kindFloat, 0, 8, 0, 0, 0));
        for (int s = 0; s < 16; ++s)
            add(AM_makeParamInfo(0, "S", "Step", k_kindFloat, 0, 100, 0, 0, 0));
        add(AM_makeParamInfo(0, "Step", "Play Step", k_meter, 0, 15, 0, 0, 0));
        add(AM_makeParamInfo(0, "Meter", "Meter", k_meter, 0, 8, 0, 0, 0));
    }
    int32_t getNumParameters() override { return int32_t(params_.size()); }
    AM_ParamInfo* getParameterInfo(int32_t index, bool) override
    {
        return index >= 0 && index < getNumParameters() ? &params_[size_t(index)] : nullptr;
    }
    int32_t getNumModules() override { return int32_t(moduleTable().size()); }
    const void* getParameterValue(int32_t index) override
    {
        return index >= 0 && index < getNumParameters() ? &values_[size_t(index)] : nullptr;
    }
    void setParameterValue(int32_t index, const void* value) override
    {
        // Every index the controls write is one of the engine's.
        check(index >= 0 && index < getNumParameters() && value != nullptr);
        std::memcpy(&values_[size_t(index)], value, sizeof(float));
        parameterChanged(index, &values_[size_t(index)], false);
    }
    void engineSets(int32_t index, float value)
    {
        values_[size_t(index)] = value;
        parameterChanged(index, &values_[size_t(index)], false);
    }
    void getParameterDisplay(int32_t, const void*, char* text) override
    {
        std::strcpy(text, "a name longer than thirty-one characters");
    }
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
        values_.push_back(0.0f);
    }
    std::vector<AM_ParamInfo> params_;
    std::vector<float> values_;
};

constexpr const char* kKeys[] = {"recParamOffset", "s_parameter", "s_offset",  "touchSelect",
                                 "TextAlignment",  "TextSize",    "TextVOffset"};
constexpr const char* kValues[] = {"3", "-2147483648", "99999999999", "nan", "inf", "1e40",
                                   "Seq:S", "Seq:Pos", "Seq:", ":", "", "NO", "-7"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::setTraceSink([](void*, const char*) {}, nullptr);
    platform::setStandardOutputSink([](void*, const char*) {}, nullptr);
    AM_ViewMan::resetProcessState();
    AM_View_Interface::resetProcessState();
    AM_PlaceholderControl::resetAnnouncements();
    AM_Colour::resetColourCounter();
    Reader in(data, size);
    DialInterface host;
    {
        auto vm = std::make_unique<AM_ViewMan>(&host, nullptr, nullptr);
        AM_PluginInfo info{};
        std::strncpy(info.effectName, "Fuzz", sizeof info.effectName - 1);
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
        const AM_Rect knobBounds{4, 4, 28, 28};
        const AM_Rect radiusBounds{40, 4, 64, 64};
        const AM_Rect snapshotBounds{4, 80, 129, 129};
        const AM_Rect multiBounds{140, 80, 64, 64};
        AM_ViewControl* controls[] = {vm->createControl("Rec_Knob", &knobBounds),
                                      vm->createControl("RadiusDial", &radiusBounds),
                                      vm->createControl("SnapshotDial", &snapshotBounds),
                                      AM_View_MultiKnob::create(vm.get(), &multiBounds)};
        // Ports bound by the input, each to a parameter its type takes.
        const int32_t bindings[][6] = {
            {DialInterface::kMain, DialInterface::kList, DialInterface::kFirstStep,
             DialInterface::kPlayStep, -1, -1},
            {DialInterface::kMain, DialInterface::kAux, DialInterface::kMeter,
             DialInterface::kPlayStep, -1, -1},
            {DialInterface::kPosition, DialInterface::kMeter, -1, -1, -1, -1},
            {DialInterface::kMain, DialInterface::kList, DialInterface::kAux, DialInterface::kList,
             DialInterface::kAux, DialInterface::kList}};
        for (int c = 0; c < 4; ++c) {
            check(controls[c] != nullptr);
            vm->registerControl(controls[c], nullptr);
            controls[c]->setVisible(true, 0xFFFFFFFFu, false);
            controls[c]->setEditMode(false);
            const uint8_t mask = in.byte();
            for (int p = 0; p < 6; ++p)
                if (bindings[c][p] >= 0 && (mask >> p & 1) != 0)
                    controls[c]->setPortParameter(p, host.getParameterInfo(bindings[c][p], false));
        }
        CheckingContext context;
        for (int step = 0; step < 200 && !in.done(); ++step) {
            const uint8_t op = in.byte();
            AM_ViewControl* target = controls[op % 4];
            const uint32_t buttons = in.byte() & 0xF;
            switch ((op >> 2) % 9) {
            case 0: {
                const int32_t index = in.byte() % DialInterface::kCount;
                host.engineSets(index, in.bits());
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
                    if (in.byte() < 32)
                        target->onMouseWheel(in.coordinate());
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
            case 6:
                target->onMouseWheel(in.coordinate());
                break;
            case 7: {
                const int32_t id = int8_t(in.byte()) * (in.byte() & 1 ? 1 : 100000);
                target->setProperty(kKeys[in.byte() % std::size(kKeys)], id,
                                    kValues[in.byte() % std::size(kValues)]);
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
