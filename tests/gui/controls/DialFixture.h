#pragma once
// The control fixture on a larger parameter table, for the controls that
// reach parameters by index arithmetic: after the views fixture's seven
// parameters come fillers "P7".."P99" (module "Osc"), then a row of step
// parameters "S0".."S31" at 100..131 ranging 0..100 (module "Seq"), and the
// play step "Step", a meter 0..7, at 132.

#include "ControlFixture.h"

#include <cstdio>

namespace controltest {

enum StepParameter : int32_t {
    kFirstStep = 100,
    kStepCount = 32,
    kPlayStep = 132,
    kStepParameters = 133,
};

class StepInterface : public NamedInterface {
public:
    StepInterface()
    {
        addModule("Seq", "Sequencer", 2);
        for (int32_t i = kFixtureParameters; i < kFirstStep; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "P%d", int(i));
            add(AM_makeParamInfo(0, name, name, k_kindFloat, 0, 100, 0, 0, 0), 0);
        }
        for (int32_t i = 0; i < kStepCount; ++i) {
            char name[8];
            char longName[16];
            std::snprintf(name, sizeof name, "S%d", int(i));
            std::snprintf(longName, sizeof longName, "Step %d", int(i + 1));
            add(AM_makeParamInfo(0, name, longName, k_kindFloat, 0, 100, 0, 0, 0), 2);
        }
        add(AM_makeParamInfo(0, "Step", "Play Step", k_meter, 0, 7, 0, 0, 0), 2);
    }
};

// A control test whose view manager runs on the step interface.
class DialTest : public ControlTest {
protected:
    DialTest() { reopen(); }
    ~DialTest() override
    {
        vm.reset();
        resetAll();
    }

    // A fresh view manager on the step interface (the old GUI goes away).
    void reopen()
    {
        vm.reset();
        resetAll();
        vm = std::make_unique<MenuViewMan>(&steps, nullptr, nullptr);
        openTestSynth(*vm);
        AM_installStandardControls(vm.get());
    }

    // Reads the script into a fresh GUI and writes the tree back, control
    // lines and then property lines.
    std::string rewrite(const std::string& script)
    {
        reopen();
        vm->parseScript(script.c_str(), static_cast<int32_t>(script.size()), true);
        std::string written;
        if (AM_ViewControl* top = vm->getTopControl()) {
            top->writeControlTree(&written);
            top->writePropertyTree(&written);
        }
        return written;
    }

    StepInterface steps;
};

} // namespace controltest
