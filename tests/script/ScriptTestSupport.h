#pragma once
// Helpers for the script engine's tests: a keyword resolver with a few
// dotted names and methods backed by plain fields, and a fixture that runs
// sources on a fresh machine and reads variables back by name.

#include "TraceCapture.h"
#include "script/AMM_ObjectAccessor.h"
#include "script/AM_ScriptMachine.h"
#include "script/AM_ScriptVariable.h"
#include "script/KeyWordMan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace scripttest {

// The engine side the test resolver binds to.
struct FakeEngine {
    float freq = 440.0f;
    int32_t wave = 2;
    float level[4] = {0.1f, 0.2f, 0.3f, 0.4f}; // Mod[1] .. Mod[4]
    std::vector<std::string> calls;            // method calls, as text
    float sum[3] = {};                         // last array seen by Osc.sum
};

// Osc.Freq (float), Osc.Wave (int), Mod[i].Level (float, i from 1).
class FakeProperty : public AMM_ObjectProperty {
public:
    enum Which { kFreq, kWave, kLevel };
    FakeProperty(FakeEngine& engine, Which which) : engine_(engine), which_(which)
    {
        valueType = which == kWave ? kIntValue : kFloatValue;
    }
    int32_t getInt() override
    {
        return which_ == kWave ? engine_.wave : static_cast<int32_t>(getFloat());
    }
    float getFloat() override
    {
        switch (which_) {
        case kFreq:
            return engine_.freq;
        case kWave:
            return static_cast<float>(engine_.wave);
        default: {
            int i = indexValues[0] - 1;
            return i >= 0 && i < 4 ? engine_.level[i] : 0.0f;
        }
        }
    }
    void setInt(int32_t v) override
    {
        if (which_ == kWave)
            engine_.wave = v;
        else
            setFloat(static_cast<float>(v));
    }
    void setFloat(float v) override
    {
        if (which_ == kFreq) {
            engine_.freq = v;
        } else if (which_ == kWave) {
            engine_.wave = static_cast<int32_t>(v);
        } else {
            int i = indexValues[0] - 1;
            if (i >= 0 && i < 4)
                engine_.level[i] = v;
        }
    }

private:
    FakeEngine& engine_;
    Which which_;
};

// Osc.reset() -> F, Osc.scale(F, I) -> F, Osc.count(i) -> I (an int array),
// Osc.sum(f) -> F (a float array).
class FakeMethod : public AMM_ObjectMethod {
public:
    FakeMethod(FakeEngine& engine, std::string name, const char* signature)
        : engine_(engine), name_(std::move(name))
    {
        setSignature(signature);
    }
    int32_t callInt(AM_ScriptMachine& machine) override
    {
        engine_.calls.push_back(name_ + "(" + std::to_string(intArgument(0)) + ")");
        int32_t length = 0;
        machine.intArray(static_cast<uint32_t>(intArgument(0)), &length);
        return length;
    }
    float callFloat(AM_ScriptMachine& machine) override
    {
        if (name_ == "scale") {
            engine_.calls.push_back("scale");
            return floatArgument(0) * static_cast<float>(intArgument(1));
        }
        if (name_ == "sum") {
            int32_t length = 0;
            float* data = machine.floatArray(static_cast<uint32_t>(intArgument(0)), &length);
            float total = 0.0f;
            for (int32_t i = 0; i < length; ++i)
                total += data[i];
            engine_.calls.push_back("sum");
            return total;
        }
        engine_.calls.push_back(name_);
        return 1.0f;
    }

private:
    FakeEngine& engine_;
    std::string name_;
};

class TestKeyWords : public KeyWordMan {
public:
    explicit TestKeyWords(FakeEngine& engine) : engine_(engine) {}
    ~TestKeyWords() override { clear(); }

    AMM_ObjectProperty* createAccessor(const AM_NameParts& name) override
    {
        ++accessorRequests;
        FakeProperty* p = nullptr;
        if (name.count == 2 && is(name, 0, "Osc") && is(name, 1, "Freq"))
            p = new FakeProperty(engine_, FakeProperty::kFreq);
        else if (name.count == 2 && is(name, 0, "Osc") && is(name, 1, "Wave"))
            p = new FakeProperty(engine_, FakeProperty::kWave);
        else if (name.count == 2 && is(name, 0, "Mod@") && is(name, 1, "Level"))
            p = new FakeProperty(engine_, FakeProperty::kLevel);
        if (p)
            addAccessor(p);
        return p;
    }
    AMM_ObjectMethod* findMethod(const AM_NameParts& name) override
    {
        if (name.count != 2 || !is(name, 0, "Osc"))
            return nullptr;
        const char* signature = nullptr;
        if (is(name, 1, "reset"))
            signature = "F";
        else if (is(name, 1, "scale"))
            signature = "FFI";
        else if (is(name, 1, "count"))
            signature = "Ii";
        else if (is(name, 1, "sum"))
            signature = "Ff";
        else if (is(name, 1, "bad"))
            signature = "FX";
        if (!signature)
            return nullptr;
        auto* m = new FakeMethod(engine_, name.parts[1], signature);
        addAccessor(m);
        return m;
    }
    int32_t getParsePosition() override { return 0; }
    void setParsePosition(int32_t) override {}
    bool getValue(const char*, float*) override { return false; }
    bool setValue(const char*, float) override { return false; }

    int accessorRequests = 0;

private:
    static bool is(const AM_NameParts& n, int part, const char* text)
    {
        return std::strcmp(n.parts[part], text) == 0;
    }
    FakeEngine& engine_;
};

// A machine over the test resolver.
class ScriptRunner {
public:
    ScriptRunner() : words(engine), machine(std::make_unique<AM_ScriptMachine>(&words)) {}

    // Compiles and runs one block; returns the compile result.
    int32_t run(const std::string& source, uint32_t line = 1)
    {
        consumed =
            machine->compileAndRun(source.data(), line, static_cast<uint32_t>(source.size()));
        return machine->lastCompileResult();
    }
    AM_ScriptVariable* variable(const char* name)
    {
        return machine->findVariable(name, static_cast<uint32_t>(std::strlen(name)));
    }
    float f(const char* name)
    {
        AM_ScriptVariable* v = variable(name);
        EXPECT_NE(v, nullptr) << name;
        return v ? machine->floatVariable(v->slot) : -12345.0f;
    }
    int32_t i(const char* name)
    {
        AM_ScriptVariable* v = variable(name);
        EXPECT_NE(v, nullptr) << name;
        return v ? machine->intVariable(v->slot) : -12345;
    }
    std::vector<float> floats(const char* name)
    {
        AM_ScriptVariable* v = variable(name);
        int32_t n = 0;
        float* data = v ? machine->floatArray(v->slot, &n) : nullptr;
        return data ? std::vector<float>(data, data + n) : std::vector<float>();
    }
    std::vector<int32_t> ints(const char* name)
    {
        AM_ScriptVariable* v = variable(name);
        int32_t n = 0;
        int32_t* data = v ? machine->intArray(v->slot, &n) : nullptr;
        return data ? std::vector<int32_t>(data, data + n) : std::vector<int32_t>();
    }

    FakeEngine engine;
    TestKeyWords words;
    std::unique_ptr<AM_ScriptMachine> machine;
    int32_t consumed = 0;
};

// A runner with the standard output captured.
class ScriptFixture : public ::testing::Test, public ScriptRunner {
protected:
    std::string output() const { return capture.standardOutput(); }
    testsupport::TraceCapture capture;
};

} // namespace scripttest
