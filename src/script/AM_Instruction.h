#pragma once
// One instruction of the script machine's code area, the routine type that
// performs it, and the operand kinds shared by instructions and the
// compiler's operand records.

#include <cstdint>

class AM_ScriptMachine;
struct AM_Instruction;

// Performs one instruction and tells the dispatch loop where to go on: the
// index of the next instruction to run (index + 1 for most routines, the
// target of a jump), or one of the chain ends below. Runs on the thread that
// runs the script.
using AM_ScriptRoutine = int32_t (*)(AM_ScriptMachine& machine, const AM_Instruction& instruction,
                                     int32_t index);

namespace script {

// Chain ends returned by routines in place of an index.
constexpr int32_t kChainEndOfLine = -1; // "end of line": the statement is done
constexpr int32_t kChainReturn = -2;    // "RTS": the function is done
constexpr int32_t kChainAbort = -3;     // the run was stopped (budget, call depth)

// Operand kinds.
enum OperandKind : uint8_t {
    kKindFloatVariable = 0,
    kKindIntVariable = 1,
    kKindFloatElement = 2,
    kKindIntElement = 3,
    kKindFloatArray = 4,
    kKindIntArray = 5,
    kKindFloatConstant = 6,
    kKindIntConstant = 7,
    kKindFloatProperty = 8,
    kKindIntProperty = 9,
    kKindFloatMethodResult = 10,
    kKindIntMethodResult = 11,
    kKindFloatCallResult = 12,
    kKindIntCallResult = 13,
    kKindFloatRegister = 14,
    kKindIntRegister = 15,
    kKindControl = 16,
    kKindPrefix = 17,
    kKindEmpty = 25,
};

} // namespace script

struct AM_Instruction {
    uint8_t kind = script::kKindControl;
    uint8_t source = 0;      // right operand / index register / first int argument
    uint8_t destination = 0; // left operand and result / tested register / first float argument
    uint8_t opcode = 0;
    int32_t value = 0;      // slot, float bits, int constant, jump distance or line number
    void* object = nullptr; // accessor, method record or function symbol
    AM_ScriptRoutine routine = nullptr;
};
