#pragma once
// The opcode table: 174 rows giving each instruction its name, class,
// precedence for the compiler and routine. Rows with four type forms are
// ordered float-float, int-int, float-int, int-float (left operand first);
// the compiler adds 0 to 3 to the float-float row.

#include "script/AM_Instruction.h"

#include <cstdint>

namespace script {

enum Opcode : uint8_t {
    kOpEndOfLine = 0,
    kOpStop = 1,
    kOpNop = 2,
    kOpJump = 3,
    kOpBranch = 4,
    kOpBranchTrue = 5,
    kOpBranchFalse = 6,
    kOpJsr = 7,
    kOpRts = 8,
    kOpLoadFloat = 9,
    kOpLoadInt = 10,
    kOpLoadFloatElement = 11,
    kOpLoadIntElement = 12,
    kOpLoadFloatConstant = 13,
    kOpLoadIntConstant = 14,
    kOpLoadFloatProperty = 15,
    kOpLoadIntProperty = 16,
    kOpStoreFloat = 17,
    kOpStoreInt = 18,
    kOpStoreFloatElement = 19,
    kOpStoreIntElement = 20,
    kOpStoreFloatProperty = 21,
    kOpStoreIntProperty = 22,
    kOpSeparator = 23,         // "ix->ix(result)"
    kOpArgumentSeparator = 24, // "ix->ix(result(ix))"
    kOpPreIncrement = 25,      // "++f", +1 for "++i"
    kOpPreDecrement = 27,      // "--f", +1 for "--i"
    kOpNegate = 29,            // "-f", "-i"
    kOpNot = 31,               // "!f", "!i"
    kOpComplement = 33,        // "~f", "~i"
    kOpMove = 37,              // "f<-f" .. "i<-f"
    kOpMultiply = 41,
    kOpDivide = 45,
    kOpModulo = 49,
    kOpAdd = 53,
    kOpSubtract = 57,
    kOpShiftLeft = 61,
    kOpShiftRight = 65,
    kOpLess = 69,
    kOpLessEqual = 73,
    kOpGreater = 77,
    kOpGreaterEqual = 81,
    kOpEqual = 85,
    kOpNotEqual = 89,
    kOpAnd = 93,
    kOpXor = 97,
    kOpOr = 101,
    kOpLogicalAnd = 105,
    kOpLogicalOr = 109,
    kOpConditional = 113,
    kOpAlternative = 117,
    kOpPostIncrement = 121, // "f ++", +1 for "i ++"
    kOpPostDecrement = 123, // "f --", +1 for "i --"
    kOpAssign = 125,
    kOpAddAssign = 129,
    kOpSubtractAssign = 133,
    kOpMultiplyAssign = 137,
    kOpDivideAssign = 141,
    kOpModuloAssign = 145,
    kOpAndAssign = 149,
    kOpOrAssign = 153,
    kOpXorAssign = 157,
    kOpShiftLeftAssign = 161,
    kOpShiftRightAssign = 165,
    kOpCallFloat = 169,
    kOpCallInt = 170,
    kOpMethodFloat = 171,
    kOpMethodInt = 172,
    kOpDone = 173,
};

constexpr int32_t kOpcodeCount = 174;

// Operand forms added to a four-form row.
constexpr uint8_t kFormFloatFloat = 0;
constexpr uint8_t kFormIntInt = 1;
constexpr uint8_t kFormFloatInt = 2;
constexpr uint8_t kFormIntFloat = 3;

// Opcode classes.
enum OpcodeClass : uint32_t {
    kClassControl = 0,   // control or move
    kClassRead = 1,      // reads its operands
    kClassStore = 2,     // plain store: the left operand is not loaded
    kClassModify = 3,    // read, modify and store back
    kClassIncrement = 4, // increment or decrement
};

struct AM_OpcodeInfo {
    uint32_t opcode;
    uint32_t opClass;
    uint32_t binary;     // 1 when the operator has a right operand
    uint32_t precedence; // smaller binds tighter
    AM_ScriptRoutine routine;
    char name[32];
};

// The row of an opcode; opcodes past the table give the "done" row.
// Any thread.
const AM_OpcodeInfo& opcodeInfo(uint32_t opcode);

} // namespace script
