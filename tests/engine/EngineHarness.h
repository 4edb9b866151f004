#pragma once
// A bare audio manager for tests (a subclass without instrument modules,
// that can add test modules in buildModules), test modules that probe or
// write the bus once per sub-block, and a host-block driver.

#include "engine/AM_AudioMan.h"
#include "engine/module/AM_AudioObject.h"
#include "engine/module/AM_CircuitObject.h"
#include "engine/module/AM_ModulationRecord.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_ParamInfo.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace enginetest {

struct EnginePlan {
    uint32_t channelCapacity = 10;
    uint32_t modulationSlots = 2;
    uint32_t channelsPerBus = 2;
};

// The audio manager with nothing but its parameter manager, plus whatever
// the test adds before init.
class BareAudioMan : public AM_AudioMan {
public:
    explicit BareAudioMan(EnginePlan plan = {}, AM_ObjectHost* host = nullptr)
        : AM_AudioMan(host, plan.channelCapacity, plan.modulationSlots)
    {
        pluginInfo_.channelsPerBus = plan.channelsPerBus;
    }

    std::function<void(BareAudioMan&)> builder;
    int buildCalls = 0;
    int setupCalls = 0;

    void buildModules() override
    {
        ++buildCalls;
        if (builder)
            builder(*this);
    }
    void setupParameters() override { ++setupCalls; }

    // The storage of the main circuit's "Output" (percent).
    float& outputValue() { return getMainCircuit()->getHeader()->outputValue; }
    // The global id of a module's local parameter.
    int32_t idOf(AM_AudioObject* module, uint32_t local) const
    {
        return module->getFirstParameterId() + static_cast<int32_t>(local);
    }
    float* carryArea() const { return carryArea_; }
};

// Builds, initialises and resets an engine; the builder adds test modules.
inline std::unique_ptr<BareAudioMan> makeEngine(EnginePlan plan = {},
                                                std::function<void(BareAudioMan&)> builder = {})
{
    auto engine = std::make_unique<BareAudioMan>(plan);
    engine->builder = std::move(builder);
    engine->init();
    engine->reset();
    return engine;
}

// Hands one host block to the engine as the host adapter would.
inline void runHostBlock(AM_AudioMan& engine, uint32_t frames, const float* inLeft,
                         const float* inRight, float* outLeft, float* outRight)
{
    AM_ProcessContext* ctx = engine.getProcessContext();
    ctx->sampleFrames = frames;
    ctx->inputChannels[0] = const_cast<float*>(inLeft);
    ctx->inputChannels[1] = const_cast<float*>(inRight);
    ctx->outputChannels[0] = outLeft;
    ctx->outputChannels[1] = outRight;
    engine.processBlock();
}

// A module without memory whose routine calls a member once per sub-block.
class TestModule : public AM_AudioObject {
public:
    TestModule(AM_EngineOwner* owner, const char* name) : AM_AudioObject(owner, name) {}
    uint32_t getVoiceMemorySize() override { return 0; }
    uint32_t getGlobalMemorySize() override { return 0; }
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext*) override { return &routine; }
    void reset(AM_ChildRecord*) override { ++resetCount; }
    int resetCount = 0;

protected:
    virtual void run(int32_t units, AM_ProcessContext* ctx) = 0;

private:
    static void routine(int32_t*, int32_t* length, AM_ChildRecord* record, AM_ProcessContext* ctx)
    {
        static_cast<TestModule*>(record->object)->run(*length, ctx);
    }
};

// Records what every sub-block sees; optionally dirties an extra bus row
// afterwards. Holds a fixed number of entries, so it never allocates while
// the engine runs.
class SubBlockProbe : public TestModule {
public:
    struct Entry {
        int32_t units;
        uint32_t blockCounter;
        uint32_t newBar;
        double songPosition;
        float gate;
        double phase;
        double shapedPhase;
        double clockTempo;
        float extraRowFirst; // first sample of `dirtyRow` before it is dirtied
    };
    static constexpr size_t kCapacity = 1 << 16;

    explicit SubBlockProbe(AM_EngineOwner* owner) : TestModule(owner, "PRB: Probe")
    {
        entries.resize(kCapacity);
    }

    std::vector<Entry> entries;
    size_t count = 0;
    int32_t dirtyRow = -1;

    void clear() { count = 0; }

protected:
    void run(int32_t units, AM_ProcessContext* ctx) override
    {
        float* row = dirtyRow >= 0 ? ctx->busBuffer + dirtyRow * k_rowSamples : nullptr;
        if (count < kCapacity) {
            Entry& e = entries[count++];
            e.units = units;
            e.blockCounter = ctx->blockCounter;
            e.newBar = ctx->newBarFlag;
            e.songPosition = ctx->songPosition;
            e.gate = ctx->clockGate;
            e.phase = ctx->clockPhase;
            e.shapedPhase = ctx->clockShapedPhase;
            e.clockTempo = ctx->clockTempo;
            e.extraRowFirst = row ? row[0] : 0.0f;
        }
        if (row)
            for (int32_t i = 0; i < k_rowSamples; ++i)
                row[i] = 7.0f;
    }
};

// Overwrites the stereo bus with a repeating pattern, channel by channel.
class BusWriter : public TestModule {
public:
    explicit BusWriter(AM_EngineOwner* owner) : TestModule(owner, "BUS: Writer") {}
    std::vector<float> left;  // pattern, read cyclically over rendered frames
    std::vector<float> right; // same length as left
    size_t cursor = 0;

protected:
    void run(int32_t units, AM_ProcessContext* ctx) override
    {
        if (left.empty())
            return;
        float* busLeft = ctx->busBuffer;
        float* busRight = busLeft + k_rowSamples;
        for (int32_t i = 0; i < units * k_samplesPerUnit; ++i) {
            busLeft[i] = left[cursor];
            busRight[i] = right[cursor];
            cursor = (cursor + 1) % left.size();
        }
    }
};

// A module with parameters stored in the object: "Gain" (float), "Mode"
// (list) and "Blob" (a data block of kBlobBytes, notified when written).
class ParamModule : public TestModule {
public:
    static constexpr uint32_t kBlobBytes = 8;
    enum Local : uint32_t { kGain = 0, kMode = 1, kBlob = 2, kCount = 3 };

    ParamModule(AM_EngineOwner* owner, const char* name) : TestModule(owner, name)
    {
        setModuleFlags(0, kCount, 1, 0, 0);
        table_[kGain] = makeParam(kGain, "Gain", "Gain Amount", k_kindFloat, -1.0f, 3.0f, 1.0f, 0);
        table_[kMode] = makeParam(kMode, "Mode", "Mode", k_kindInteger, 0.0f, 3.0f, 0.0f, 0);
        table_[kBlob] = makeParam(kBlob, "Blob", "Blob", k_kindData, 0.0f,
                                  static_cast<float>(kBlobBytes), 0.0f, 0x80);
    }

    const AM_ParamInfo* getParameterTemplate(uint32_t local) override
    {
        return local < kCount ? &table_[local] : nullptr;
    }
    void* getParameterAddress(uint32_t local) override
    {
        switch (local) {
        case kGain:
            return &gain;
        case kMode:
            return &mode;
        case kBlob:
            return blob;
        default:
            return nullptr;
        }
    }
    void parameterChanged(uint32_t* local, float*, AM_ParamChangeContext*) override
    {
        changedLocals.push_back(*local);
    }

    float gain = 0.0f;
    int32_t mode = 0;
    uint8_t blob[kBlobBytes] = {};
    std::vector<uint32_t> changedLocals;

protected:
    void run(int32_t, AM_ProcessContext*) override {}

private:
    static AM_ParamInfo makeParam(uint32_t index, const char* shortName, const char* longName,
                                  uint32_t type, float min, float max, float def, uint32_t flags)
    {
        return AM_makeParamInfo(index, shortName, longName, type, min, max, def, flags, 0);
    }
    AM_ParamInfo table_[kCount];
};

} // namespace enginetest
