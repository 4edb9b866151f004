#include "script/KeyWordMan.h"

#include "script/AMM_ObjectAccessor.h"
#include "script/AM_Symbol.h"
#include "script/BuiltinFunctions.h"
#include "script/ScriptPrint.h"
#include "script/ScriptRoutines.h"

#include <cstring>

KeyWordMan::KeyWordMan() : symbols_(new AM_Symbol("main", 0))
{
    std::memset(&found_, 0, sizeof(found_));
}

KeyWordMan::~KeyWordMan()
{
    // Not through the virtual clear: the subclass is gone already.
    KeyWordMan::clear();
}

const AM_FunctionRecord* KeyWordMan::findFunction(const char* name)
{
    script::print("searching function '%s'\n", name);
    if (const AM_FunctionRecord* builtin = script::findBuiltin(name))
        return builtin;
    AM_Symbol* symbol = symbols_ ? symbols_->find(name) : nullptr;
    if (!symbol) {
        script::print("Not found... returning NULL\n");
        return nullptr;
    }
    script::print("found Symbol '%s'\n", symbol->name);
    std::memset(&found_, 0, sizeof(found_));
    std::memcpy(found_.name, symbol->name, sizeof(found_.name) - 1);
    std::memcpy(found_.signature, symbol->letters, sizeof(symbol->letters));
    found_.letterCount = symbol->letterCount;
    found_.routine = script::Routines::callFunction;
    found_.symbol = symbol;
    return &found_;
}

AMM_ObjectProperty* KeyWordMan::createAccessor(const AM_NameParts&)
{
    return nullptr;
}

AMM_ObjectMethod* KeyWordMan::findMethod(const AM_NameParts&)
{
    return nullptr;
}

AMM_ObjectAccessor* KeyWordMan::addAccessor(AMM_ObjectAccessor* accessor)
{
    AMM_ObjectAccessor* old = accessors_;
    accessor->next = old;
    accessors_ = accessor;
    return old;
}

AM_Symbol* KeyWordMan::addSymbol(AM_Symbol* symbol)
{
    AM_Symbol* old = symbols_;
    symbol->next = old;
    symbols_ = symbol;
    return old;
}

void KeyWordMan::clear()
{
    while (accessors_) {
        AMM_ObjectAccessor* next = accessors_->next;
        delete accessors_;
        accessors_ = next;
    }
    AM_Symbol::deleteChain(symbols_);
    symbols_ = nullptr;
    prototype_ = 0;
}

float KeyWordMan::callMethod(const char*, float, float, void*)
{
    return 0.0f;
}

void KeyWordMan::releaseTo(AMM_ObjectAccessor* accessorMark, AM_Symbol* symbolMark)
{
    while (accessors_ && accessors_ != accessorMark) {
        AMM_ObjectAccessor* next = accessors_->next;
        delete accessors_;
        accessors_ = next;
    }
    while (symbols_ && symbols_ != symbolMark) {
        AM_Symbol* next = symbols_->next;
        delete symbols_;
        symbols_ = next;
    }
}
