#pragma once
// The compiler's working records: one operand record per operand of the
// statement being compiled (with the operator that follows it), and the
// result list through which a nested compile (parenthesis, index, argument
// list, initializer, condition) hands its values to fixed registers.

#include "script/AM_Instruction.h"
#include "script/ScriptLimits.h"

#include <cstdint>

class AMM_ObjectProperty;
struct AM_ScriptVariable;

namespace script {

struct PreCode {
    uint8_t kind = kKindEmpty;
    uint8_t indexRegister = kNoRegister; // int register of an array index
    uint8_t reg = 0;                     // register holding the value once loaded
    uint8_t op = 0;                      // opcode of the operator after the operand, 0 none yet
    bool declared = false;               // a whole array declared by this statement
    AM_ScriptVariable* variable = nullptr;
    AMM_ObjectProperty* accessor = nullptr;
    uint32_t constant = 0; // bits of a float constant, or an int constant
};

// Result types.
constexpr int8_t kResultAny = -1;
constexpr int8_t kResultFloat = 0;
constexpr int8_t kResultInt = 1;
constexpr int8_t kResultFloatArray = 2;
constexpr int8_t kResultIntArray = 3;

struct ResultList {
    int32_t count = 0; // values expected (an initializer: the array's length)
    int8_t types[kMaxParameters + 1] = {};
    bool uniform = false; // every value of uniformType (initializers, single values)
    int8_t uniformType = kResultAny;
    const char* arrayName = nullptr; // the array of an initializer, for messages
    bool fixedBase = false;          // the caller set floatBase and intBase (a function result)

    // Filled by the writer (the bases unless fixedBase).
    int32_t matched = 0;   // values delivered
    int32_t floatBase = 0; // register of the first float result
    int32_t intBase = 0;   // register of the first int result
    int8_t resolvedAny = kResultFloat;

    static ResultList single(int8_t type)
    {
        ResultList r;
        r.count = 1;
        r.uniform = true;
        r.uniformType = type;
        return r;
    }
    int8_t type(int32_t k) const
    {
        int8_t t = uniform ? uniformType : types[k];
        return t == kResultAny ? resolvedAny : t;
    }
    static bool inFloatRegister(int8_t type) { return type == kResultFloat; }
    // The register result k was given.
    int32_t registerOf(int32_t k) const
    {
        const bool isFloat = inFloatRegister(type(k));
        int32_t before = 0;
        for (int32_t j = 0; j < k; ++j)
            if (inFloatRegister(type(j)) == isFloat)
                ++before;
        return (isFloat ? floatBase : intBase) + before;
    }
};

} // namespace script
