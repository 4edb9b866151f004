#pragma once
// A host for fuzzing GUI controls: modules and parameters with no engine
// behind them. Every value is a block of bytes (four for a number, the
// maximum for a data parameter) that either the engine side (the fuzz
// input) or the controls wrote last.
//
//   class MyHost : public testsupport::FuzzViewHost {
//   public:
//       MyHost() : FuzzViewHost(BadWrites::fail)
//       {
//           addModule("Osc");
//           addParameter(AM_makeParamInfo(0, "Lvl", "Level", k_kindFloat, 0, 1, 0, 0, 0));
//       }
//   };

#include "FuzzReader.h"
#include "engine/module/AM_ModuleRecord.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace testsupport {

class FuzzViewHost : public AM_View_Interface {
public:
    // What a control's write of a parameter the host does not have (or of
    // no value) does: nothing, or it stops the run.
    enum class BadWrites { ignore, fail };
    explicit FuzzViewHost(BadWrites badWrites) : badWrites_(badWrites) {}

    int32_t getNumParameters() override { return int32_t(params_.size()); }
    AM_ParamInfo* getParameterInfo(int32_t index, bool) override
    {
        return has(index) ? &params_[size_t(index)] : nullptr;
    }
    int32_t getNumModules() override { return int32_t(moduleTable().size()); }
    const void* getParameterValue(int32_t index) override
    {
        return has(index) ? values_[size_t(index)].data() : nullptr;
    }
    void setParameterValue(int32_t index, const void* value) override
    {
        const bool known = has(index) && value != nullptr;
        if (badWrites_ == BadWrites::fail)
            fuzzCheck(known);
        if (!known)
            return;
        std::vector<uint8_t>& storage = values_[size_t(index)];
        std::memcpy(storage.data(), value, storage.size());
        fromEditor_[size_t(index)] = true;
        parameterChanged(index, storage.data(), false);
    }

    // The engine sends a value: write(bytes, size) fills the parameter's
    // block, then the listeners hear of it.
    template <class Write> void engineSets(int32_t index, Write&& write)
    {
        std::vector<uint8_t>& storage = values_[size_t(index)];
        write(storage.data(), storage.size());
        fromEditor_[size_t(index)] = false;
        parameterChanged(index, storage.data(), false);
    }
    // The engine sends bytes of the input.
    void engineSets(int32_t index, FuzzReader& in)
    {
        engineSets(index, [&in](uint8_t* bytes, size_t size) { in.fill(bytes, size); });
    }
    // The engine sends a number (any bits).
    void engineSets(int32_t index, float value)
    {
        engineSets(index,
                   [value](uint8_t* bytes, size_t) { std::memcpy(bytes, &value, sizeof value); });
    }

    // Whether a control wrote the parameter last.
    bool sentByEditor(int32_t index) const { return fromEditor_[size_t(index)]; }
    const std::vector<uint8_t>& block(int32_t index) const { return values_[size_t(index)]; }

    void sizeWindow(int32_t, int32_t) override {}
    void selectModule(const char*) override {}
    void midiLearn(const AM_ParamInfo*, AM_PortOwner*) override {}
    void nativePresetChanged(const char*) override {}
    std::vector<uint8_t> getFxpProgram() override { return {}; }
    std::vector<uint8_t> getStateInfo(const char*) override { return {}; }
    bool setStateInfo(const void*, uint32_t, const char*) override { return false; }

protected:
    // Adds a module (group -1: none); returns its index.
    int32_t addModule(const char* shortName, int32_t group = -1)
    {
        AM_ModuleRecord record{};
        std::strncpy(record.shortName, shortName, sizeof record.shortName - 1);
        record.moduleIndex = uint32_t(moduleTable().size());
        record.group = group;
        moduleTable().push_back(record);
        return int32_t(record.moduleIndex);
    }
    // Adds a parameter of a module as the next index, its value all zeros.
    void addParameter(AM_ParamInfo info, int32_t module = 0)
    {
        info.index = uint32_t(params_.size());
        info.moduleIndex = module;
        values_.emplace_back(info.kind() == k_kindData ? size_t(info.max) : 4, 0);
        params_.push_back(info);
        fromEditor_.push_back(false);
    }

private:
    bool has(int32_t index) const { return index >= 0 && index < int32_t(params_.size()); }

    BadWrites badWrites_;
    std::vector<AM_ParamInfo> params_;
    std::vector<std::vector<uint8_t>> values_;
    std::vector<bool> fromEditor_;
};

} // namespace testsupport
