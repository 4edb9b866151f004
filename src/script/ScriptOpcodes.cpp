#include "script/ScriptOpcodes.h"

#include "script/ScriptOperators.h"

namespace script {
namespace {

int32_t incFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    Routines::floatRegister(m, in.destination) += 1.0f;
    return index + 1;
}

int32_t incInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    int32_t& d = Routines::intRegister(m, in.destination);
    d = ops::Add::i(d, 1);
    return index + 1;
}

int32_t decFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    Routines::floatRegister(m, in.destination) -= 1.0f;
    return index + 1;
}

int32_t decInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    int32_t& d = Routines::intRegister(m, in.destination);
    d = ops::Subtract::i(d, 1);
    return index + 1;
}

// -0.0 - x, so that 0.0 negates to -0.0.
int32_t negFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float& d = Routines::floatRegister(m, in.destination);
    d = -0.0f - d;
    return index + 1;
}

int32_t negInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    int32_t& d = Routines::intRegister(m, in.destination);
    d = ops::Subtract::i(0, d);
    return index + 1;
}

// 1.0 for a non-zero value, 0.0 for zero (the float form keeps the truth of
// its operand, unlike the int form).
int32_t notFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float& d = Routines::floatRegister(m, in.destination);
    d = ops::boolFloat(d != 0.0f);
    return index + 1;
}

int32_t notInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    int32_t& d = Routines::intRegister(m, in.destination);
    d = d == 0;
    return index + 1;
}

int32_t complFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float& d = Routines::floatRegister(m, in.destination);
    d = static_cast<float>(~truncateToInt(d));
    return index + 1;
}

int32_t complInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    int32_t& d = Routines::intRegister(m, in.destination);
    d = ~d;
    return index + 1;
}

int32_t moveFF(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    Routines::floatRegister(m, in.destination) = Routines::floatRegister(m, in.source);
    return index + 1;
}

int32_t moveII(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    Routines::intRegister(m, in.destination) = Routines::intRegister(m, in.source);
    return index + 1;
}

int32_t moveFI(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    Routines::floatRegister(m, in.destination) =
        static_cast<float>(Routines::intRegister(m, in.source));
    return index + 1;
}

int32_t moveIF(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    Routines::intRegister(m, in.destination) = truncateToInt(Routines::floatRegister(m, in.source));
    return index + 1;
}

// opcode, class, binary, precedence, routine, name
const AM_OpcodeInfo kOpcodes[kOpcodeCount] = {
    {0, 1, 0, 2, Routines::endOfLine, "end of line"},
    {1, 0, 0, 2, nullptr, "stop"},
    {2, 0, 0, 2, Routines::nop, "nop"},
    {3, 0, 0, 2, Routines::jump, "Jump"},
    {4, 0, 0, 2, Routines::jump, "branch"},
    {5, 0, 0, 2, Routines::branchTrue, "branch equal/true"},
    {6, 0, 0, 2, Routines::branchFalse, "branch not equal/false"},
    {7, 0, 0, 2, Routines::callFunction, "JSR"},
    {8, 0, 0, 2, Routines::returnFromFunction, "RTS"},
    {9, 1, 0, 3, Routines::loadFloat, "Load f"},
    {10, 1, 0, 3, Routines::loadInt, "Load I"},
    {11, 1, 0, 3, Routines::loadFloatElement, "Load f[i]"},
    {12, 1, 0, 3, Routines::loadIntElement, "Load i[i]"},
    {13, 1, 0, 3, Routines::loadFloatConstant, "Load #f"},
    {14, 1, 0, 3, Routines::loadIntConstant, "Load #i"},
    {15, 1, 0, 3, Routines::loadFloatProperty, "Load Obj f"},
    {16, 1, 0, 3, Routines::loadIntProperty, "Load Obj I"},
    {17, 2, 0, 3, Routines::storeFloat, "Store f"},
    {18, 2, 0, 3, Routines::storeInt, "Store i"},
    {19, 2, 0, 3, Routines::storeFloatElement, "Store f[i]"},
    {20, 2, 0, 3, Routines::storeIntElement, "Store i[i]"},
    {21, 2, 0, 3, Routines::storeFloatProperty, "Store Obj f"},
    {22, 2, 0, 3, Routines::storeIntProperty, "Store Obj i"},
    {23, 1, 0, 13, Routines::nop, "ix->ix(result)"},
    {24, 1, 0, 13, Routines::nop, "ix->ix(result(ix))"},
    {25, 4, 0, 4, incFloat, "++f"},
    {26, 4, 0, 4, incInt, "++i"},
    {27, 4, 0, 4, decFloat, "--f"},
    {28, 4, 0, 4, decInt, "--i"},
    {29, 1, 0, 4, negFloat, "-f"},
    {30, 1, 0, 4, negInt, "-i"},
    {31, 1, 0, 4, notFloat, "!f"},
    {32, 1, 0, 4, notInt, "!i"},
    {33, 1, 0, 4, complFloat, "~f"},
    {34, 1, 0, 4, complInt, "~i"},
    {35, 0, 0, 2, Routines::nop, "&f[0]->ix"},
    {36, 0, 0, 2, Routines::nop, "&i[0]->ix"},
    {37, 0, 0, 2, moveFF, "f<-f"},
    {38, 0, 0, 2, moveII, "i<-i"},
    {39, 0, 0, 2, moveFI, "f<-i"},
    {40, 0, 0, 2, moveIF, "i<-f"},
    {41, 1, 1, 5, ops::floatFloat<ops::Multiply>, "f*f"},
    {42, 1, 1, 5, ops::intInt<ops::Multiply>, "i*i"},
    {43, 1, 1, 5, ops::floatInt<ops::Multiply>, "f*i"},
    {44, 1, 1, 5, ops::intFloat<ops::Multiply>, "i*f"},
    {45, 1, 1, 5, ops::floatFloat<ops::Divide>, "f/f"},
    {46, 1, 1, 5, ops::intInt<ops::Divide>, "i/i"},
    {47, 1, 1, 5, ops::floatInt<ops::Divide>, "f/i"},
    {48, 1, 1, 5, ops::intFloat<ops::Divide>, "i/f"},
    {49, 1, 1, 5, ops::floatFloat<ops::Modulo>, "f mod f"},
    {50, 1, 1, 5, ops::intInt<ops::Modulo>, "i mod i"},
    {51, 1, 1, 5, ops::floatInt<ops::Modulo>, "f mod i"},
    {52, 1, 1, 5, ops::intFloat<ops::Modulo>, "i mod f"},
    {53, 1, 1, 6, ops::floatFloat<ops::Add>, "f+f"},
    {54, 1, 1, 6, ops::intInt<ops::Add>, "i+i"},
    {55, 1, 1, 6, ops::floatInt<ops::Add>, "f+i"},
    {56, 1, 1, 6, ops::intFloat<ops::Add>, "i+f"},
    {57, 1, 1, 6, ops::floatFloat<ops::Subtract>, "f-f"},
    {58, 1, 1, 6, ops::intInt<ops::Subtract>, "i-i"},
    {59, 1, 1, 6, ops::floatInt<ops::Subtract>, "f-i"},
    {60, 1, 1, 6, ops::intFloat<ops::Subtract>, "i-f"},
    {61, 1, 1, 7, ops::floatFloat<ops::ShiftLeft>, "f << f"},
    {62, 1, 1, 7, ops::intInt<ops::ShiftLeft>, "i << i"},
    {63, 1, 1, 7, ops::floatInt<ops::ShiftLeft>, "f << i"},
    {64, 1, 1, 7, ops::intFloat<ops::ShiftLeft>, "i << f"},
    {65, 1, 1, 7, ops::floatFloat<ops::ShiftRight>, "f >> f"},
    {66, 1, 1, 7, ops::intInt<ops::ShiftRight>, "i >> i"},
    {67, 1, 1, 7, ops::floatInt<ops::ShiftRight>, "f >> i"},
    {68, 1, 1, 7, ops::intFloat<ops::ShiftRight>, "i >> f"},
    {69, 1, 1, 8, ops::floatFloat<ops::Less>, "f < f"},
    {70, 1, 1, 8, ops::intInt<ops::Less>, "i < i"},
    {71, 1, 1, 8, ops::floatInt<ops::Less>, "f < i"},
    {72, 1, 1, 8, ops::intFloat<ops::Less>, "i < f"},
    {73, 1, 1, 8, ops::floatFloat<ops::LessEqual>, "f <= f"},
    {74, 1, 1, 8, ops::intInt<ops::LessEqual>, "i <= i"},
    {75, 1, 1, 8, ops::floatInt<ops::LessEqual>, "f <= i"},
    {76, 1, 1, 8, ops::intFloat<ops::LessEqual>, "i <= f"},
    {77, 1, 1, 8, ops::floatFloat<ops::Greater>, "f > f"},
    {78, 1, 1, 8, ops::intInt<ops::Greater>, "i > i"},
    {79, 1, 1, 8, ops::floatInt<ops::Greater>, "f > i"},
    {80, 1, 1, 8, ops::intFloat<ops::Greater>, "i > f"},
    {81, 1, 1, 8, ops::floatFloat<ops::GreaterEqual>, "f >= f"},
    {82, 1, 1, 8, ops::intInt<ops::GreaterEqual>, "i >= i"},
    {83, 1, 1, 8, ops::floatInt<ops::GreaterEqual>, "f >= i"},
    {84, 1, 1, 8, ops::intFloat<ops::GreaterEqual>, "i >= f"},
    {85, 1, 1, 8, ops::floatFloat<ops::Equal>, "f == f"},
    {86, 1, 1, 8, ops::intInt<ops::Equal>, "i == i"},
    {87, 1, 1, 8, ops::floatInt<ops::Equal>, "f == i"},
    {88, 1, 1, 8, ops::intFloat<ops::Equal>, "i == f"},
    {89, 1, 1, 8, ops::floatFloat<ops::NotEqual>, "f != f"},
    {90, 1, 1, 8, ops::intInt<ops::NotEqual>, "i != i"},
    {91, 1, 1, 8, ops::floatInt<ops::NotEqual>, "f != i"},
    {92, 1, 1, 8, ops::intFloat<ops::NotEqual>, "i != f"},
    {93, 1, 1, 9, ops::floatFloat<ops::BitAnd>, "f & f"},
    {94, 1, 1, 9, ops::intInt<ops::BitAnd>, "i & i"},
    {95, 1, 1, 9, ops::floatInt<ops::BitAnd>, "f & i"},
    {96, 1, 1, 9, ops::intFloat<ops::BitAnd>, "i & f"},
    {97, 1, 1, 9, ops::floatFloat<ops::BitXor>, "f ^ f"},
    {98, 1, 1, 9, ops::intInt<ops::BitXor>, "i ^ i"},
    {99, 1, 1, 9, ops::floatInt<ops::BitXor>, "f ^ i"},
    {100, 1, 1, 9, ops::intFloat<ops::BitXor>, "i ^ f"},
    {101, 1, 1, 9, ops::floatFloat<ops::BitOr>, "f | f"},
    {102, 1, 1, 9, ops::intInt<ops::BitOr>, "i | i"},
    {103, 1, 1, 9, ops::floatInt<ops::BitOr>, "f | i"},
    {104, 1, 1, 9, ops::intFloat<ops::BitOr>, "i | f"},
    {105, 1, 1, 10, ops::floatFloat<ops::LogicalAnd>, "f && f"},
    {106, 1, 1, 10, ops::intInt<ops::LogicalAnd>, "i && i"},
    {107, 1, 1, 10, ops::floatInt<ops::LogicalAnd>, "f && i"},
    {108, 1, 1, 10, ops::intFloat<ops::LogicalAnd>, "i && f"},
    {109, 1, 1, 10, ops::floatFloat<ops::LogicalOr>, "f || f"},
    {110, 1, 1, 10, ops::intInt<ops::LogicalOr>, "i || i"},
    {111, 1, 1, 10, ops::floatInt<ops::LogicalOr>, "f || i"},
    {112, 1, 1, 10, ops::intFloat<ops::LogicalOr>, "i || f"},
    {113, 1, 1, 11, Routines::nop, "f ? f"},
    {114, 1, 1, 11, Routines::nop, "i ? i"},
    {115, 1, 1, 11, Routines::nop, "f ? i"},
    {116, 1, 1, 11, Routines::nop, "i ? f"},
    {117, 1, 1, 11, Routines::nop, "f : f"},
    {118, 1, 1, 11, Routines::nop, "i : i"},
    {119, 1, 1, 11, Routines::nop, "f : i"},
    {120, 1, 1, 11, Routines::nop, "i : f"},
    {121, 4, 0, 1, incFloat, "f ++"},
    {122, 4, 0, 1, incInt, "i ++"},
    {123, 4, 0, 1, decFloat, "f --"},
    {124, 4, 0, 1, decInt, "i --"},
    {125, 2, 1, 12, moveFF, "f = f"},
    {126, 2, 1, 12, moveII, "i = i"},
    {127, 2, 1, 12, moveFI, "f = i"},
    {128, 2, 1, 12, moveIF, "i = f"},
    {129, 3, 1, 12, ops::floatFloat<ops::Add>, "f += f"},
    {130, 3, 1, 12, ops::intInt<ops::Add>, "i += i"},
    {131, 3, 1, 12, ops::floatInt<ops::Add>, "f += i"},
    {132, 3, 1, 12, ops::intFloat<ops::Add>, "i += f"},
    {133, 3, 1, 12, ops::floatFloat<ops::Subtract>, "f -= f"},
    {134, 3, 1, 12, ops::intInt<ops::Subtract>, "i -= i"},
    {135, 3, 1, 12, ops::floatInt<ops::Subtract>, "f -= i"},
    {136, 3, 1, 12, ops::intFloat<ops::Subtract>, "i -= f"},
    {137, 3, 1, 12, ops::floatFloat<ops::Multiply>, "f *= f"},
    {138, 3, 1, 12, ops::intInt<ops::Multiply>, "i *= i"},
    {139, 3, 1, 12, ops::floatInt<ops::Multiply>, "f *= i"},
    {140, 3, 1, 12, ops::intFloat<ops::Multiply>, "i *= f"},
    {141, 3, 1, 12, ops::floatFloat<ops::Divide>, "f /= f"},
    {142, 3, 1, 12, ops::intInt<ops::Divide>, "i /= i"},
    {143, 3, 1, 12, ops::floatInt<ops::Divide>, "f /= i"},
    {144, 3, 1, 12, ops::intFloat<ops::Divide>, "i /= f"},
    {145, 3, 1, 12, ops::floatFloat<ops::Modulo>, "f mod= f"},
    {146, 3, 1, 12, ops::intInt<ops::Modulo>, "i mod= i"},
    {147, 3, 1, 12, ops::floatInt<ops::Modulo>, "f mod= i"},
    {148, 3, 1, 12, ops::intFloat<ops::Modulo>, "i mod= f"},
    {149, 3, 1, 12, ops::floatFloat<ops::BitAnd>, "f &= f"},
    {150, 3, 1, 12, ops::intInt<ops::BitAnd>, "i &= i"},
    {151, 3, 1, 12, ops::floatInt<ops::BitAnd>, "f &= i"},
    {152, 3, 1, 12, ops::intFloat<ops::BitAnd>, "i &= f"},
    {153, 3, 1, 12, ops::floatFloat<ops::BitOr>, "f |= f"},
    {154, 3, 1, 12, ops::intInt<ops::BitOr>, "i |= i"},
    {155, 3, 1, 12, ops::floatInt<ops::BitOr>, "f |= i"},
    {156, 3, 1, 12, ops::intFloat<ops::BitOr>, "i |= f"},
    {157, 3, 1, 12, ops::floatFloat<ops::BitXor>, "f ^= f"},
    {158, 3, 1, 12, ops::intInt<ops::BitXor>, "i ^= i"},
    {159, 3, 1, 12, ops::floatInt<ops::BitXor>, "f ^= i"},
    {160, 3, 1, 12, ops::intFloat<ops::BitXor>, "i ^= f"},
    {161, 3, 1, 12, ops::floatFloat<ops::ShiftLeft>, "f <<= f"},
    {162, 3, 1, 12, ops::intInt<ops::ShiftLeft>, "i <<= i"},
    {163, 3, 1, 12, ops::floatInt<ops::ShiftLeft>, "f <<= i"},
    {164, 3, 1, 12, ops::intFloat<ops::ShiftLeft>, "i <<= f"},
    {165, 3, 1, 12, ops::floatFloat<ops::ShiftRight>, "f >>= f"},
    {166, 3, 1, 12, ops::intInt<ops::ShiftRight>, "i >>= i"},
    {167, 3, 1, 12, ops::floatInt<ops::ShiftRight>, "f >>= i"},
    {168, 3, 1, 12, ops::intFloat<ops::ShiftRight>, "i >>= f"},
    {169, 1, 0, 3, Routines::callFunction, "f()"},
    {170, 1, 0, 3, Routines::callFunction, "i()"},
    {171, 1, 0, 3, Routines::callMethod, "f callObj()"},
    {172, 1, 0, 3, Routines::callMethod, "i callObj()"},
    {173, 0, 0, 0, nullptr, "done"},
};

} // namespace

const AM_OpcodeInfo& opcodeInfo(uint32_t opcode)
{
    return kOpcodes[opcode < static_cast<uint32_t>(kOpcodeCount) ? opcode
                                                                 : static_cast<uint32_t>(kOpDone)];
}

} // namespace script
