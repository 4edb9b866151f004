// Any values from the engine (not-a-number, infinities and indices of no
// parameter included), then any sequence of presses, drags, releases, double
// clicks, timer ticks, menu commands (the XY wizard among them), typed slot
// numbers and selection answers on the XY pad, the meta XY and the meta
// range, with paintings between: nothing may read or write out of bounds or
// convert a value that does not fit, every coordinate drawn is a number, and
// every parameter written is one the engine has.
#include "FiniteCheckingContext.h"
#include "FuzzGui.h"
#include "FuzzReader.h"
#include "FuzzViewHost.h"
#include "gui/controls/AM_StandardControls.h"
#include "gui/controls/AM_View_MetaRange.h"

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>

namespace {

using namespace testsupport;

// A small index now and then, any bits otherwise.
float anyValue(FuzzReader& in)
{
    return in.byte() < 128 ? float(int8_t(in.byte())) : in.bits();
}

class CheckingContext : public FiniteCheckingContext {
public:
    void intersectClip(const AM_Rect* r) override { fillRect(r); }
};

// The meta system of one slot (meta 1, slot 1) with the pad axes, a
// filter's cutoff, a parameter of an empty range and one of a reversed
// range as targets, and the pad's label.
class MetaInterface : public FuzzViewHost {
public:
    enum : int32_t { kX1, kY1, kTarget, kLeft, kRight, kCut, kEmpty, kReversed, kLabel, kCount };
    MetaInterface() : FuzzViewHost(BadWrites::fail)
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

private:
    struct Row {
        const char* name;
        uint32_t type;
        float minimum, maximum;
    };
    void module(const char* name, std::initializer_list<Row> rows)
    {
        const int32_t index = addModule(name);
        for (const Row& row : rows)
            addParameter(AM_makeParamInfo(0, row.name, row.name, row.type, row.minimum, row.maximum,
                                          0, 0, 0),
                         index);
    }
};

constexpr const char* kEntries[] = {"11",   "47", "88",
                                    "90",   "-1", "2147483648",
                                    "1e3",  "",   "99999999999999999999999999999999999999",
                                    "11abc"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    beginFuzzRun();
    AM_View_MetaRange::resetProcessState();
    FuzzReader in(data, size);
    MetaInterface host;
    {
        auto vm = makeFuzzViewMan(&host);
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
            fuzzCheck(controls[c] != nullptr);
            showFuzzControl(*vm, controls[c]);
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
                    host.engineSets(index, anyValue(in));
                break;
            }
            case 1:
            case 2:
                fuzzPressDragRelease(in, target, buttons, [&] {
                    if (in.byte() < 64)
                        target->onTimer();
                });
                break;
            case 3:
                fuzzDoubleClick(in, target, buttons);
                break;
            case 4: {
                AM_MenuItem item;
                const uint32_t sub = in.byte() & 1 ? 1000u + in.byte() % 6 : in.byte();
                item.command = sub << 16 | (in.byte() & 1 ? 5u : 16u);
                const uint32_t menu = in.byte() & 1 ? 0u : 0x7FFFFFFFu;
                target->handleMenuCommand(nullptr, menu, true, &item);
                break;
            }
            case 5:
                fuzzTicks(in, controls);
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
