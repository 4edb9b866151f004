#pragma once
// What the script machine knows of the objects a keyword resolver makes for
// dotted names:
//   AMM_ObjectAccessor  the list link and the eight index values/slots that
//                       the machine refreshes from int registers before use;
//   AMM_ObjectProperty  a value read and written by name (Module.Param);
//   AMM_ObjectMethod    a module method called by name (Module.method(..)).
// Subclasses are made by a KeyWordMan subclass, registered with
// KeyWordMan::addAccessor and deleted by it (KeyWordMan::clear).
//
// All operations run on the thread that runs the script (never the audio
// thread).

#include "script/ScriptLimits.h"

#include <cstdint>

class AM_ScriptMachine;

class AMM_ObjectAccessor {
public:
    enum ValueType : uint8_t { kFloatValue = 0, kIntValue = 1 };

    AMM_ObjectAccessor();
    // Deletes this object only; the resolver releases its list one by one.
    virtual ~AMM_ObjectAccessor() = default;
    AMM_ObjectAccessor(const AMM_ObjectAccessor&) = delete;
    AMM_ObjectAccessor& operator=(const AMM_ObjectAccessor&) = delete;

    // Copies, for every slot naming a register, that int register (as a
    // 16-bit value) into the matching index value. Slots holding
    // script::kNoRegister leave their value alone.
    void refreshIndexValues(const int32_t* intRegisters);

    AMM_ObjectAccessor* next = nullptr;         // the resolver's list
    int16_t indexValues[script::kMaxNameParts]; // subscripts of the name parts
    uint8_t indexSlots[script::kMaxNameParts];  // int register of each subscript
    uint8_t valueType = kFloatValue;
};

class AMM_ObjectProperty : public AMM_ObjectAccessor {
public:
    virtual int32_t getInt() = 0;
    virtual float getFloat() = 0;
    virtual void setInt(int32_t value) = 0;
    virtual void setFloat(float value) = 0;
};

// A module method callable from a script. The record carries its signature
// (result letter 'F' or 'I', then per parameter 'F', 'I', 'f' float array or
// 'i' int array; arrays travel as their slot numbers, see
// AM_ScriptMachine::floatArray) and, during a call, the arguments as 32-bit
// patterns.
class AMM_ObjectMethod : public AMM_ObjectAccessor {
public:
    AMM_ObjectMethod();

    // Sets the signature; false (and nothing set) for more than 7 parameters.
    bool setSignature(const char* letters);
    int32_t parameterCount() const
    {
        return letterCount > 0 ? static_cast<int32_t>(letterCount) - 1 : 0;
    }
    float floatArgument(int32_t k) const;
    int32_t intArgument(int32_t k) const;

    // The call with result letter 'I' and 'F'.
    virtual int32_t callInt(AM_ScriptMachine& machine) = 0;
    virtual float callFloat(AM_ScriptMachine& machine) = 0;

    uint32_t letterCount = 0; // the result plus one per parameter
    char resultLetter = 'F';
    char parameterLetters[script::kMaxParameters + 1];
    uint32_t arguments[script::kMaxParameters];
};
