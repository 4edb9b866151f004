#pragma once
// A module whose data blocks are read while it renders, as a tuning table
// is, and an engine built around it. The module notes what every sub-block
// found in its table (a torn table: bytes of two different writes) and when
// and on which kind of thread it heard of a write; it allocates nothing.

#include "EngineHarness.h"

#include "platform/Trace.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

class DataBlockModule : public TestModule {
public:
    static constexpr uint32_t kTableBytes = 512;
    static constexpr uint32_t kNameBytes = 16;
    // "Table" (binary) and "Name" (text) are notified when written; "Gain"
    // is a plain float.
    enum Local : uint32_t { kTable = 0, kName = 1, kGain = 2, kCount = 3 };

    explicit DataBlockModule(AM_EngineOwner* owner) : TestModule(owner, "DBM: DataBlocks")
    {
        setModuleFlags(0, kCount, 1, 0, 0);
        table_[kTable] = param(kTable, "Table", "Table", k_typeBinaryData, kTableBytes, 0x80);
        table_[kName] = param(kName, "Name", "Name", k_typeTextData, kNameBytes,
                              k_paramTextData | k_paramAlwaysNotify);
        table_[kGain] = param(kGain, "Gain", "Gain", k_kindFloat, 1, 0);
    }

    const AM_ParamInfo* getParameterTemplate(uint32_t local) override
    {
        return local < kCount ? &table_[local] : nullptr;
    }
    void* getParameterAddress(uint32_t local) override
    {
        switch (local) {
        case kTable:
            return table;
        case kName:
            return name;
        case kGain:
            return &gain;
        default:
            return nullptr;
        }
    }
    void parameterChanged(uint32_t* local, float*, AM_ParamChangeContext*) override
    {
        if (*local == kTable) {
            ++tableNotifications;
            checkTable();
        } else if (*local == kName) {
            ++nameNotifications;
        }
        if (!platform::isRealtimeThread())
            ++notificationsOffAudioThread;
    }

    // True when every byte of the table is the same.
    bool tableIsWhole() const
    {
        return std::all_of(table, table + kTableBytes, [this](uint8_t b) { return b == table[0]; });
    }

    uint8_t table[kTableBytes] = {};
    char name[kNameBytes] = {};
    float gain = 0.0f;
    // Written on the thread that applies writes (and renders).
    int tableNotifications = 0;
    int nameNotifications = 0;
    int notificationsOffAudioThread = 0;
    int subBlocks = 0;
    int tornTables = 0;
    // The first byte of the table as the last sub-block saw it.
    uint8_t seen = 0;

protected:
    void run(int32_t, AM_ProcessContext*) override
    {
        ++subBlocks;
        seen = table[0];
        checkTable();
    }

private:
    void checkTable()
    {
        if (!tableIsWhole())
            ++tornTables;
    }

    static AM_ParamInfo param(uint32_t index, const char* shortName, const char* longName,
                              uint32_t type, uint32_t max, uint32_t flags)
    {
        return AM_makeParamInfo(index, shortName, longName, type, 0.0f, static_cast<float>(max),
                                0.0f, flags, 0);
    }

    AM_ParamInfo table_[kCount];
};

// A bare engine holding one DataBlockModule; `processing` resets it, as the
// host's resume does, so that writes from other threads are handed over.
struct DataBlockEngine {
    std::unique_ptr<BareAudioMan> engine;
    DataBlockModule* module = nullptr;
    int32_t tableId = -1;
    int32_t nameId = -1;
    int32_t gainId = -1;

    explicit DataBlockEngine(bool processing)
    {
        engine = std::make_unique<BareAudioMan>();
        engine->builder = [this](BareAudioMan& e) {
            module = new DataBlockModule(&e);
            e.addModule(module);
        };
        engine->init();
        if (processing)
            engine->reset();
        tableId = engine->idOf(module, DataBlockModule::kTable);
        nameId = engine->idOf(module, DataBlockModule::kName);
        gainId = engine->idOf(module, DataBlockModule::kGain);
    }

    void runBlock(uint32_t frames = k_rowSamples)
    {
        left.resize(std::max<size_t>(left.size(), frames));
        right.resize(left.size());
        runHostBlock(*engine, frames, nullptr, nullptr, left.data(), right.data());
    }
    // Writes a whole table of one byte value.
    void writeTable(uint8_t value)
    {
        const std::vector<uint8_t> bytes(DataBlockModule::kTableBytes, value);
        engine->setBinaryParameterData(tableId, bytes.data(), DataBlockModule::kTableBytes);
    }
    // The table as the engine answers it.
    std::vector<uint8_t> readTable() const
    {
        const auto* bytes = static_cast<const uint8_t*>(engine->getBinaryParameterData(tableId));
        return bytes ? std::vector<uint8_t>(bytes, bytes + DataBlockModule::kTableBytes)
                     : std::vector<uint8_t>();
    }
    std::vector<uint8_t> moduleTable() const
    {
        return std::vector<uint8_t>(module->table, module->table + DataBlockModule::kTableBytes);
    }
    std::string chunk() const
    {
        uint32_t size = 0;
        const char* text = engine->getChunk(&size, nullptr);
        return text ? std::string(text, size) : std::string();
    }

    std::vector<float> left;
    std::vector<float> right;
};

} // namespace enginetest
