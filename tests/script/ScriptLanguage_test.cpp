// The language as scripts see it: values computed by whole sources.

#include "ScriptTestSupport.h"

#include <cmath>

namespace {

using scripttest::ScriptFixture;
using scripttest::ScriptRunner;

struct FloatCase {
    const char* source;
    const char* variable;
    float expected;
};

TEST(ScriptLanguage, FloatResults)
{
    const FloatCase cases[] = {
        {"float x = 1.5 + 2;", "x", 3.5f},
        {"float x = 2 + 3 * 4;", "x", 14.0f},
        {"float x = (2 + 3) * 4;", "x", 20.0f},
        {"float x = 10 - 4 - 3;", "x", 3.0f}, // left to right
        {"float x = 8 / 4 / 2;", "x", 1.0f},
        {"float x = .5;", "x", 0.5f},
        {"float x = 2.5f * 2;", "x", 5.0f},
        {"float x = !2.0;", "x", 1.0f}, // float '!' keeps the truth
        {"float x = !0.0;", "x", 0.0f},
        {"float y = 3; float x = !y;", "x", 1.0f},
        {"float x = -(-2.5);", "x", 2.5f},
        {"float x = - -2;", "x", 2.0f},
        {"float x = 7.9; x = x - 0.9;", "x", 7.0f},
        {"float x = 7 / 2;", "x", 3.0f}, // int division, then converted
        {"float x = 7.0 / 2;", "x", 3.5f},
        {"float x = 1; x += 2; x *= 3; x -= 1; x /= 4;", "x", 2.0f},
        {"float a = 1; float b = 2; float c = 3; a = b = c;", "a", 3.0f},
        {"float a = 1; float b = 2; float c = 3; a = b = c;", "b", 2.0f},
        {"float x = 2 < 3;", "x", 1.0f},
        {"float x = 3 < 2 == 0;", "x", 1.0f}, // comparisons group left to right
        {"float x = 7.9 - 0.4 * 2;", "x", 7.1f},
        {"float x = sqrt(16) + abs(-2);", "x", 6.0f},
        {"float x = max(2, min(5, 3));", "x", 3.0f},
        {"float x = pow(2, 10);", "x", 1024.0f},
        {"float x = 1 << 3;", "x", 8.0f},
        {"float x = -16 >> 2;", "x", -4.0f},
        {"float x; x = 5; float y = x++; x = x + y * 10;", "x", 56.0f},
        {"float x = 5; float y = ++x * 10;", "y", 60.0f},
        {"float a[3] = {1, 2.5}; float x = a[0] + a[1] + a[2];", "x", 3.5f},
        {"float a[2]; a[1] = 4; float x = a[1] + a[-1] + a[2];", "x", 4.0f}, // outside reads 0
        {"int i = 1; float a[2] = {3, 4}; float x = a[i] * a[i - 1];", "x", 12.0f},
    };
    for (const FloatCase& c : cases) {
        ScriptRunner r;
        EXPECT_EQ(r.run(c.source), 0) << c.source;
        EXPECT_FLOAT_EQ(r.f(c.variable), c.expected) << c.source;
    }
}

struct IntCase {
    const char* source;
    const char* variable;
    int32_t expected;
};

TEST(ScriptLanguage, IntResults)
{
    const IntCase cases[] = {
        {"int n = 7 / 2;", "n", 3},
        {"int n = -7 / 2;", "n", -3},
        {"int n = 7 / 0;", "n", 0}, // division by zero gives 0
        {"int n = 7 - 7; int m = 5 / n;", "m", 0},
        {"int d = -1; int n = -2147483647 - 1; n = n / d;", "n", INT32_MIN},
        {"int n = 0 - 7; int m = n - n * 2;", "m", 7},
        {"int n = !2;", "n", 0},
        {"int n = !0;", "n", 1},
        {"int a = 5; int n = !a;", "n", 0},
        {"int n = 7.9;", "n", 7}, // truncated toward zero
        {"int n = -7.9;", "n", -7},
        {"int n = 2147483647 + 1;", "n", INT32_MIN}, // wraps
        {"int n = 4294967297;", "n", 1},             // constants wrap too
        {"int n = 1 << 33;", "n", 2},                // count modulo 32
        {"int n = -8 >> 1;", "n", -4},               // arithmetic shift
        {"int n = -1 << 4;", "n", -16},
        {"int n = 3 >= 3;", "n", 1},
        {"int n = 3 != 3;", "n", 0},
        {"int n = 1 + 2 * 3 - 4 / 2;", "n", 5},
        {"int n = 5; int m = n--; m = m * 10 + n;", "m", 54},
        {"int n = 5; int m = --n;", "m", 4},
        {"int i; int s = 0; for (i = 0; i < 10; i++) s += i;", "s", 45},
        {"int i; int s = 0; for (i = 0; i < 10; i++) { if (i == 4) break; s += i; }", "s", 6},
        {"int i; int s = 0; for (i = 0; ; i++) { if (i > 3) break; s += 1; }", "s", 4},
        {"int i; int j; int s = 0; for (i = 0; i < 3; i++) for (j = 0; j < 4; j++) s++;", "s", 12},
        {"int s = 0; for (int i = 0; i < 3; i++) { s += 2; }", "s", 6},
        {"int n = 0; if (0.5) n = 1;", "n", 0}, // the condition is truncated
        {"int n = 0; if (1.5) n = 1;", "n", 1},
        {"int n = 0; if (2 > 1) n = 1; else n = 2;", "n", 1},
        {"int n = 0; if (2 < 1) n = 1; else n = 2;", "n", 2},
        {"int n = 0; if (0) n = 1; else if (1) n = 2; else n = 3;", "n", 2},
        {"int n = 0; if (1) if (0) n = 1; else n = 2;", "n", 2}, // else of the inner if
        {"int n = 0; if (1) { n = 1; n = n + 1; } n = n * 10;", "n", 20},
        {"int a[3] = {7, 8, 9}; int n = a[0] + a[2];", "n", 16},
        {"int a[3]; a[5] = 3; a[-1] = 4; int n = a[0] + a[1] + a[2];", "n", 0}, // writes nothing
        {"int a = 1; { int b = 2; a = a + b; } int n = a;", "n", 3},
        {"int fact(int k) { if (k < 2) return 1; return k * fact(k - 1); } int n = fact(6);", "n",
         720},
        {"int n = 7; n = n / 2 * 2;", "n", 6},
        {"const int n = 4;", "n", 4},
        {"int const n = 4;", "n", 4},
    };
    for (const IntCase& c : cases) {
        ScriptRunner r;
        EXPECT_EQ(r.run(c.source), 0) << c.source;
        EXPECT_EQ(r.i(c.variable), c.expected) << c.source;
    }
}

// A function body that ends without "return" gives the value of its last
// statement, converted to the function's type (regression: the result was
// whatever the caller's argument register held).
TEST(ScriptLanguage, AFunctionWithoutReturnGivesItsLastStatementsValue)
{
    const IntCase cases[] = {
        {"int f(float x) { x * 2.5; } int n = f(3);", "n", 7},
        {"int f(int x) { int y = x + 1; } int n = f(4);", "n", 5},
        {"int f(int x) x * 3; int n = f(4);", "n", 12},
        {"int f(int x) { x = x + 2; x * 10; } int n = f(1);", "n", 30},
        {"int f(int x) { if (x > 0) return 9; x - 1; } int n = f(-4) * 10 + f(4);", "n", -41},
    };
    for (const IntCase& c : cases) {
        ScriptRunner r;
        EXPECT_EQ(r.run(c.source), 0) << c.source;
        EXPECT_EQ(r.i(c.variable), c.expected) << c.source;
    }
    ScriptRunner r;
    ASSERT_EQ(r.run("float g(float x) x + 1; float v = g(1); float w = 10.0 + g(2.5);"), 0);
    EXPECT_FLOAT_EQ(r.f("v"), 2.0f);
    EXPECT_FLOAT_EQ(r.f("w"), 13.5f);
}

// Wherever one blank may stand before a '(', a ';', a ',' or a ')', a tab
// may stand too (regression: a tab failed the compile).
TEST(ScriptLanguage, ATabCountsAsABlank)
{
    const IntCase cases[] = {
        {"int n = 0; if\t(1) n = 3;", "n", 3},
        {"int n = 0; int i; for\t(i = 0; i < 4; i++) n++;", "n", 4},
        {"int n = 0; int i; for (i = 0; i < 9; i++) { if (i == 2) break\t; n++; }", "n", 2},
        {"int n = abs\t(-5);", "n", 5},
        {"int n\t; n = 6;", "n", 6},
        {"int k, n\t= 2;", "n", 2},
        {"int f(int a\t, int b\t) return a * b; int n = f(2, 4);", "n", 8},
        {"int f\t(int a) return a + 1; int n = f(1);", "n", 2},
    };
    for (const IntCase& c : cases) {
        ScriptRunner r;
        EXPECT_EQ(r.run(c.source), 0) << c.source;
        EXPECT_EQ(r.i(c.variable), c.expected) << c.source;
    }
}

TEST(ScriptLanguage, OperatorsOutsideTheLanguageProduceNoInstruction)
{
    // '%', '&', '|', '^' and '~' are skipped: what is left is compiled.
    for (const char* source :
         {"int n = %6;", "int n = &6;", "int n = |6;", "int n = ^6;", "int n = ~6;"}) {
        ScriptRunner r;
        EXPECT_EQ(r.run(source), 0) << source;
        EXPECT_EQ(r.i("n"), 6) << source;
    }
}

TEST_F(ScriptFixture, VariablesAndFunctionsLiveOnAcrossBlocks)
{
    ASSERT_EQ(run("float total = 1; float twice(float v) { return v * 2; }"), 0);
    ASSERT_EQ(run("total = twice(total) + twice(2.5);"), 0);
    EXPECT_FLOAT_EQ(f("total"), 7.0f);
    EXPECT_EQ(run("float r = twice(1, 2);"), -67);
}

TEST_F(ScriptFixture, CallsKeepTheCallersLiveRegistersAndParameters)
{
    ASSERT_EQ(run("float g(float x) { float t = x * 100; return t + x; }"
                  "float h(float x) return x + 1;"
                  "float a = 1.5 + g(2) * h(3) + g(1);"
                  "float x = 4; float b = g(x) + x;"),
              0)
        << output();
    EXPECT_FLOAT_EQ(f("a"), 1.5f + 202.0f * 4.0f + 101.0f);
    EXPECT_FLOAT_EQ(f("b"), 408.0f); // the parameter x is restored after the call
    EXPECT_FLOAT_EQ(f("x"), 4.0f);
}

TEST_F(ScriptFixture, NestedCallsRunEachFunctionOnce)
{
    ASSERT_EQ(run("int calls = 0; float f(float v) { calls += 1; return v + 1; }"
                  "float g(float v) { calls += 100; return v * 2; }"
                  "float r = f(g(3));"),
              0)
        << output();
    EXPECT_FLOAT_EQ(f("r"), 7.0f);
    EXPECT_EQ(i("calls"), 101);
}

TEST_F(ScriptFixture, ReturnInsideAnIfEndsTheFunction)
{
    // The function after "sign" must not run when sign returns early.
    ASSERT_EQ(run("int ran = 0;"
                  "int sign(float v) { if (v < 0) return -1; else return 1; }"
                  "int other(int k) { ran = 1; return k; }"
                  "int a = sign(-3); int b = sign(3);"),
              0)
        << output();
    EXPECT_EQ(i("a"), -1);
    EXPECT_EQ(i("b"), 1);
    EXPECT_EQ(i("ran"), 0);
}

TEST_F(ScriptFixture, RecursionKeepsEachLevelsParameters)
{
    ASSERT_EQ(run("int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }"
                  "int r = fib(15);"),
              0);
    EXPECT_EQ(i("r"), 610);
}

TEST_F(ScriptFixture, DottedNamesReadAndWriteThroughAccessors)
{
    ASSERT_EQ(run("Osc.Freq = Osc.Freq * 2; int w = Osc.Wave; Osc.Wave = 7.9;"
                  "int k = 3; Mod[k].Level = 5; Mod[k - 2].Level += 1; float l = Mod[4].Level;"),
              0)
        << output();
    EXPECT_FLOAT_EQ(engine.freq, 880.0f);
    EXPECT_EQ(i("w"), 2);
    EXPECT_EQ(engine.wave, 7);
    EXPECT_FLOAT_EQ(engine.level[2], 5.0f);
    EXPECT_FLOAT_EQ(engine.level[0], 1.1f);
    EXPECT_FLOAT_EQ(f("l"), 0.4f);
}

TEST_F(ScriptFixture, MethodsTakeValuesAndArrays)
{
    ASSERT_EQ(run("float s = Osc.scale(1.5, 4); float r = Osc.reset();"
                  "int a[5]; int n = Osc.count(a); float v[3] = {1, 2, 3}; float t = Osc.sum(v);"),
              0)
        << output();
    EXPECT_FLOAT_EQ(f("s"), 6.0f);
    EXPECT_FLOAT_EQ(f("r"), 1.0f);
    EXPECT_EQ(i("n"), 5);
    EXPECT_FLOAT_EQ(f("t"), 6.0f);
    EXPECT_NE(output().find("exectuting inst_objectFunc f: 0, i: 0, mode = 'F'\n"),
              std::string::npos);
}

TEST_F(ScriptFixture, UnknownCharactersAreLoggedAndSkipped)
{
    ASSERT_EQ(run("int n = ~5; \" ' ?"), 0);
    EXPECT_EQ(i("n"), 5);
    const std::string out = output();
    EXPECT_NE(out.find("ERROR: Unknown instruction in Line 1: '~'\n"), std::string::npos);
    EXPECT_TRUE(capture.contains("oh, a constant integer array\n")); // on the trace
    EXPECT_TRUE(capture.contains("oh, an integer constant\n"));
    EXPECT_NE(out.find("Conditional Operator not yet implemented. Line 1\n"), std::string::npos);
}

// An operator the language does not have is skipped like any unknown
// character. Where that leaves a complete expression the block runs; where
// it leaves two operands side by side ("k % 2.0" reads as "k 2.0") the
// block is refused with a message naming the line, instead of running a
// statement that computes something else than its text says.
TEST_F(ScriptFixture, AnUnknownOperatorBetweenTwoOperandsRefusesTheBlock)
{
    ASSERT_EQ(run("float k = 5.0 +% 2.0;"), 0);
    EXPECT_FLOAT_EQ(f("k"), 7.0f);
    EXPECT_NE(output().find("ERROR: Unknown instruction in Line 1: '%'\n"), std::string::npos);

    EXPECT_EQ(run("k = 3.0;\nk = k % 2.0;"), -47);
    EXPECT_FLOAT_EQ(f("k"), 7.0f);
    const std::string out = output();
    EXPECT_NE(out.find("ERROR: Unknown instruction in Line 2: '%'\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR: operand without an operator before it in line 2\n"),
              std::string::npos);
}

TEST_F(ScriptFixture, StrangeBytesAreReportedWithTheirCode)
{
    ASSERT_EQ(run(std::string("int n = 1;\n\x01\xC3 n = 2;")), 0);
    EXPECT_EQ(i("n"), 2);
    EXPECT_NE(output().find("Ouch, read character 1 on line 2\n"), std::string::npos);
    EXPECT_NE(output().find("Ouch, read character 195 on line 2\n"), std::string::npos);
}

TEST_F(ScriptFixture, LinesAreCountedAcrossLineEndsAndComments)
{
    // LF, CR LF, LF CR and CR each count once; comments count their lines.
    ASSERT_EQ(run("int a;\nint b;\r\nint c;\n\rint d; /* x\n y */ // z\rint e;", 10), 0);
    EXPECT_EQ(machine->getLineNumber(), 15u);
}

TEST_F(ScriptFixture, BlockEndsAtItsCloserAndReportsWhatItConsumed)
{
    const std::string text = "int n = 1; ?> n = 2;";
    ASSERT_EQ(run(text), 0);
    EXPECT_EQ(consumed, 13);
    EXPECT_EQ(i("n"), 1);
    EXPECT_NE(output().find("finished compile in Line 1\n"), std::string::npos);
}

TEST_F(ScriptFixture, TheTextIsReadOnlyAndBounded)
{
    // The for-step is compiled in place without touching the text, and a
    // length stops the compiler before the rest of the buffer.
    const std::string text = "int i; int s = 0; for (i = 0; i < 4; i++) s += i; s = 99;";
    const std::string copy = text;
    const uint32_t cut = static_cast<uint32_t>(text.find(" s = 99;"));
    machine->compileAndRun(text.data(), 1, cut);
    EXPECT_EQ(text, copy);
    EXPECT_EQ(i("s"), 6);
}

TEST_F(ScriptFixture, EndlessLoopStopsAtTheChainLimit)
{
    const std::string text = "int n = 0; for (;;) n++; ?>";
    ASSERT_EQ(run(text), 0);
    EXPECT_EQ(consumed, static_cast<int32_t>(text.size()));
    EXPECT_NE(output().find("stopped machine after 100000 instruction chains\n"),
              std::string::npos);
    EXPECT_GT(i("n"), 30000);
}

TEST_F(ScriptFixture, RunawayRecursionStopsAtTheCallDepth)
{
    ASSERT_EQ(run("int depth = 0; int down(int k) { depth += 1; return down(k + 1); }"
                  "int r = down(0); int after = 1;"),
              0);
    EXPECT_EQ(i("depth"), script::kMaxCallDepth);
    EXPECT_EQ(i("after"), 0); // the run stopped
    EXPECT_NE(output().find("stopped machine: script calls nested deeper than 256\n"),
              std::string::npos);
}

TEST_F(ScriptFixture, ExponentialRecursionStopsAtTheInstructionBudget)
{
    machine->setRunBudget(100000);
    ASSERT_EQ(run("float t(int k) { if (k < 1) return 1; return t(k - 1) + t(k - 1); }"
                  "float r = t(40);"),
              0);
    EXPECT_NE(output().find("stopped machine after 100000 instructions\n"), std::string::npos);
}

} // namespace
