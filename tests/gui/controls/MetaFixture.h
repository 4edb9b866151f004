#pragma once
// An interface with the meta system's parameters and the targets of the XY
// wizard's tables, for the XY pad, the meta XY and the meta range:
//   "PCore": the pad axes "X_1".."Y_4" (-100..100) and, per meta m 1..8 and
//            slot s 1..slots, "MT<m><s>" (target index, -1 for none),
//            "ML<m><s>" and "MR<m><s>" (-100..100)
//   "VCF1".."VCF4": "Cut" 0..127 (64), "Res" 0..100 (0), "FM1", "FM2"
//            -100..100 (0)
//   "ENV1".."ENV4": "Dec", "Rel", "Vel", "Sus" 0..100 (50)
//   "Flat": "Zero", an empty range 5..5
//   "ZMas": text parameters "XY1L".."XY4L" (16 bytes), "XY1T".."XY4T" (64)
// after the modules of the controls' fixture. Values start at the defaults.

#include "ControlFixture.h"

#include <cstdio>
#include <string>

namespace controltest {

class MetaInterface : public NamedInterface {
public:
    struct Options {
        int32_t slots = 8;
        bool labels = true;
    };

    MetaInterface() : MetaInterface(Options{}) {}
    explicit MetaInterface(Options options)
    {
        uint32_t module = 2;
        addModule("PCore", "Core", module);
        for (int32_t pad = 1; pad <= 4; ++pad) {
            for (const char* axis : {"X", "Y"}) {
                const std::string shortName = std::string(axis) + "_" + std::to_string(pad);
                addFloat(shortName, std::string(axis) + std::to_string(pad), k_kindXYAxis, -100,
                         100, 0, module);
            }
        }
        for (int32_t meta = 1; meta <= 8; ++meta) {
            for (int32_t slot = 1; slot <= options.slots; ++slot) {
                const std::string suffix = std::to_string(meta) + std::to_string(slot);
                addFloat("MT" + suffix, "Target " + suffix, k_kindAssignment, -1, 0, -1, module);
                addFloat("ML" + suffix, "Left " + suffix, k_kindFloat, -100, 100, 50, module);
                addFloat("MR" + suffix, "Right " + suffix, k_kindFloat, -100, 100, -50, module);
            }
        }
        for (int32_t n = 1; n <= 4; ++n) {
            ++module;
            const std::string vcf = "VCF" + std::to_string(n);
            addModule(vcf.c_str(), ("Filter " + std::to_string(n)).c_str(), module);
            addFloat("Cut", vcf + " Cutoff", k_kindFloat, 0, 127, 64, module);
            addFloat("Res", vcf + " Resonance", k_kindFloat, 0, 100, 0, module);
            addFloat("FM1", vcf + " FM1", k_kindFloat, -100, 100, 0, module);
            addFloat("FM2", vcf + " FM2", k_kindFloat, -100, 100, 0, module);
        }
        for (int32_t n = 1; n <= 4; ++n) {
            ++module;
            const std::string env = "ENV" + std::to_string(n);
            addModule(env.c_str(), ("Envelope " + std::to_string(n)).c_str(), module);
            for (const char* name : {"Dec", "Rel", "Vel", "Sus"}) {
                addFloat(name, env + " " + name, k_kindFloat, 0, 100, 50, module);
            }
        }
        ++module;
        addModule("Flat", "Flat", module);
        addFloat("Zero", "Empty Range", k_kindFloat, 5, 5, 5, module);
        if (options.labels) {
            ++module;
            addModule("ZMas", "Master", module);
            for (int32_t pad = 1; pad <= 4; ++pad) {
                const std::string n = std::to_string(pad);
                add(AM_makeParamInfo(0, ("XY" + n + "L").c_str(), "Label", k_typeTextData, 0, 16, 0,
                                     0, 0),
                    static_cast<int32_t>(module));
                add(AM_makeParamInfo(0, ("XY" + n + "T").c_str(), "Title", k_typeTextData, 0, 64, 0,
                                     0, 0),
                    static_cast<int32_t>(module));
            }
        }
    }

    // A parameter of the module by short name (null when missing).
    AM_ParamInfo* named(const char* module, const char* name)
    {
        return findParameter(module, name);
    }
    int32_t indexOf(const char* module, const char* name)
    {
        const AM_ParamInfo* info = named(module, name);
        return info != nullptr ? static_cast<int32_t>(info->index) : -1;
    }
    float valueOf(const char* module, const char* name) { return value(indexOf(module, name)); }
    // A meta slot's parameter ("MT", "ML" or "MR").
    float slot(const char* kind, int32_t meta, int32_t s)
    {
        char name[16];
        std::snprintf(name, sizeof name, "%s%d%d", kind, meta, s);
        return valueOf("PCore", name);
    }
    std::string text(const char* module, const char* name)
    {
        const std::vector<uint8_t> bytes = block(indexOf(module, name));
        const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
        return std::string(bytes.begin(), end);
    }
    void setActive(const char* module, bool on)
    {
        for (AM_ModuleRecord& record : moduleTable()) {
            if (std::strcmp(record.shortName, module) == 0) {
                record.group = on ? -1 : 0;
            }
        }
    }

private:
    void addFloat(const std::string& shortName, const std::string& longName, uint32_t type,
                  float minimum, float maximum, float defaultValue, uint32_t module)
    {
        add(AM_makeParamInfo(0, shortName.c_str(), longName.c_str(), type, minimum, maximum,
                             defaultValue, 0, 0),
            static_cast<int32_t>(module));
        const int32_t index = getNumParameters() - 1;
        std::vector<uint8_t> bytes(sizeof defaultValue);
        std::memcpy(bytes.data(), &defaultValue, sizeof defaultValue);
        setBlock(index, bytes);
    }
};

// The controls' fixture on the meta interface.
class MetaTest : public ControlTest {
protected:
    MetaTest() { openOnMeta(); }
    ~MetaTest() override { vm.reset(); }

    // readAndWrite on the meta interface.
    std::string reload(const std::string& script)
    {
        openOnMeta();
        vm->parseScript(script.c_str(), static_cast<int32_t>(script.size()), true);
        std::string written;
        if (AM_ViewControl* top = vm->getTopControl()) {
            top->writeControlTree(&written);
            top->writePropertyTree(&written);
        }
        return written;
    }

    AM_ParamInfo* param(const char* module, const char* name) { return meta.named(module, name); }

    MetaInterface meta;

private:
    // A fresh view manager on the meta interface (the old one goes away).
    void openOnMeta()
    {
        vm.reset();
        vm = std::make_unique<MenuViewMan>(&meta, nullptr, nullptr);
        openTestSynth(*vm);
        AM_installStandardControls(vm.get());
    }
};

} // namespace controltest
