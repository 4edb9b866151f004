// Every way a block fails to compile, and what a failure leaves behind.

#include "ScriptTestSupport.h"

#include "script/AM_Symbol.h"

namespace {

using scripttest::ScriptFixture;
using scripttest::ScriptRunner;

std::string repeat(const std::string& piece, int count)
{
    std::string all;
    for (int i = 0; i < count; ++i)
        all += piece;
    return all;
}

struct ErrorCase {
    std::string source;
    int32_t code;
};

TEST(ScriptErrors, EachSourceGivesItsCode)
{
    const std::string longName(32, 'v');
    const std::string longFunction(64, 'g');
    const ErrorCase cases[] = {
        {"float Osc.Freq;", -1},
        {"float x = 1; x = float y;", -2},
        {"float x; float x;", -3},
        {"float x; float f(float x) return x;", -3}, // a parameter cannot hide a variable
        {"float;", -4},
        {"float x; x[0] = 1;", -6},
        {"float x = 1 [2];", -6},
        {"float x = 1.2.3;", -7},
        {"int n = 5f;", -8},
        {"float x = Osc.5;", -9},
        {"foo 5;", -10},
        {"int n [2];", -12},
        {"int n[0];", -13},
        {"const x = 1;", -14},
        {"int n[ ];", -15},
        {"string s;", -15},
        {"string s[2];", -15},
        {"int n = 1];", -17},
        {"float x = Osc.(1);", -19},
        {"float x = 2 (3);", -21},
        {"int a[2]; int n = a;", -23},
        {"int n = 1);", -24},
        {"float x = (1).y;", -25},
        {"float x = Mod[1];", -26},
        {"float x = Osc.;", -27},
        {"float x = (1;", -28},
        {"int a[2]; int n = a[1;];", -28},
        {"float x = 5++;", -29},
        {"float x = +1;", -30},
        {"float x = 1; 5 = x;", -31},
        {"float x = 1; (x) += 1;", -31},
        {"float x = 1; x = 2 -= 1;", -31},
        {"int a[2] = 5;", -31},
        {"float x = *2;", -32},
        {"float x = /2;", -33},
        {"float x = " + repeat("1+", 128) + "1;", -34},
        {"int n = " + repeat("(1)+", 120) + "(1+1+1+1+1+1+1+1+1+1);", -35},
        {"float x = " + repeat("(1.0)+", 120) + "(1.0+1.0+1.0+1.0+1.0+1.0+1.0+1.0+1.0+1.0);", -36},
        {"float x = {1};", -37},
        {"float x = 1 };", -38},
        {"}", -38},
        {"float x = 1, 2;", -39},
        {"float f() return 1; float x = f(1, 2);", -40},
        {"float a[3] = {(1), 2};", -41},
        {"float x = = 1;", -42},
        {"++float x;", -44},
        {"++if (1) ;", -45},
        {"float x = 1 if (1) ;", -46},
        {"float x = 1 2;", -47},
        {"float x = 1 + ;", -48},
        {"float x = sin(1,);", -48},
        {"float a = (1 + 2 ?> 3);", -50},
        {"if (1) { float x = 1;", -50},
        {"int n[3;", -51},
        {"float x y;", -52},
        {"int p[2] = {1, 2, 3};", -53},
        {"float x = ();", -55},
        {"if 1;", -56},
        {"if ((1)) ;", -56},
        {"for x;", -56},
        {"if () ;", -57},
        {"else ;", -58},
        {"float x = 1 !;", -59},
        {"int i; for (i = 0; i < 1; i = i + 1" + std::string(56, ' ') + ") ;", -60},
        {"int i; for (i = 0; i < 1; i++) break 1;", -61},
        {"break;", -62},
        {"float x = nofunc(1);", -63},
        {"float x = Osc.bad(1);", -64},
        {"string f() return 1;", -64},
        {"float x = sin((1));", -66},
        {"float x = Osc.reset(1);", -66},
        {"float x = sin(1, 2);", -67},
        {"float x = sin();", -67},
        {"float main() return 1;", -67}, // the root symbol is defined already
        {"float x = main();", -67},
        {"float x = Foo.Bar;", -68},
        {"float x = Osc.nothing(1);", -68},
        {"float x = " + repeat("A.", 8) + "z;", -68},
        {"float f() { float g() return 1; return 2; }", -70},
        {"float f(float x,) return 1;", -71},
        {"float f(float a[2]) return 1;", -71},
        {"float f(x) return 1;", -71},
        {"float f(float x; return 1;", -71},
        {"if (1) break;", -73},
        {"return 1;", -74},
        {"foo;", -76},
        {"y = 1;", -76},
        {"float " + longName + ";", -77},
        {"float x = Osc." + longName + ";", -77},
        {"float " + longFunction + "() return 1;", -78},
        {"float f(float a, float b, float c, float d, float e, float g, float h, float i) return "
         "1;",
         -79},
        {"float x = " + repeat("(", 70) + "1" + repeat(")", 70) + ";", -80},
        {repeat("{", 70) + repeat("}", 70), -80},
    };
    for (const ErrorCase& c : cases) {
        ScriptRunner r;
        EXPECT_EQ(r.run(c.source), c.code) << c.source;
    }
}

struct DiagnosticCase {
    std::string source;
    std::string line; // expected on the standard output
};

// The lines that say what went wrong, byte for byte.
TEST(ScriptErrors, DiagnosticsNameWhatWentWrong)
{
    const DiagnosticCase cases[] = {
        {"float x = 2 (3);", "Parenthesis on ByteCodeType 7\n"},
        {"int p[2] = {1, 2, 3};", "NumArguments 3 -> p length 2\n"},
        {"float x = sin(1, 2);", "NumArguments: 2 - f_ix: "},
        {"float x = Osc.5;", "UGH! in 'Osc' read '5' next ';'\n"},
        {"float x = Mod[1];", "Huh? We should have a point here\n"},
        {"float f(float x; return 1;",
         "ugh, strange end of FunctionArgs definition: ';' ' ' in line 1\n"},
        {"float x = Osc.sum(2);", "WARNING: expected float[]\n"},
        {"int n = Osc.count(2.5);", "WARNING: expected int[]\n"},
        {"float a[2]; float x = Osc.sum(-a);", "WARNING: Prefixing non-Value Type in Line 1\n"},
        {"float x = 1;\n\n y = 2;", "Error in Line 3: Code -76\n"},
        {"float f() { for (;;) ; return 1; } float x = f();",
         "returning from function after 100000 instruction chains\n"
         "stopped machine after 100000 instruction chains\n"},
    };
    for (const DiagnosticCase& c : cases) {
        testsupport::TraceCapture capture;
        ScriptRunner r;
        r.run(c.source);
        EXPECT_NE(capture.standardOutput().find(c.line), std::string::npos)
            << c.source << "\n"
            << capture.standardOutput();
    }
}

TEST(ScriptErrors, ForStepOfSixtyFourCharactersCompiles)
{
    ScriptRunner r;
    const std::string step = "i = i + 1" + std::string(55, ' ');
    ASSERT_EQ(step.size(), 64u);
    EXPECT_EQ(r.run("int i; int s = 0; for (i = 0; i < 5; " + step + ") s++;"), 0);
    EXPECT_EQ(r.i("s"), 5);
}

TEST(ScriptErrors, TheCodeAreaFillsUpWithoutOverflowing)
{
    ScriptRunner r;
    ASSERT_EQ(r.run("int n = 0;"), 0);
    const std::string block = repeat("n = n + 1;", 1000);
    int32_t result = 0;
    int blocks = 0;
    for (; blocks < 40 && result == 0; ++blocks)
        result = r.run(block);
    EXPECT_EQ(result, -81);
    EXPECT_LE(r.machine->codeCount(), script::kCodeCapacity);
    // A block that fits still compiles and runs after the failure.
    EXPECT_EQ(r.run("n = 5;"), 0);
    EXPECT_EQ(r.i("n"), 5);
}

TEST_F(ScriptFixture, AFailedBlockLeavesNothingBehind)
{
    ASSERT_EQ(run("float keep(float v) return v;"), 0);
    const int32_t code = machine->codeCount();
    AM_Symbol* symbols = words.symbols();
    AMM_ObjectAccessor* accessors = words.accessors();

    const std::string text =
        "float g(float v) return v; Osc.Freq = 1; { { float x = 1 + ; } } ?> x = 2;";
    EXPECT_EQ(run(text, 7), -48);
    EXPECT_NE(output().find("Error in Line 7: Code -48\n"), std::string::npos);
    EXPECT_EQ(machine->codeCount(), code);
    EXPECT_EQ(words.symbols(), symbols);
    EXPECT_EQ(words.accessors(), accessors);
    EXPECT_EQ(machine->depth(), 0);
    // The rest of the block is skipped, not handed back as state text.
    EXPECT_EQ(consumed, static_cast<int32_t>(text.find("?>") + 2));
    // g and x are unknown, keep still works.
    EXPECT_EQ(variable("x"), nullptr);
    EXPECT_EQ(run("float y = g(1);"), -63);
    EXPECT_EQ(variable("y"), nullptr);
    EXPECT_EQ(run("float y = keep(3);"), 0);
    EXPECT_FLOAT_EQ(f("y"), 3.0f);
}

TEST_F(ScriptFixture, NothingOfAFailedBlockRuns)
{
    EXPECT_EQ(run("Osc.Freq = 1; float x = 1 +;"), -48);
    EXPECT_FLOAT_EQ(engine.freq, 440.0f);
}

TEST_F(ScriptFixture, RedefiningAFunctionIsReadAsACall)
{
    ASSERT_EQ(run("float twice(float v) return v * 2;"), 0);
    EXPECT_LT(run("float twice(float v) return v * 3;"), 0);
    EXPECT_LT(run("float sin(float v) return v;"), 0);
}

} // namespace
