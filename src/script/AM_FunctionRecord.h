#pragma once
// What a call needs to know of a function: its signature and the routine of
// its call instruction. The same record describes a built-in function and a
// script function (then it also points to the function's symbol).

#include "script/AM_Instruction.h"
#include "script/ScriptLimits.h"

#include <cstdint>

class AM_Symbol;

struct AM_FunctionRecord {
    char name[script::kSymbolNameCapacity];
    // The result letter, then one letter per parameter: 'F' float, 'I' int.
    char signature[script::kSignatureCapacity];
    uint32_t letterCount; // letters of the signature, result included
    AM_ScriptRoutine routine;
    AM_Symbol* symbol; // the script function, null for a built-in
};
