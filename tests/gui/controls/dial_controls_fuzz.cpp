// Any values from the engine (not-a-number and infinities included), then
// any sequence of presses, drags, releases, wheel steps, double clicks,
// timer ticks, menu commands and script properties on the recording knob,
// the radius and snapshot dials and the multi knob, with paintings between:
// nothing may read or write out of bounds or convert a value that does not
// fit, every coordinate drawn is a number, and every parameter written is
// one the engine has.
#include "FiniteCheckingContext.h"
#include "FuzzGui.h"
#include "FuzzReader.h"
#include "FuzzViewHost.h"
#include "gui/controls/AM_StandardControls.h"
#include "gui/controls/AM_View_MultiKnob.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

namespace {

using namespace testsupport;

class CheckingContext : public FiniteCheckingContext {
public:
    void drawText(const char* text, const AM_Rect* r, int, bool) override
    {
        fuzzCheck(text != nullptr);
        fillRect(r);
    }
};

// The parameters of the dials: a main value, a list, two side values, a
// row of steps with the play step, and the dial's outputs.
class DialInterface : public FuzzViewHost {
public:
    enum : int32_t {
        kMain,
        kList,
        kAux,
        kPosition,
        kFirstStep,
        kPlayStep = kFirstStep + 16,
        kMeter,
        kCount
    };
    DialInterface() : FuzzViewHost(BadWrites::fail)
    {
        addModule("Seq");
        addParameter(AM_makeParamInfo(0, "Main", "Main", k_kindFloat, -100, 100, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "List", "List", k_kindInteger, 0, 3, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Aux", "Aux", k_kindFloat, -50, 50, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Pos", "Position", k_kindFloat, 0, 8, 0, 0, 0));
        for (int s = 0; s < 16; ++s)
            addParameter(AM_makeParamInfo(0, "S", "Step", k_kindFloat, 0, 100, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Step", "Play Step", k_meter, 0, 15, 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Meter", "Meter", k_meter, 0, 8, 0, 0, 0));
    }
    void getParameterDisplay(int32_t, const void*, char* text) override
    {
        std::strcpy(text, "a name longer than thirty-one characters");
    }
};

constexpr const char* kKeys[] = {"recParamOffset", "s_parameter", "s_offset",   "touchSelect",
                                 "TextAlignment",  "TextSize",    "TextVOffset"};
constexpr const char* kValues[] = {"3",    "-2147483648", "99999999999", "nan",  "inf",
                                   "1e40", "Seq:S",       "Seq:Pos",     "Seq:", ":",
                                   "",     "NO",          "-7"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    beginFuzzRun();
    FuzzReader in(data, size);
    DialInterface host;
    {
        auto vm = makeFuzzViewMan(&host);
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
            fuzzCheck(controls[c] != nullptr);
            showFuzzControl(*vm, controls[c]);
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
            case 2:
                fuzzPressDragRelease(in, target, buttons, [&] {
                    if (in.byte() < 32)
                        target->onMouseWheel(in.coordinate());
                    if (in.byte() < 64)
                        target->onTimer();
                });
                break;
            case 3:
                fuzzDoubleClick(in, target, buttons);
                break;
            case 4:
                fuzzMenuCommand(in, target);
                break;
            case 5:
                fuzzTicks(in, controls);
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
