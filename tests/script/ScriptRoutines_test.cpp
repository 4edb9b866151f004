// The instruction routines, run one at a time on registers set by hand.

#include "ScriptTestSupport.h"

#include "script/ScriptOpcodes.h"
#include "script/ScriptRoutines.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using script::opcodeInfo;
using script::Routines;

class Registers {
public:
    Registers() : machine(&words) {}
    float& f(uint32_t n) { return Routines::floatRegister(machine, n); }
    int32_t& i(uint32_t n) { return Routines::intRegister(machine, n); }
    // Runs one instruction with destination register 0 and source 1.
    int32_t run(uint8_t opcode, int32_t value = 0)
    {
        AM_Instruction in;
        in.opcode = opcode;
        in.destination = 0;
        in.source = 1;
        in.value = value;
        in.routine = opcodeInfo(opcode).routine;
        return in.routine(machine, in, 10);
    }

    scripttest::FakeEngine engine;
    scripttest::TestKeyWords words{engine};
    AM_ScriptMachine machine;
};

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct IntOp {
    uint8_t opcode;
    int32_t a, b, expected;
};

TEST(ScriptRoutines, IntArithmeticIsDefinedForEveryInput)
{
    const IntOp cases[] = {
        {script::kOpDivide + 1, 7, 2, 3},
        {script::kOpDivide + 1, 7, 0, 0},
        {script::kOpDivide + 1, kMin, -1, kMin},
        {script::kOpModulo + 1, 7, 2, 1},
        {script::kOpModulo + 1, -7, 2, -1},
        {script::kOpModulo + 1, 7, 0, 0},
        {script::kOpModulo + 1, kMin, -1, 0},
        {script::kOpMultiply + 1, kMax, 2, -2},
        {script::kOpAdd + 1, kMax, 1, kMin},
        {script::kOpSubtract + 1, kMin, 1, kMax},
        {script::kOpShiftLeft + 1, -1, 4, -16},
        {script::kOpShiftLeft + 1, 1, 33, 2},
        {script::kOpShiftLeft + 1, 1, -1, kMin},
        {script::kOpShiftRight + 1, -16, 2, -4},
        {script::kOpShiftRight + 1, kMin, 31, -1},
        {script::kOpLess + 1, 1, 2, 1},
        {script::kOpGreaterEqual + 1, 1, 2, 0},
        {script::kOpEqual + 1, 3, 3, 1},
        {script::kOpAnd + 1, 6, 3, 2},
        {script::kOpXor + 1, 6, 3, 5},
        {script::kOpOr + 1, 6, 3, 7},
        {script::kOpLogicalAnd + 1, 6, 0, 0},
        {script::kOpLogicalOr + 1, 0, 3, 1},
        {script::kOpAddAssign + 1, 2, 3, 5},
        {script::kOpShiftRightAssign + 1, -8, 1, -4},
    };
    for (const IntOp& c : cases) {
        Registers r;
        r.i(0) = c.a;
        r.i(1) = c.b;
        EXPECT_EQ(r.run(c.opcode), 11) << opcodeInfo(c.opcode).name;
        EXPECT_EQ(r.i(0), c.expected) << opcodeInfo(c.opcode).name << " " << c.a << ", " << c.b;
    }
}

struct FloatOp {
    uint8_t opcode;
    float a, b, expected;
};

TEST(ScriptRoutines, FloatOperatorsAndTheirTruncatingForms)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const FloatOp cases[] = {
        {script::kOpModulo, 7.9f, 2.0f, 1.0f}, // both truncated first
        {script::kOpModulo, -7.9f, 2.0f, -1.0f},
        {script::kOpModulo, 5.0f, 0.5f, 0.0f}, // 5 mod 0
        {script::kOpDivide, 1.0f, 4.0f, 0.25f},
        {script::kOpShiftLeft, 1.9f, 3.0f, 8.0f},
        {script::kOpShiftRight, -16.0f, 2.0f, -4.0f},
        {script::kOpLess, 1.0f, 2.0f, 1.0f},
        {script::kOpNotEqual, 2.0f, 2.0f, 0.0f},
        {script::kOpAnd, 6.7f, 3.2f, 2.0f},
        {script::kOpLogicalAnd, 0.5f, 2.0f, 1.0f},
        {script::kOpLogicalOr, 0.0f, 0.0f, 0.0f},
        {script::kOpModulo, nan, 2.0f, 0.0f},                         // NaN converts to 0
        {script::kOpShiftLeft, 3e9f, 0.0f, static_cast<float>(kMax)}, // saturates
        {script::kOpMultiplyAssign, 1.5f, 4.0f, 6.0f},
    };
    for (const FloatOp& c : cases) {
        Registers r;
        r.f(0) = c.a;
        r.f(1) = c.b;
        r.run(c.opcode);
        EXPECT_FLOAT_EQ(r.f(0), c.expected)
            << opcodeInfo(c.opcode).name << " " << c.a << ", " << c.b;
    }
}

TEST(ScriptRoutines, MixedFormsConvertTheSource)
{
    Registers r;
    r.f(0) = 1.5f;
    r.i(1) = 2;
    r.run(script::kOpAdd + script::kFormFloatInt);
    EXPECT_FLOAT_EQ(r.f(0), 3.5f);

    r.i(0) = 10;
    r.f(1) = -2.9f; // truncated toward zero
    r.run(script::kOpAdd + script::kFormIntFloat);
    EXPECT_EQ(r.i(0), 8);

    r.i(0) = 1;
    r.f(1) = 0.5f; // truncated to 0: false
    r.run(script::kOpLogicalAnd + script::kFormIntFloat);
    EXPECT_EQ(r.i(0), 0);

    struct Move {
        float from;
        int32_t expected;
    };
    for (Move m : {Move{std::numeric_limits<float>::quiet_NaN(), 0}, Move{1e20f, kMax},
                   Move{-1e20f, kMin}, Move{-2147483648.0f, kMin}, Move{-0.9f, 0}}) {
        r.f(1) = m.from;
        r.run(script::kOpMove + script::kFormIntFloat);
        EXPECT_EQ(r.i(0), m.expected) << m.from;
    }
}

TEST(ScriptRoutines, UnaryOperators)
{
    Registers r;
    r.f(0) = -0.0f;
    r.run(script::kOpNot);
    EXPECT_EQ(r.f(0), 0.0f);
    EXPECT_FALSE(std::signbit(r.f(0)));
    r.f(0) = 0.0f;
    r.run(script::kOpNegate);
    EXPECT_TRUE(std::signbit(r.f(0))); // -0.0 - 0.0
    r.f(0) = -3.0f;
    r.run(script::kOpNot);
    EXPECT_EQ(r.f(0), 1.0f);
    r.i(0) = kMin;
    r.run(script::kOpNegate + 1);
    EXPECT_EQ(r.i(0), kMin);
    r.i(0) = kMax;
    r.run(script::kOpPostIncrement + 1);
    EXPECT_EQ(r.i(0), kMin);
    r.f(0) = 5.7f;
    r.run(script::kOpComplement);
    EXPECT_EQ(r.f(0), -6.0f);
}

TEST(ScriptRoutines, BranchesAndChainEnds)
{
    Registers r;
    r.i(0) = 0;
    EXPECT_EQ(r.run(script::kOpBranchFalse, 5), 15);
    EXPECT_EQ(r.run(script::kOpBranchTrue, 5), 11);
    r.i(0) = 3;
    EXPECT_EQ(r.run(script::kOpBranchTrue, -4), 6);
    EXPECT_EQ(r.run(script::kOpBranchFalse, -4), 11);
    EXPECT_EQ(r.run(script::kOpBranch, 7), 17);
    EXPECT_EQ(r.run(script::kOpEndOfLine), script::kChainEndOfLine);
    EXPECT_EQ(r.run(script::kOpRts), script::kChainReturn);
    EXPECT_EQ(opcodeInfo(script::kOpStop).routine, nullptr);
}

TEST(ScriptRoutines, ArrayElementsOutsideTheArrayReadZeroAndWriteNothing)
{
    scripttest::ScriptRunner runner;
    ASSERT_EQ(runner.run("int a[3] = {4, 5, 6};"), 0);
    const uint32_t slot = runner.variable("a")->slot;
    for (int32_t index : {-1, 3, kMin, kMax}) {
        AM_Instruction in;
        in.opcode = script::kOpLoadIntElement;
        in.value = static_cast<int32_t>(slot);
        in.destination = 0;
        in.source = 1;
        Routines::intRegister(*runner.machine, 0) = 99;
        Routines::intRegister(*runner.machine, 1) = index;
        Routines::loadIntElement(*runner.machine, in, 0);
        EXPECT_EQ(Routines::intRegister(*runner.machine, 0), 0) << index;
        Routines::intRegister(*runner.machine, 0) = 77;
        Routines::storeIntElement(*runner.machine, in, 0);
    }
    EXPECT_EQ(runner.ints("a"), (std::vector<int32_t>{4, 5, 6}));
}

TEST(ScriptOpcodes, TableRowsFollowTheirGroups)
{
    struct Row {
        uint32_t opcode;
        const char* name;
        uint32_t opClass, binary, precedence;
    };
    const Row rows[] = {
        {0, "end of line", 1, 0, 2},
        {1, "stop", 0, 0, 2},
        {6, "branch not equal/false", 0, 0, 2},
        {16, "Load Obj I", 1, 0, 3},
        {22, "Store Obj i", 2, 0, 3},
        {24, "ix->ix(result(ix))", 1, 0, 13},
        {36, "&i[0]->ix", 0, 0, 2},
        {40, "i<-f", 0, 0, 2},
        {52, "i mod f", 1, 1, 5},
        {56, "i+f", 1, 1, 6},
        {64, "i << f", 1, 1, 7},
        {92, "i != f", 1, 1, 8},
        {104, "i | f", 1, 1, 9},
        {112, "i || f", 1, 1, 10},
        {120, "i : f", 1, 1, 11},
        {124, "i --", 4, 0, 1},
        {128, "i = f", 2, 1, 12},
        {148, "i mod= f", 3, 1, 12},
        {168, "i >>= f", 3, 1, 12},
        {172, "i callObj()", 1, 0, 3},
        {173, "done", 0, 0, 0},
    };
    for (const Row& row : rows) {
        const script::AM_OpcodeInfo& info = opcodeInfo(row.opcode);
        EXPECT_EQ(info.opcode, row.opcode);
        EXPECT_STREQ(info.name, row.name);
        EXPECT_EQ(info.opClass, row.opClass) << row.name;
        EXPECT_EQ(info.binary, row.binary) << row.name;
        EXPECT_EQ(info.precedence, row.precedence) << row.name;
    }
    for (uint32_t op = 0; op < script::kOpcodeCount; ++op)
        EXPECT_EQ(opcodeInfo(op).opcode, op);
    EXPECT_EQ(opcodeInfo(500).opcode, script::kOpDone);
    // Compound assignments share the routines of their plain operators.
    EXPECT_EQ(opcodeInfo(script::kOpOrAssign + 1).routine, opcodeInfo(script::kOpOr + 1).routine);
    EXPECT_EQ(opcodeInfo(script::kOpAssign + 3).routine, opcodeInfo(script::kOpMove + 3).routine);
    EXPECT_EQ(opcodeInfo(script::kOpPostDecrement).routine,
              opcodeInfo(script::kOpPreDecrement).routine);
}

} // namespace
