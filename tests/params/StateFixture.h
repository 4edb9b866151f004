#pragma once
// The fixture of the patch-state tests: an engine whose owner services work
// the way the audio manager's do (data blocks through the modules' storage,
// parameters by short names, preset adapters, engine options), and a tree
// whose modules carry every kind of parameter:
//
//   main > [PCore (2 XY axes, 1 slot each, 2 matrix rows),
//           OSC1 "Osc1": every kind (list with names, integer, floats,
//                        source selectors of both lists, binary and text
//                        data, assignment, meter, hidden, not saved, 0x8000,
//                        numbered families), a method "shift(F)",
//           ENV1 "Env1", ENV2 "Env2": two sources each ("Env1 0", ...),
//           ARP "ArpMod": one source of a renamed name,
//           VC "Voices" > [VOX "Vox"]]

#include "FixtureModule.h"
#include "ParamEngine.h"
#include "engine/module/AM_CircuitObject.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_ProcessContext.h"
#include "params/AM_AudioObjectMethod.h"
#include "params/AM_PresetAdapter.h"
#include "params/AM_QuadText.h"
#include "platform/Trace.h"
#include "script/AM_ScriptMachine.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testfixture {

enum StateOscParam : uint32_t {
    kOscWave,   // list 0..3, names, saved by name
    kOscOctave, // integer -2..2
    kOscPitch,  // smoothed float
    kOscCutoff, // float
    kOscSource, // modulation-source selector
    kOscSource2,
    kOscTable,  // binary data, 10 bytes
    kOscName,   // text data, 16 bytes
    kOscTarget, // assignment
    kOscLevel,  // meter
    kOscHidden, // 0x100
    kOscNotSaved,
    kOscGuiOnly, // 0x8000
    kOscStage1Level,
    kOscStage1Time,
    kOscStage2Level,
    kOscStage2Time,
    kOscStage3Level,
    kOscStage3Time,
    kOscStep1,
    kOscStep2,
    kOscStep3,
    kOscStep4,
    kOscParams
};

enum StateEnvParam : uint32_t { kEnvAttack, kEnvRelease, kEnvMode, kEnvParams };

constexpr uint32_t kTableBytes = 10;
constexpr uint32_t kNameBytes = 16;

// A script method of a module: shift(F) adds its argument to the module's
// "Cutoff" and answers the new value; "reload(I)" reads the module's
// stored text back through the manager (a nested state read).
class FixtureMethod : public AM_AudioObjectMethod {
public:
    using Call = std::function<float(AM_AudioObject*, const FixtureMethod&)>;
    FixtureMethod(const char* signature, Call call) : call_(std::move(call))
    {
        setSignature(signature);
    }
    int32_t callInt(AM_ScriptMachine&) override
    {
        return static_cast<int32_t>(call_(addressedModule(), *this));
    }
    float callFloat(AM_ScriptMachine&) override { return call_(addressedModule(), *this); }

private:
    Call call_;
};

class StateModule : public FixtureModule {
public:
    StateModule(AM_EngineOwner* owner, const ModulePlan& plan,
                std::map<uint32_t, std::vector<std::string>> names = {})
        : FixtureModule(owner, plan), names_(std::move(names))
    {
        for (uint32_t local = 0; local < plan.params.size(); ++local) {
            const AM_ParamInfo& p = plan.params[local];
            if (p.kind() == k_kindData)
                data[local].assign(static_cast<size_t>(p.max), 0);
            auto found = names_.find(local);
            if (found != names_.end()) {
                auto& table = tables_[local];
                table.assign(found->second.size(), {});
                for (size_t i = 0; i < found->second.size(); ++i)
                    std::strncpy(table[i].data(), found->second[i].c_str(), k_valueNameBytes - 1);
            }
        }
    }

    void* getParameterAddress(uint32_t local) override
    {
        if (missingData)
            return nullptr;
        auto found = data.find(local);
        if (found != data.end())
            return found->second.data();
        return FixtureModule::getParameterAddress(local);
    }
    int32_t getValueStrings(uint32_t local, AM_ValueNames* list) override
    {
        auto found = tables_.find(local);
        if (found == tables_.end())
            return 0;
        if (list)
            *list = reinterpret_cast<AM_ValueNames>(found->second.data());
        return static_cast<int32_t>(found->second.size());
    }
    bool isActive(int32_t index) override { return active && FixtureModule::isActive(index); }

    AM_AudioObjectMethod* makeMethodRecord(const char* name) override
    {
        auto found = methods.find(name);
        if (found == methods.end())
            return nullptr;
        return new FixtureMethod(found->second.first.c_str(), found->second.second);
    }
    // Data blocks by name: Module.Table.byte<k> reads and writes byte k.
    bool readDataByName(uint32_t local, AM_NamePartList parts, int32_t count, float* value) override
    {
        const int32_t k = byteIndex(local, parts, count);
        if (k < 0)
            return false;
        *value = data[local][static_cast<size_t>(k)];
        return true;
    }
    bool writeDataByName(uint32_t local, AM_NamePartList parts, int32_t count, float value) override
    {
        const int32_t k = byteIndex(local, parts, count);
        if (k < 0)
            return false;
        data[local][static_cast<size_t>(k)] = static_cast<uint8_t>(value);
        return true;
    }
    // Module.Table.fill(a): every byte becomes a (b ignored).
    bool callMethodByName(uint32_t local, AM_NamePartList parts, int32_t count, void*, float a,
                          float) override
    {
        auto found = data.find(local);
        if (found == data.end() || count < 3 || std::strcmp(parts[2], "fill") != 0)
            return false;
        std::fill(found->second.begin(), found->second.end(), static_cast<uint8_t>(a));
        return true;
    }

    std::map<uint32_t, std::vector<uint8_t>> data;
    bool active = true;
    bool missingData = false; // no storage at all (data blocks have none to give)
    std::map<std::string, std::pair<std::string, FixtureMethod::Call>> methods;

private:
    int32_t byteIndex(uint32_t local, AM_NamePartList parts, int32_t count)
    {
        auto found = data.find(local);
        if (found == data.end() || count < 3 || std::strncmp(parts[2], "byte", 4) != 0)
            return -1;
        const int32_t k = std::atoi(parts[2] + 4);
        return k >= 0 && k < static_cast<int32_t>(found->second.size()) ? k : -1;
    }

    std::map<uint32_t, std::vector<std::string>> names_;
    std::map<uint32_t, std::vector<std::array<char, k_valueNameBytes>>> tables_;
};

// A preset adapter that records its calls and renames module "OLDOSC" to
// OSC1 and key "Tune" to "Pitch".
class FixtureAdapter : public AM_PresetAdapter {
public:
    explicit FixtureAdapter(const char* product, bool resets = true)
        : AM_PresetAdapter(product), resets_(resets)
    {
    }
    bool translateModule(char* name, uint32_t capacity) override
    {
        calls.push_back(std::string("module ") + name);
        if (std::strcmp(name, "OLDOSC") == 0) {
            std::strncpy(name, "OSC1", capacity - 1);
            return true;
        }
        return false;
    }
    const char* translateKey(const char* key) override
    {
        calls.push_back(std::string("key ") + key);
        return std::strcmp(key, "Tune") == 0 ? "Pitch" : key;
    }
    void endImport() override { calls.emplace_back("end"); }
    bool resetsUnmentioned() override { return resets_; }
    void beginImport() override { calls.emplace_back("begin"); }

    std::vector<std::string> calls;

private:
    bool resets_;
};

class StateEngine : public ParamEngine {
public:
    explicit StateEngine(int32_t axes = 2, int32_t slots = 1, int32_t rows = 2)
        : ParamEngine(axes, slots, rows)
    {
        std::strcpy(getPluginInfo()->effectName, "KestanK4");
    }

    void* getBinaryParameterData(int32_t index) override
    {
        const AM_ParamInfo* p = paraMan->getParameterInfo(index);
        AM_AudioObject* module = p ? paraMan->getModuleObject(p->moduleIndex) : nullptr;
        if (!module || p->kind() != k_kindData)
            return nullptr;
        void* address = module->getParameterAddress(p->localNumber);
        return address ? address : module->getParameterData(p->localNumber);
    }
    // As the audio manager before the engine processes: the first
    // min(size, block size) bytes, the rest zeros.
    void setBinaryParameterData(int32_t index, const void* source, uint32_t size) override
    {
        const AM_ParamInfo* p = paraMan->getParameterInfo(index);
        AM_AudioObject* module = p ? paraMan->getModuleObject(p->moduleIndex) : nullptr;
        if (!module || p->kind() != k_kindData)
            return;
        ++dataWrites;
        void* address = module->getParameterAddress(p->localNumber);
        if (!address)
            return;
        const size_t bytes = static_cast<size_t>(p->max);
        const size_t copied = std::min<size_t>(size, bytes);
        std::memcpy(address, source, copied);
        std::memset(static_cast<uint8_t*>(address) + copied, 0, bytes - copied);
    }
    AM_ParamInfo* findParameter(const char* moduleShort, const char* parameterShort) override
    {
        for (int32_t m = 0; m < getModuleCount(); ++m) {
            const AM_ModuleRecord* record = getModuleRecord(m);
            if (!record || std::strncmp(record->shortName, moduleShort, 8) != 0)
                continue;
            for (int32_t i = 0; i < paraMan->getJointParameterCount(); ++i) {
                AM_ParamInfo* p = paraMan->getParameterInfo(i);
                if (p->moduleIndex == m && std::strncmp(p->shortName, parameterShort, 8) == 0)
                    return p;
            }
            return nullptr;
        }
        return nullptr;
    }
    void setEngineOption(int32_t index, uint32_t value) override
    {
        options.emplace_back(index, value);
    }
    AM_PresetAdapter* findPresetAdapter(const char* product) override
    {
        for (auto& adapter : adapters)
            if (std::strcmp(adapter->getProductName(), product) == 0)
                return adapter.get();
        return nullptr;
    }

    std::vector<std::pair<int32_t, uint32_t>> options;
    std::vector<std::unique_ptr<AM_PresetAdapter>> adapters;
    int dataWrites = 0;
};

inline ModulePlan oscillatorPlan(const char* name)
{
    ModulePlan s;
    s.name = name;
    s.params = {
        makeParam("Wave", "Waveform", k_kindInteger, 0, 3, 1, 0x4004),
        makeParam("Oct", "Octave", k_kindInteger, -2, 2, 0, 0),
        makeParam("Pitch", "Pitch", k_kindFloat, -24, 24, 0, 0x2),
        makeParam("Cut", "Cutoff", k_kindFloat, 0, 100, 50, 0),
        makeParam("Src", "Source", k_kindInteger, 0, 0, 0, 0x10),
        makeParam("Src2", "Source2", k_kindInteger, 0, 0, 0, 0x10 | 0x400000),
        makeParam("Tbl", "Table", k_typeBinaryData, 0, kTableBytes, 0, 0),
        makeParam("Name", "Name", k_typeTextData, 0, kNameBytes, 0, 0x8000000),
        makeParam("Dest", "Target", k_kindAssignment, -1, 0, -1, 0),
        makeParam("Lvl", "Level", k_meter, 0, 1, 0, 0),
        makeParam("Hid", "Hidden", k_kindFloat, 0, 1, 0.25f, 0x100),
        makeParam("NoSv", "NotSaved", k_kindFloat, 0, 1, 0.25f, 0x400),
        makeParam("GuiO", "GuiOnly", k_kindFloat, 0, 4, 1, 0x8000),
        makeParam("S1L", "Stage1 Level", k_kindFloat, 0, 1, 0.1f, 0),
        makeParam("S1T", "Stage1 Time", k_kindFloat, 0, 9, 1, 0),
        makeParam("S2L", "Stage2 Level", k_kindFloat, 0, 1, 0.2f, 0),
        makeParam("S2T", "Stage2 Time", k_kindFloat, 0, 9, 2, 0),
        makeParam("S3L", "Stage3 Level", k_kindFloat, 0, 1, 0.3f, 0),
        makeParam("S3T", "Stage3 Time", k_kindFloat, 0, 9, 3, 0),
        makeParam("St1", "Step1", k_kindInteger, 0, 9, 1, 0),
        makeParam("St2", "Step2", k_kindInteger, 0, 9, 2, 0),
        makeParam("St3", "Step3", k_kindInteger, 0, 9, 3, 0),
        makeParam("St4", "Step4", k_kindInteger, 0, 9, 4, 0),
    };
    return s;
}

inline ModulePlan envelopePlan(const char* name)
{
    ModulePlan s;
    s.name = name;
    s.sources = 2;
    s.sourceFlags = {0xa0000 | 0x400000, 0xa0000};
    s.params = {
        makeParam("Att", "Attack", k_kindFloat, 0, 10, 1, 0x2),
        makeParam("Rel", "Release", k_kindFloat, 0, 10, 2, 0),
        makeParam("Mode", "Mode", k_kindInteger, 0, 1, 0, 0x4000),
    };
    return s;
}

struct StateTree {
    StateTree()
    {
        osc = new StateModule(&engine, oscillatorPlan("OSC1: Osc1"),
                              {{kOscWave, {"Saw", "Square", "Tri", "Sine Wave"}}});
        env1 = new StateModule(&engine, envelopePlan("ENV1: Env1"), {{kEnvMode, {"Gate", "Loop"}}});
        env2 = new StateModule(&engine, envelopePlan("ENV2: Env2"), {{kEnvMode, {"Gate", "Loop"}}});
        vc = new AM_CircuitObject(&engine, "VC: Voices", 2, 2);
        ModulePlan voxPlan;
        voxPlan.name = "VOX: Vox";
        voxPlan.params = {makeParam("Gain", "Gain", k_kindFloat, 0, 2, 1, 0)};
        vox = new StateModule(&engine, voxPlan);
        vc->addChild(vox);
        engine.addModule(osc);
        engine.addModule(env1);
        ModulePlan arpPlan;
        arpPlan.name = "ARP: ArpMod";
        arpPlan.sources = 1;
        arpPlan.params = {makeParam("Rate", "Rate", k_kindFloat, 0, 10, 5, 0)};
        arp = new StateModule(&engine, arpPlan);
        engine.addModule(env2);
        engine.addModule(arp);
        engine.addModule(vc);
        engine.init();
    }
    AM_ParaMan& man() { return *engine.paraMan; }
    int32_t id(AM_AudioObject* module, uint32_t local) { return engine.idOf(module, local); }
    float value(AM_AudioObject* module, uint32_t local)
    {
        return man().getValue(id(module, local), false);
    }
    void set(AM_AudioObject* module, uint32_t local, float v) { engine.set(id(module, local), v); }
    int32_t moduleIndex(AM_AudioObject* module)
    {
        return static_cast<int32_t>(module->getModuleIndex());
    }
    int32_t core(int32_t global) { return man().ownId(man().getLayout().globalLocal(global)); }

    // The whole chunk of writeState as bytes.
    std::string write(const char* firstLine = nullptr)
    {
        uint32_t size = 0;
        const char* chunk = man().writeState(&size, firstLine);
        return chunk ? std::string(chunk, size) : std::string();
    }
    // Reads a text of exactly its bytes (no terminator behind it).
    bool read(const std::string& text, int32_t mode = 0)
    {
        std::unique_ptr<char[]> copy(new char[text.size() + 1]);
        std::memcpy(copy.get(), text.data(), text.size());
        return man().readState(copy.get(), static_cast<int32_t>(text.size()), mode);
    }
    // The state text alone (createSetting), without the binary section.
    std::string text()
    {
        std::string out;
        man().createSetting(
            [](AM_ParaMan*, const char* piece, void* s) { *static_cast<std::string*>(s) += piece; },
            &out);
        return out;
    }

    StateEngine engine;
    StateModule* osc;
    StateModule* env1;
    StateModule* env2;
    StateModule* arp;
    AM_CircuitObject* vc;
    StateModule* vox;
};

} // namespace testfixture
