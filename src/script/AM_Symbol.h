#pragma once
// A script function: where its code starts, its result and parameter types
// and the variables that hold its parameters. The root symbol "main" starts
// every symbol chain of a fresh keyword resolver.

#include "script/ScriptLimits.h"

#include <cstdint>

struct AM_ScriptVariable;

class AM_Symbol {
public:
    // Copies at most 63 characters of the name; no letters, no parameters.
    AM_Symbol(const char* name, uint32_t codeStart);
    // Deletes this symbol only; chains are released with deleteChain.
    virtual ~AM_Symbol() = default;
    AM_Symbol(const AM_Symbol&) = delete;
    AM_Symbol& operator=(const AM_Symbol&) = delete;

    // From this symbol along the chain, the first whose name equals (compared
    // over at most 63 characters), or null.
    AM_Symbol* find(const char* name);
    // Deletes a whole chain without recursion.
    static void deleteChain(AM_Symbol* first);

    // Appends a parameter (letter 'F' or 'I'); false when 7 are there already.
    bool addParameter(char letter, AM_ScriptVariable* variable);
    int32_t parameterCount() const
    {
        return letterCount > 0 ? static_cast<int32_t>(letterCount) - 1 : 0;
    }

    uint32_t codeStart;
    char name[script::kSymbolNameCapacity];
    uint32_t letterCount = 0; // the result plus one per parameter
    char letters[script::kMaxParameters + 1];
    AM_ScriptVariable* parameters[script::kMaxParameters + 1]; // parameter k at position k
    AM_Symbol* next = nullptr;
    // The machine whose code the symbol points into; a symbol of another
    // machine is never called.
    const void* owner = nullptr;
};
