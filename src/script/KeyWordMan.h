#pragma once
// The keyword resolver: the name spaces a script compiles against beyond its
// own variables. The base knows the built-in functions and the script's own
// functions (its symbol chain) and keeps the accessor objects made for
// dotted names; a subclass binds dotted names (Module.Param, Module[i].x,
// Module.method(..)) to the engine by overriding createAccessor and
// findMethod and registering what it makes with addAccessor.
//
// A resolver is used by the machines of one parameter manager, one at a time
// on one thread (a script may cause a nested state read: the inner machine
// then shares the resolver with the outer one, and releasing the inner one
// removes only what it registered). Never the audio thread.

#include "script/AM_FunctionRecord.h"
#include "script/ScriptLimits.h"

#include <cstdint>

class AMM_ObjectAccessor;
class AMM_ObjectProperty;
class AMM_ObjectMethod;
class AM_Symbol;

// A dotted name as the compiler hands it over: each part zero-terminated,
// an indexed part with '@' appended (Module[2].Param gives "Module@" and
// "Param"; the index values reach the accessor at run time), and the whole
// name with its parts joined by '.'.
struct AM_NameParts {
    char parts[script::kMaxNameParts][script::kNamePartCapacity];
    int32_t count;
    char text[script::kMaxNameParts * script::kNamePartCapacity];
};

class KeyWordMan {
public:
    // Starts the symbol chain with "main" (code start 0).
    KeyWordMan();
    // As clear.
    virtual ~KeyWordMan();
    KeyWordMan(const KeyWordMan&) = delete;
    KeyWordMan& operator=(const KeyWordMan&) = delete;

    // A built-in function, else a script function of the symbol chain
    // (newest first), or null. The record of a script function is held by
    // the resolver and valid until the next call.
    virtual const AM_FunctionRecord* findFunction(const char* name);
    // An accessor for a dotted name used as a value or target, registered
    // with addAccessor; null when the name means nothing. The base knows no
    // dotted names.
    virtual AMM_ObjectProperty* createAccessor(const AM_NameParts& name);
    // A method record for a dotted name followed by '(', registered with
    // addAccessor; null when there is none. The base knows none.
    virtual AMM_ObjectMethod* findMethod(const AM_NameParts& name);
    // Pushes at the front of the accessor list (the resolver owns it from
    // now on); returns the old head.
    virtual AMM_ObjectAccessor* addAccessor(AMM_ObjectAccessor* accessor);
    // Pushes at the front of the symbol chain (owned from now on); returns
    // the old head.
    virtual AM_Symbol* addSymbol(AM_Symbol* symbol);
    // Deletes the accessor list and the symbol chain; clears the prototype.
    virtual void clear();

    // Operations of the engine binding; the script engine does not call
    // them.
    virtual int32_t getParsePosition() = 0;
    virtual void setParsePosition(int32_t position) = 0;
    virtual bool getValue(const char* name, float* value) = 0;
    virtual bool setValue(const char* name, float value) = 0;
    virtual float callMethod(const char* name, float a, float b, void* context);

    virtual void setPrototype(uint64_t value) { prototype_ = value; }
    virtual uint64_t getPrototype() { return prototype_; }

    AMM_ObjectAccessor* accessors() const { return accessors_; }
    AM_Symbol* symbols() const { return symbols_; }
    // Deletes the accessors and symbols pushed after the given heads were
    // the heads (one by one, newest first), leaving the older ones.
    void releaseTo(AMM_ObjectAccessor* accessorMark, AM_Symbol* symbolMark);
    // Machines working with this resolver; detach returns the number left.
    void attachMachine() { ++machines_; }
    int32_t detachMachine() { return machines_ > 0 ? --machines_ : 0; }

private:
    AMM_ObjectAccessor* accessors_ = nullptr;
    AM_Symbol* symbols_ = nullptr;
    uint64_t prototype_ = 0;
    int32_t machines_ = 0;
    AM_FunctionRecord found_; // the record handed out for a script function
};
