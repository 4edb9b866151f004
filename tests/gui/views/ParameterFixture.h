#pragma once
// A GUI-to-engine interface that keeps its own small set of parameters in
// two modules, so controls can be bound and driven without an engine:
//   "Osc"  (module 0): "Wave" list 0..3, "Tune" continuous, "Level" meter,
//                      "Name" text block of 16 bytes
//   "Env"  (module 1): "Curve" data block of 8 bytes, "Attack" continuous,
//                      "Tune" continuous (a short name both modules have)
// Writes are recorded and announced to the ports as the engine would.

#include "ViewManFixture.h"

#include "engine/module/AM_ModuleRecord.h"
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

class ParameterInterface : public RecordingInterface {
public:
    struct Edit {
        int32_t index;
        bool begin;
    };

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

    int32_t getNumParameters() override { return static_cast<int32_t>(params_.size()); }
    AM_ParamInfo* getParameterInfo(int32_t index, bool published = false) override
    {
        (void)published;
        if (index < 0 || index >= getNumParameters())
            return nullptr;
        return &params_[static_cast<size_t>(index)];
    }
    int32_t getNumModules() override { return static_cast<int32_t>(moduleTable().size()); }
    const void* getParameterValue(int32_t index) override
    {
        if (index < 0 || index >= getNumParameters())
            return nullptr;
        return values_[static_cast<size_t>(index)].data();
    }
    void setParameterValue(int32_t index, const void* value) override
    {
        if (index < 0 || index >= getNumParameters() || value == nullptr)
            return;
        std::vector<uint8_t>& storage = values_[static_cast<size_t>(index)];
        std::memcpy(storage.data(), value, storage.size());
        writes.push_back(index);
        parameterChanged(index, storage.data(), false);
    }
    void beginEndEdit(int32_t index, bool begin) override { edits.push_back({index, begin}); }

    // The engine changes a value by itself (automation, a preset).
    void engineSets(int32_t index, float value)
    {
        std::memcpy(values_[static_cast<size_t>(index)].data(), &value, sizeof value);
        parameterChanged(index, values_[static_cast<size_t>(index)].data(), false);
    }
    float value(int32_t index) const
    {
        float v = 0.0f;
        std::memcpy(&v, values_[static_cast<size_t>(index)].data(), sizeof v);
        return v;
    }
    std::vector<uint8_t> block(int32_t index) const { return values_[static_cast<size_t>(index)]; }
    void setBlock(int32_t index, const std::vector<uint8_t>& bytes)
    {
        std::vector<uint8_t>& storage = values_[static_cast<size_t>(index)];
        std::memcpy(storage.data(), bytes.data(), std::min(bytes.size(), storage.size()));
    }
    AM_ParamInfo* param(int32_t index) { return getParameterInfo(index); }

    std::vector<int32_t> writes;
    std::vector<Edit> edits;

protected:
    void addModule(const char* shortName, const char* longName, uint32_t index)
    {
        AM_ModuleRecord record{};
        std::strncpy(record.shortName, shortName, sizeof record.shortName - 1);
        std::strncpy(record.longName, longName, sizeof record.longName - 1);
        record.moduleIndex = index;
        record.group = -1;
        moduleTable().push_back(record);
    }
    void add(AM_ParamInfo info, int32_t module)
    {
        info.index = static_cast<uint32_t>(params_.size());
        info.moduleIndex = module;
        params_.push_back(info);
        const size_t bytes = info.kind() == k_kindData ? static_cast<size_t>(info.max) : 4;
        values_.emplace_back(bytes, 0);
    }

private:
    std::vector<AM_ParamInfo> params_;
    std::vector<std::vector<uint8_t>> values_;
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

    static void resetAll()
    {
        AM_ViewMan::resetProcessState();
        AM_View_Interface::resetProcessState();
        AM_PlaceholderControl::resetAnnouncements();
        AM_Colour::resetColourCounter();
    }

    TestViewMan* open()
    {
        view = std::make_unique<TestViewMan>(&interface, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        view->setProcessDescription(&info);
        view->init(nullptr);
        view->registerDefaults();
        return view.get();
    }

    ParameterInterface interface;
    std::unique_ptr<TestViewMan> view;
};

} // namespace viewtest
