#include "script/AM_ScriptVariable.h"

#include <cstring>

AM_ScriptVariable::AM_ScriptVariable(const char* text, uint32_t slotIndex, uint32_t typeCode,
                                     uint32_t elementCount, uint32_t flagBits)
    : slot(slotIndex), type(typeCode), count(elementCount), flags(flagBits)
{
    std::memset(name, 0, sizeof(name));
    for (int32_t i = 0; i < script::kMaxVariableName && text[i]; ++i)
        name[i] = text[i];
}

void AM_ScriptVariable::deleteChain(AM_ScriptVariable* first)
{
    while (first) {
        AM_ScriptVariable* next = first->next;
        delete first;
        first = next;
    }
}
