// Feeds arbitrary bytes to the script compiler and machine the way the
// state reader does: block after block, each text exactly as long as the
// input (no terminating zero behind it), with a small run budget so that
// every input finishes quickly.

#include "platform/Trace.h"
#include "script/AMM_ObjectAccessor.h"
#include "script/AM_ScriptMachine.h"
#include "script/KeyWordMan.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kFuzzRunBudget = 200000;

void discard(void*, const char*) {}

class FuzzProperty : public AMM_ObjectProperty {
public:
    explicit FuzzProperty(uint8_t type) { valueType = type; }
    int32_t getInt() override { return value_ + indexValues[0]; }
    float getFloat() override { return static_cast<float>(value_) * 0.5f; }
    void setInt(int32_t v) override { value_ = v; }
    void setFloat(float v) override
    {
        value_ = v > 0.0f && v < 1000.0f ? static_cast<int32_t>(v) : 0;
    }

private:
    int32_t value_ = 1;
};

class FuzzMethod : public AMM_ObjectMethod {
public:
    explicit FuzzMethod(const char* signature) { setSignature(signature); }
    int32_t callInt(AM_ScriptMachine& machine) override
    {
        int32_t length = 0;
        machine.intArray(static_cast<uint32_t>(intArgument(0)), &length);
        return length;
    }
    float callFloat(AM_ScriptMachine&) override { return floatArgument(0) + 1.0f; }
};

// Knows Mod.x (float), Mod.n (int), any family Mod@.x, and the methods
// Mod.f(float, int) and Mod.len(int[]).
class FuzzKeyWords : public KeyWordMan {
public:
    ~FuzzKeyWords() override { clear(); }
    AMM_ObjectProperty* createAccessor(const AM_NameParts& name) override
    {
        if (name.parts[0][0] != 'M')
            return nullptr;
        auto* p = new FuzzProperty(name.parts[name.count - 1][0] == 'n'
                                       ? AMM_ObjectAccessor::kIntValue
                                       : AMM_ObjectAccessor::kFloatValue);
        addAccessor(p);
        return p;
    }
    AMM_ObjectMethod* findMethod(const AM_NameParts& name) override
    {
        const char* last = name.parts[name.count - 1];
        const char* signature = std::strcmp(last, "f") == 0     ? "FFI"
                                : std::strcmp(last, "len") == 0 ? "Ii"
                                                                : nullptr;
        if (!signature)
            return nullptr;
        auto* m = new FuzzMethod(signature);
        addAccessor(m);
        return m;
    }
    int32_t getParsePosition() override { return 0; }
    void setParsePosition(int32_t) override {}
    bool getValue(const char*, float*) override { return false; }
    bool setValue(const char*, float) override { return false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (platform::setStandardOutputSink(discard, nullptr), true);
    (void)quiet;
    // An exactly sized copy: reading one byte too far is caught.
    std::unique_ptr<char[]> text(new char[size > 0 ? size : 1]);
    if (size > 0)
        std::memcpy(text.get(), data, size);

    FuzzKeyWords words;
    auto machine = std::make_unique<AM_ScriptMachine>(&words);
    machine->setRunBudget(kFuzzRunBudget);
    size_t position = 0;
    uint32_t line = 1;
    while (position < size) {
        const int32_t consumed = machine->compileAndRun(text.get() + position, line,
                                                        static_cast<uint32_t>(size - position));
        line = machine->getLineNumber();
        position += consumed > 0 ? static_cast<size_t>(consumed) : 1;
    }
    machine->dumpVariables();
    return 0;
}
