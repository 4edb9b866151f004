#pragma once
// The parameter table of the fixture interfaces: modules and parameters
// added by the fixture, each value a block of bytes (four for a number, the
// maximum for a data parameter). The controls' writes and the host's edit
// brackets are recorded; a write is announced to the ports as the engine
// would.

#include "ViewManFixture.h"

#include "engine/module/AM_ModuleRecord.h"
#include "params/object/AM_ParamInfo.h"

#include <cstring>
#include <vector>

namespace viewtest {

class ParameterTable : public RecordingInterface {
public:
    struct Edit {
        int32_t index;
        bool begin;
    };

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

    // The engine changes a value by itself (automation, a preset, the player).
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
    const std::vector<uint8_t>& block(int32_t index) const
    {
        return values_[static_cast<size_t>(index)];
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
    // Adds a parameter of the module as the next index, its value all zeros;
    // answers the index.
    int32_t add(AM_ParamInfo info, int32_t module)
    {
        info.index = static_cast<uint32_t>(params_.size());
        info.moduleIndex = module;
        params_.push_back(info);
        const size_t bytes = info.kind() == k_kindData ? static_cast<size_t>(info.max) : 4;
        values_.emplace_back(bytes, 0);
        return static_cast<int32_t>(info.index);
    }
    // The stored bytes, changed without an announcement.
    std::vector<uint8_t>& storage(int32_t index) { return values_[static_cast<size_t>(index)]; }
    // Room for this many parameters: ports keep pointers to the records.
    void reserve(size_t parameters) { params_.reserve(parameters); }

private:
    std::vector<AM_ParamInfo> params_;
    std::vector<std::vector<uint8_t>> values_;
};

} // namespace viewtest
