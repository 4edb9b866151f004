#pragma once
// The fixture tree of the parameter tests:
//   main > [PCore, LFO (2 sources), OSC (11 parameters), OSC2,
//           VC (group 1, 2 copies of its children) > [ENV (1 source)]]
// Global ids: main 0-2, PCore 3-35 (no XY axes, 2 matrix rows), OSC 36-46,
// OSC2 47-48, VC 49-51, ENV 52-53. Sources: none, main 1-4, LFO 5-6,
// VC 7-10, ENV 11.

#include "ParamEngine.h"
#include "engine/module/AM_CircuitObject.h"

namespace testfixture {

enum OscParam : uint32_t {
    kWave,
    kPitch,
    kCutoff,
    kSource,
    kFree,
    kData,
    kNotify,
    kTurn,
    kSecondSource,
    kBit23Source,
    kBroadcast,
    kOscParams
};

inline ModulePlan oscPlan()
{
    ModulePlan s;
    s.name = "OSC: Oscillator";
    s.globalBytes = 32;
    s.params = {
        makeParam("Wave", "Waveform", k_kindInteger, 0, 3, 1, 0x4),
        makeParam("Pitch", "Pitch", k_kindFloat, -24, 24, 0, 0x6),
        makeParam("Cut", "Cutoff", k_kindFloat, 0, 100, 50, 0xA),
        makeParam("Src", "Source", k_kindInteger, 0, 0, 0, 0x10 | (10u << 16)),
        makeParam("Free", "Free", k_kindFloat, 0, 1, 0.5f, 0),
        makeParam("Data", "Data", k_typeBinaryData, 0, 6, 1, 0),
        makeParam("Note", "Notify", k_kindFloat, 0, 10, 3, 0x80),
        makeParam("Turn", "Turn", k_kindFloat, -180, 180, 0, 0x202),
        makeParam("Src2", "Source2", k_kindInteger, 0, 0, 0, 0x10 | 0x400000 | 0x100000),
        makeParam("Src3", "Source3", k_kindInteger, 0, 0, 0, 0x10 | 0x800000),
        makeParam("Bcast", "Broadcast", k_kindFloat, 0, 1, 0, 0x20),
    };
    s.storageless = {kFree};
    return s;
}

struct StandardEngine {
    explicit StandardEngine(EngineOptions options = {}, int32_t axes = 0, int32_t slots = 0)
        : engine(axes, slots, 2, options)
    {
        ModulePlan lfoPlan;
        lfoPlan.name = "LFO: Lfo";
        lfoPlan.sources = 2;
        lfoPlan.sourceFlags = {0xa0000 | 0x400000 | 0x1, 0xa0000 | 0x100000 | 0x400000 | 0x800000};
        lfo = new FixtureModule(&engine, lfoPlan);
        osc = new FixtureModule(&engine, oscPlan());
        ModulePlan osc2Plan;
        osc2Plan.name = "OSC2: Oscillator2";
        osc2Plan.params = {makeParam("Pitch", "Pitch", k_kindFloat, -24, 24, 0, 0),
                           makeParam("Oth", "Other", k_kindFloat, 0, 1, 0, 0)};
        osc2 = new FixtureModule(&engine, osc2Plan);
        vc = new AM_CircuitObject(&engine, "VC: Voices", 2, 2);
        vc->setChildCopies(2);
        vc->setGroup(1);
        ModulePlan envPlan;
        envPlan.name = "ENV: Env";
        envPlan.sources = 1;
        envPlan.voiceBytes = 16;
        envPlan.params = {makeParam("Rate", "Rate", k_kindFloat, 0, 10, 1, 0x6),
                          makeParam("Sel", "Select", k_kindInteger, 0, 0, 0, 0x10)};
        env = new FixtureModule(&engine, envPlan);
        vc->addChild(env);
        osc->changes.reserve(4096);
        engine.addModule(lfo);
        engine.addModule(osc);
        engine.addModule(osc2);
        engine.addModule(vc);
        engine.init();
    }
    AM_ParaMan& man() { return *engine.paraMan; }
    int32_t id(OscParam p) { return engine.idOf(osc, p); }

    ParamEngine engine;
    FixtureModule* lfo;
    FixtureModule* osc;
    FixtureModule* osc2;
    AM_CircuitObject* vc;
    FixtureModule* env;
};

} // namespace testfixture
