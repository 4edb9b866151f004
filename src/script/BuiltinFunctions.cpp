#include "script/BuiltinFunctions.h"

#include "script/ScriptPrint.h"
#include "script/ScriptRandom.h"
#include "script/ScriptRoutines.h"

#include <cstring>
#include <math.h>

namespace script {
namespace {

float& arg(AM_ScriptMachine& m, const AM_Instruction& in, uint32_t k)
{
    return Routines::floatRegister(m, in.destination + k);
}

int32_t intArg(AM_ScriptMachine& m, const AM_Instruction& in, uint32_t k)
{
    return Routines::intRegister(m, in.source + k);
}

// One-argument function: f(x) replaces x.
template <float (*F)(float)>
int32_t unary(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float& x = arg(m, in, 0);
    x = F(x);
    return index + 1;
}

// Two-argument function: f(x, y) replaces x.
template <float (*F)(float, float)>
int32_t binary(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float& x = arg(m, in, 0);
    x = F(x, arg(m, in, 1));
    return index + 1;
}

float absValue(float x)
{
    return fabsf(x);
}
float arcTangent(float x)
{
    return atanf(x);
}
float cosine(float x)
{
    return cosf(x);
}
float sine(float x)
{
    return sinf(x);
}
float tangent(float x)
{
    return tanf(x);
}
float hyperbolicTangent(float x)
{
    return tanhf(x);
}
float naturalLog(float x)
{
    return logf(x);
}
float powerOfTwo(float x)
{
    return powf(2.0f, x);
}
float squareRoot(float x)
{
    return x < 0.0f ? 0.0f : sqrtf(x);
}

float log2Value(float x)
{
    static const float factor = 1.0f / logf(2.0f);
    return logf(x) * factor;
}

float log10Value(float x)
{
    static const float factor = 1.0f / logf(10.0f);
    return logf(x) * factor;
}

float clampValue(float x, float limit)
{
    float v = x;
    if (v > limit)
        v = limit;
    if (v < -limit)
        v = -limit;
    return v;
}

float maxValue(float x, float y)
{
    return x > y ? x : y;
}
float minValue(float x, float y)
{
    return x < y ? x : y;
}
float power(float x, float y)
{
    return powf(x, y);
}
float randomValue(float x, float y)
{
    return x + (y - x) * ScriptRandom::next();
}

// "FFIFIIF": floats 1.5, 3.25, 6.0 and ints 2, 4, 5 print in signature order.
int32_t paramTest(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    print(" AparamTest( %.2f, %d, %.2f, %d, %d, %.2f )\n", static_cast<double>(arg(m, in, 0)),
          intArg(m, in, 0), static_cast<double>(arg(m, in, 1)), intArg(m, in, 1), intArg(m, in, 2),
          static_cast<double>(arg(m, in, 2)));
    return index + 1;
}

constexpr AM_FunctionRecord record(const char* name, const char* signature,
                                   AM_ScriptRoutine routine)
{
    AM_FunctionRecord r{};
    for (int i = 0; name[i] && i < kSymbolNameCapacity - 1; ++i)
        r.name[i] = name[i];
    uint32_t letters = 0;
    for (; signature[letters] && letters < kSignatureCapacity - 1; ++letters)
        r.signature[letters] = signature[letters];
    r.letterCount = letters;
    r.routine = routine;
    r.symbol = nullptr;
    return r;
}

const AM_FunctionRecord kBuiltins[] = {
    record("abs", "FF", unary<absValue>),      record("atan", "FF", unary<arcTangent>),
    record("cos", "FF", unary<cosine>),        record("clamp", "FFF", binary<clampValue>),
    record("ln", "FF", unary<naturalLog>),     record("log2", "FF", unary<log2Value>),
    record("log10", "FF", unary<log10Value>),  record("max", "FFF", binary<maxValue>),
    record("min", "FFF", binary<minValue>),    record("pow", "FFF", binary<power>),
    record("pow2", "FF", unary<powerOfTwo>),   record("rand", "FFF", binary<randomValue>),
    record("sin", "FF", unary<sine>),          record("sqrt", "FF", unary<squareRoot>),
    record("tan", "FF", unary<tangent>),       record("tanh", "FF", unary<hyperbolicTangent>),
    record("paramTest", "FFIFIIF", paramTest), record("", "", nullptr),
};

} // namespace

const AM_FunctionRecord* builtinFunctions()
{
    return kBuiltins;
}

const AM_FunctionRecord* findBuiltin(const char* name)
{
    for (const AM_FunctionRecord* r = kBuiltins; r->routine; ++r)
        if (std::strcmp(r->name, name) == 0)
            return r;
    return nullptr;
}

} // namespace script
