// The built-in functions, called from scripts, and the shared generator.

#include "ScriptTestSupport.h"

#include "script/BuiltinFunctions.h"
#include "script/ScriptRandom.h"

#include <cmath>

namespace {

using scripttest::ScriptFixture;
using scripttest::ScriptRunner;

struct Case {
    const char* expression;
    float expected;
};

TEST(BuiltinFunctions, EdgeValues)
{
    const Case cases[] = {
        {"sqrt(-4)", 0.0f},    {"sqrt(2.25)", 1.5f},     {"abs(-2.5)", 2.5f},
        {"clamp(5, 2)", 2.0f}, {"clamp(-5, 2)", -2.0f},  {"clamp(1, 2)", 1.0f},
        {"max(1, 2)", 2.0f},   {"min(1, 2)", 1.0f},      {"pow(2, -1)", 0.5f},
        {"pow2(3)", 8.0f},     {"ln(1)", 0.0f},          {"log2(8)", 3.0f},
        {"log10(1000)", 3.0f}, {"atan(0)", 0.0f},        {"cos(0)", 1.0f},
        {"sin(0)", 0.0f},      {"tan(0)", 0.0f},         {"tanh(0)", 0.0f},
        {"rand(3, 3)", 3.0f},  {"sin(1.5707964)", 1.0f}, {"tanh(20)", 1.0f},
    };
    for (const Case& c : cases) {
        ScriptRunner r;
        ASSERT_EQ(r.run(std::string("float v = ") + c.expression + ";"), 0) << c.expression;
        EXPECT_NEAR(r.f("v"), c.expected, 1e-6f) << c.expression;
    }
}

TEST(BuiltinFunctions, AbsClearsTheSignOfMinusZero)
{
    ScriptRunner r;
    ASSERT_EQ(r.run("float z = 0.0; z = -z; float v = abs(z);"), 0);
    EXPECT_FALSE(std::signbit(r.f("v")));
}

TEST(BuiltinFunctions, EqualArgumentsOfMaxAndMinGiveTheSecond)
{
    // -0.0 and 0.0 compare equal; the second argument is the result.
    ScriptRunner r;
    ASSERT_EQ(r.run("float m = 0.0; m = -m; float a = max(m, 0.0); float b = min(0.0, m);"), 0);
    EXPECT_FALSE(std::signbit(r.f("a")));
    EXPECT_TRUE(std::signbit(r.f("b")));
}

TEST(BuiltinFunctions, TheGeneratorFollowsItsSequenceAcrossMachines)
{
    script::ScriptRandom::reset();
    ScriptRunner first;
    ASSERT_EQ(first.run("float a = rand(0, 1); float b = rand(10, 20);"), 0);
    ScriptRunner second;
    ASSERT_EQ(second.run("float c = rand(0, 1);"), 0);
    EXPECT_FLOAT_EQ(first.f("a"), 0.5110592842f);
    EXPECT_FLOAT_EQ(first.f("b"), 10.0f + 10.0f * 0.4374183416f);
    EXPECT_FLOAT_EQ(second.f("c"), 0.7825707197f); // shared by the process
    script::ScriptRandom::reset();
    EXPECT_FLOAT_EQ(script::ScriptRandom::next(), 0.5110592842f);
}

TEST(BuiltinFunctions, TheGeneratorStaysInItsRange)
{
    script::ScriptRandom::reset();
    for (int k = 0; k < 10000; ++k) {
        const float r = script::ScriptRandom::next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
}

TEST_F(ScriptFixture, ParamTestPrintsItsArgumentsInSignatureOrder)
{
    ASSERT_EQ(run("float r = paramTest(1.5, 2, 3.25, 4, 5, 6.0);"), 0);
    EXPECT_NE(output().find(" AparamTest( 1.50, 2, 3.25, 4, 5, 6.00 )\n"), std::string::npos);
    EXPECT_FLOAT_EQ(f("r"), 1.5f);
}

TEST(BuiltinFunctions, TableHoldsSeventeenFunctionsInOrder)
{
    const char* const names[] = {"abs",   "atan", "cos", "clamp", "ln",       "log2",
                                 "log10", "max",  "min", "pow",   "pow2",     "rand",
                                 "sin",   "sqrt", "tan", "tanh",  "paramTest"};
    const AM_FunctionRecord* r = script::builtinFunctions();
    for (const char* name : names) {
        ASSERT_NE(r->routine, nullptr);
        EXPECT_STREQ(r->name, name);
        EXPECT_EQ(r->symbol, nullptr);
        ++r;
    }
    EXPECT_EQ(r->routine, nullptr);
    EXPECT_STREQ(script::findBuiltin("paramTest")->signature, "FFIFIIF");
    EXPECT_EQ(script::findBuiltin("paramTest")->letterCount, 7u);
    EXPECT_EQ(script::findBuiltin("Sin"), nullptr);
}

} // namespace
