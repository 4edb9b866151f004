#pragma once
// A GUI-to-engine interface that keeps its own small set of parameters in
// two modules, so controls can be bound and driven without an engine:
//   "Osc"  (module 0): "Wave" list 0..3, "Tune" continuous, "Level" meter,
//                      "Name" text block of 16 bytes
//   "Env"  (module 1): "Curve" data block of 8 bytes, "Attack" continuous,
//                      "Tune" continuous (a short name both modules have)
// Writes are recorded and announced to the ports as the engine would.

#include "ParameterTable.h"
#include "ViewManFixture.h"

#include "params/object/AM_ParamInfo.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace viewtest {

enum FixtureParameter : int32_t {
    kWave = 0,
    kTune = 1,
    kLevel = 2,
    kName = 3,
    kCurve = 4,
    kAttack = 5,
    kEnvTune = 6,
    kFixtureParameters = 7,
};

constexpr uint32_t kNameBytes = 16;
constexpr uint32_t kCurveBytes = 8;

class ParameterInterface : public ParameterTable {
public:
    ParameterInterface()
    {
        addModule("Osc", "Oscillator", 0);
        addModule("Env", "Envelope", 1);
        add(AM_makeParamInfo(0, "Wave", "Waveform", k_kindInteger, 0, 3, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Tune", "Fine Tune", k_kindFloat, -1, 1, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Level", "Output Level", k_meter, 0, 1, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Name", "Patch Name", k_typeTextData, 0, kNameBytes, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Curve", "Curve Data", k_typeBinaryData, 0, kCurveBytes, 0, 0, 0),
            1);
        add(AM_makeParamInfo(0, "Attack", "Attack Time", k_kindFloat, 0, 1, 0, 0, 0), 1);
        add(AM_makeParamInfo(0, "Tune", "Env Tune", k_kindFloat, -1, 1, 0, 0, 0), 1);
    }

    // The stored bytes (as many as fit) without an announcement.
    void setBlock(int32_t index, const std::vector<uint8_t>& bytes)
    {
        std::vector<uint8_t>& stored = storage(index);
        std::memcpy(stored.data(), bytes.data(), std::min(bytes.size(), stored.size()));
    }
};

// A view manager on the parameter interface.
class ParameterTest : public ::testing::Test {
protected:
    ParameterTest() { resetAll(); }
    ~ParameterTest() override
    {
        view.reset();
        resetAll();
    }

    static void resetAll() { resetViewProcessState(); }

    TestViewMan* open()
    {
        view = std::make_unique<TestViewMan>(&interface, nullptr, nullptr);
        openTestSynth(*view);
        return view.get();
    }

    ParameterInterface interface;
    std::unique_ptr<TestViewMan> view;
};

} // namespace viewtest
