#pragma once
// A script variable: a float or int scalar, or a float or int array, known
// by name to the compiler and by slot to the running code.

#include "script/ScriptLimits.h"

#include <cstdint>

struct AM_ScriptVariable {
    enum Type : uint32_t { kFloat = 0, kInt = 1, kFloatArray = 2, kIntArray = 3 };

    // Copies at most 31 characters of the name; depth 0, no next.
    AM_ScriptVariable(const char* name, uint32_t slot, uint32_t type, uint32_t count,
                      uint32_t flags);
    // Deletes this record only; chains are released with deleteChain.
    ~AM_ScriptVariable() = default;
    AM_ScriptVariable(const AM_ScriptVariable&) = delete;
    AM_ScriptVariable& operator=(const AM_ScriptVariable&) = delete;

    // Deletes a whole chain, one record after the other (no recursion, so any
    // length is safe).
    static void deleteChain(AM_ScriptVariable* first);

    bool isArray() const { return type == kFloatArray || type == kIntArray; }
    bool isFloat() const { return type == kFloat || type == kFloatArray; }

    char name[script::kNameCapacity];
    uint32_t slot;
    uint32_t type;
    uint32_t count; // elements of an array, 0 for a scalar
    uint32_t flags;
    uint32_t depth = 0; // scope depth of the declaration
    AM_ScriptVariable* next = nullptr;
};
