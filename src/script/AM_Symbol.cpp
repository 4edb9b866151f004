#include "script/AM_Symbol.h"

#include <cstring>

AM_Symbol::AM_Symbol(const char* text, uint32_t start) : codeStart(start)
{
    std::memset(name, 0, sizeof(name));
    std::memset(letters, 0, sizeof(letters));
    for (auto& p : parameters)
        p = nullptr;
    for (int32_t i = 0; i < script::kMaxFunctionName && text[i]; ++i)
        name[i] = text[i];
}

AM_Symbol* AM_Symbol::find(const char* text)
{
    for (AM_Symbol* s = this; s; s = s->next)
        if (std::strncmp(s->name, text, script::kMaxFunctionName) == 0)
            return s;
    return nullptr;
}

void AM_Symbol::deleteChain(AM_Symbol* first)
{
    while (first) {
        AM_Symbol* next = first->next;
        delete first;
        first = next;
    }
}

bool AM_Symbol::addParameter(char letter, AM_ScriptVariable* variable)
{
    if (letterCount < 1 || letterCount > static_cast<uint32_t>(script::kMaxParameters))
        return false;
    letters[letterCount] = letter;
    parameters[letterCount] = variable;
    ++letterCount;
    return true;
}
