#pragma once
// The routines of the instructions. Each performs one instruction on the
// machine's registers and storage and returns the index of the next
// instruction (or a chain end, AM_Instruction.h). They run on the thread
// that runs the script and allocate nothing.

#include "script/AM_Instruction.h"

#include <cstdint>

class AM_ScriptMachine;

namespace script {

// Float to int by truncation toward zero; NaN gives 0, values beyond the
// int range give the nearest end of it.
int32_t truncateToInt(float value);

struct Routines {
    static int32_t endOfLine(AM_ScriptMachine&, const AM_Instruction&, int32_t);
    static int32_t nop(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t jump(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t branchTrue(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t branchFalse(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t returnFromFunction(AM_ScriptMachine&, const AM_Instruction&, int32_t);

    static int32_t loadFloat(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t loadInt(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t loadFloatElement(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t loadIntElement(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t loadFloatConstant(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t loadIntConstant(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t loadFloatProperty(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t loadIntProperty(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t storeFloat(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t storeInt(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t storeFloatElement(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t storeIntElement(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t storeFloatProperty(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t storeIntProperty(AM_ScriptMachine&, const AM_Instruction&, int32_t index);

    // The call of a script function (operand: its AM_Symbol) and of a module
    // method (operand: its AMM_ObjectMethod).
    static int32_t callFunction(AM_ScriptMachine&, const AM_Instruction&, int32_t index);
    static int32_t callMethod(AM_ScriptMachine&, const AM_Instruction&, int32_t index);

    // Register access for the routines defined elsewhere (operators,
    // built-ins); numbers are taken modulo the register storage.
    static float& floatRegister(AM_ScriptMachine& machine, uint32_t number);
    static int32_t& intRegister(AM_ScriptMachine& machine, uint32_t number);
};

} // namespace script
