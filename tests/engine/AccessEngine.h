#pragma once
// An engine with an identity (plug-in ID, names, a controller map) and two
// modules whose parameters the host sees, for the tests of the access
// layer, MIDI input and the start-up files; preset texts written by the
// engine itself.

#include "EngineHarness.h"

#include "engine/AM_MidiMapFile.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_Messages.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace enginetest {

// A module with parameters stored in the object: "Gain", "Mode" (a list
// with names) and "Cut" (smoothed) are published; "Data" is an 8-byte data
// block, "Level" an unpublished float. Takes MIDI and records the events in
// a fixed array (nothing allocates while it runs).
class AccessModule : public TestModule {
public:
    enum Local : uint32_t { kGain = 0, kMode = 1, kCut = 2, kData = 3, kLevel = 4, kCount = 5 };
    static constexpr uint32_t kDataBytes = 8;
    static constexpr size_t kMaxEvents = 64;

    struct MidiRecord {
        int32_t kind;
        int32_t number;
        float value;
        float extra;
        uint32_t frame;
    };

    AccessModule(AM_EngineOwner* owner, const char* name) : TestModule(owner, name)
    {
        setModuleFlags(k_classMidiReceiver, kCount, 1, 0, 0);
        table_[kGain] =
            param(kGain, "Gain", "Gain Amount", k_kindFloat, -1, 3, 1, k_paramPublished);
        table_[kMode] = param(kMode, "Mode", "Mode Select", k_kindInteger, 0, 3, 0,
                              k_paramPublished | k_paramValueStrings);
        table_[kCut] = param(kCut, "Cut", "Cutoff Frequency", k_kindFloat, 0, 100, 50,
                             k_paramPublished | k_paramSmoothed);
        table_[kData] =
            param(kData, "Data", "Data Block", k_kindData, 0, kDataBytes, 0, k_paramAlwaysNotify);
        table_[kLevel] = param(kLevel, "Level", "Level", k_kindFloat, 0, 1, 0.5f, 0);
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
        case kCut:
            return &cut;
        case kData:
            return data;
        case kLevel:
            return &level;
        default:
            return nullptr;
        }
    }
    int32_t getValueStrings(uint32_t local, AM_ValueNames* list) override
    {
        static const char kNames[4][k_valueNameBytes] = {"one", "two", "three", "four"};
        if (local != kMode)
            return 0;
        if (list)
            *list = kNames;
        return 4;
    }
    void parameterChanged(uint32_t*, float*, AM_ParamChangeContext*) override { ++changes; }
    void midiEvent(int32_t kind, int32_t number, float value, float extra, uint32_t frame) override
    {
        if (eventCount < kMaxEvents)
            events[eventCount++] = MidiRecord{kind, number, value, extra, frame};
    }

    float gain = 0.0f;
    int32_t mode = 0;
    float cut = 0.0f;
    uint8_t data[kDataBytes] = {};
    float level = 0.0f;
    int changes = 0;
    std::array<MidiRecord, kMaxEvents> events{};
    size_t eventCount = 0;

protected:
    void run(int32_t, AM_ProcessContext*) override {}

private:
    static AM_ParamInfo param(uint32_t index, const char* shortName, const char* longName,
                              uint32_t type, float min, float max, float def, uint32_t flags)
    {
        return AM_makeParamInfo(index, shortName, longName, type, min, max, def, flags, 0);
    }
    AM_ParamInfo table_[kCount];
};

// The controller map of the test instrument: one per process, as the
// instrument keeps it.
inline int32_t g_controllerMap[AM_MidiMapFile::kControllers];

// An engine with an identity: vendor "Orlen", effect "TestSynth",
// component "TestSynthComp", the process-wide controller map, and the
// modules "AM1: AccessOne" and "AM2: AccessTwo".
class StartupAudioMan : public BareAudioMan {
public:
    static constexpr uint32_t kId = 0x54737431; // 'Tst1'
    static constexpr const char* kEffect = "TestSynth";

    explicit StartupAudioMan(bool withMap = true) : withMap_(withMap)
    {
        std::strcpy(pluginInfo_.effectName, kEffect);
        std::strcpy(pluginInfo_.productName, kEffect);
        std::strcpy(pluginInfo_.componentName, "TestSynthComp");
        builder = [this](BareAudioMan& engine) {
            first = new AccessModule(&engine, "AM1: AccessOne");
            second = new AccessModule(&engine, "AM2: AccessTwo");
            engine.addModule(first);
            engine.addModule(second);
        };
    }
    int32_t* getMidiCCMap() override { return withMap_ ? g_controllerMap : nullptr; }

    // The global id of (module, parameter); -1 when there is none.
    int32_t id(const char* module, const char* parameter)
    {
        const AM_ParamInfo* info = findParameter(module, parameter);
        return info ? static_cast<int32_t>(info->index) : -1;
    }
    std::string chunkText()
    {
        uint32_t size = 0;
        const char* chunk = getChunk(&size, nullptr);
        return chunk ? std::string(chunk, size) : std::string();
    }

    AccessModule* first = nullptr;
    AccessModule* second = nullptr;

private:
    bool withMap_;
};

// Builds and initialises an engine of the given plug-in ID (0: no start-up
// files).
inline std::unique_ptr<StartupAudioMan> makeStartupEngine(uint32_t id = StartupAudioMan::kId,
                                                          bool withMap = true)
{
    auto engine = std::make_unique<StartupAudioMan>(withMap);
    engine->setPluginId(id);
    engine->init();
    return engine;
}

// Closes an instance as the plug-in class does: the last one of its ID
// saves the start-up files first.
inline void closeInstance(std::unique_ptr<StartupAudioMan>& engine)
{
    if (engine->getInstanceCount() == 1)
        engine->saveStartupFiles();
    engine.reset();
}

// The state text of a preset: an engine without start-up files whose
// parameters are set by (module, parameter, value) before it runs.
struct PresetValue {
    const char* module;
    const char* parameter;
    float value;
};
inline std::string presetText(const std::vector<PresetValue>& values,
                              const std::vector<uint8_t>& data = {})
{
    auto engine = makeStartupEngine(0);
    for (const PresetValue& v : values)
        engine->setParameter(engine->id(v.module, v.parameter), v.value, false);
    if (!data.empty())
        engine->setBinaryParameterData(engine->id("AM1", "Data"), data.data(),
                                       static_cast<uint32_t>(data.size()));
    return engine->chunkText();
}

// A program file ("fxp") around a chunk: the 60-byte big-endian header.
inline std::string programFile(const std::string& chunk, uint32_t magic = 0x43636E4B,
                               uint32_t format = 0x46504368)
{
    std::string file(60, '\0');
    auto put = [&file](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + static_cast<size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
    };
    put(0, magic);
    put(4, static_cast<uint32_t>(chunk.size() + 52));
    put(8, format);
    put(12, 1);
    put(16, StartupAudioMan::kId);
    put(20, 1);
    put(56, static_cast<uint32_t>(chunk.size()));
    return file + chunk;
}

} // namespace enginetest
