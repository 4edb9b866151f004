// The runtime: declarations, scopes, the end-of-text dump, the keyword
// resolver base and the code listing.

#include "ScriptTestSupport.h"

#include "script/AM_Symbol.h"

namespace {

using scripttest::FakeEngine;
using scripttest::ScriptFixture;
using scripttest::TestKeyWords;

TEST_F(ScriptFixture, DeclaringAgainInTheSameChain)
{
    AM_ScriptVariable* x = machine->declareVariable("x", 0, 0, 0);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(machine->declareVariable("x", 0, 0, 0), x); // identical: the same record
    EXPECT_EQ(machine->declareVariable("x", 1, 0, 0), nullptr);
    EXPECT_EQ(machine->declareVariable("x", 0, 3, 0), nullptr);
    EXPECT_EQ(machine->declareVariable("y", 18, 0, 0), nullptr);
    EXPECT_EQ(machine->declareVariable("y", 18, 2, 0), nullptr);
    const std::string out = output();
    EXPECT_NE(out.find("ERROR can't redeclare variable x\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR can't create variable y of type 18\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR can't create variable y of type 20\n"), std::string::npos);
}

TEST_F(ScriptFixture, SlotsAreNeverGivenBack)
{
    // 256 floats in closed scopes still use up the float slots.
    char name[8];
    for (int k = 0; k < script::kScalarSlots; ++k) {
        machine->pushScope();
        std::snprintf(name, sizeof(name), "f%d", k);
        ASSERT_NE(machine->declareVariable(name, 0, 0, 0), nullptr) << k;
        machine->popScope();
    }
    EXPECT_EQ(machine->declareVariable("late", 0, 0, 0), nullptr);
    EXPECT_NE(output().find("OUT OF MEMORY ERROR: can't create float late\n"), std::string::npos);
    EXPECT_NE(machine->declareVariable("n", 1, 0, 0), nullptr); // ints have their own slots
}

TEST_F(ScriptFixture, ArraysAreLimitedInNumberAndElements)
{
    char name[8];
    for (int k = 0; k < script::kArraySlots; ++k) {
        std::snprintf(name, sizeof(name), "a%d", k);
        ASSERT_NE(machine->declareVariable(name, 1, 2, 0), nullptr);
    }
    EXPECT_EQ(machine->declareVariable("b", 1, 2, 0), nullptr);
    EXPECT_NE(output().find("OUT OF MEMORY ERROR: can't create int array b\n"), std::string::npos);

    EXPECT_EQ(machine->declareVariable("big", 0, script::kMaxArrayElements + 1, 0), nullptr);
    EXPECT_NE(output().find("OUT OF MEMORY ERROR: can't create float array big[ 65537 ]\n"),
              std::string::npos);
    EXPECT_EQ(run("float huge[99999999];"), -15);
}

TEST_F(ScriptFixture, AClosedScopeHidesItsVariables)
{
    ASSERT_EQ(run("float x = 1; { float y = 2; x = x + y; } int y = 5;"), 0);
    EXPECT_FLOAT_EQ(f("x"), 3.0f);
    EXPECT_EQ(i("y"), 5); // a new record: the float y went to the free list
    EXPECT_EQ(variable("y")->type, AM_ScriptVariable::kInt);
}

TEST_F(ScriptFixture, TheNewestDeclarationIsFound)
{
    AM_ScriptVariable* outer = machine->declareVariable("v", 0, 0, 0);
    machine->pushScope();
    AM_ScriptVariable* inner = machine->declareVariable("w", 1, 0, 0);
    inner->depth = 1;
    EXPECT_EQ(variable("w"), inner);
    EXPECT_EQ(variable("v"), outer);
    machine->popScope();
    EXPECT_EQ(variable("w"), nullptr);
    machine->popScope(); // below the top: nothing happens
    EXPECT_EQ(machine->depth(), 0);
}

TEST_F(ScriptFixture, DumpListsEveryVariableAndReleasesTheScript)
{
    ASSERT_EQ(run("float f = 1.256; int n[3] = {4, -5, 6}; float a[2] = {0.5};"
                  "{ int gone = 7; } int k = -3; float twice(float v) return v * 2;"
                  "Osc.Freq = 1;"),
              0);
    capture.clear();
    machine->dumpVariables();
    const std::string out = output();
    EXPECT_NE(out.find("f = 1.26\n"), std::string::npos);
    EXPECT_NE(out.find("k = -3\n"), std::string::npos);
    EXPECT_NE(out.find("n[  0 ] = 4\nn[  1 ] = -5\nn[  2 ] = 6\n"), std::string::npos);
    EXPECT_NE(out.find("a[  0 ] = 0.500000\na[  1 ] = 0.000000\n"), std::string::npos);
    EXPECT_NE(out.find("gone = 7\n"), std::string::npos); // from the free list, last
    EXPECT_GT(out.find("gone = 7\n"), out.find("k = -3\n"));
    EXPECT_EQ(words.symbols(), nullptr); // functions released
    EXPECT_EQ(words.accessors(), nullptr);
    EXPECT_EQ(variable("f"), nullptr);
    EXPECT_EQ(machine->codeCount(), 0);
    // The machine is as new.
    EXPECT_EQ(run("float f = 2;"), 0);
    EXPECT_FLOAT_EQ(f("f"), 2.0f);
}

TEST(ScriptRuntime, ANestedMachineReleasesOnlyWhatItRegistered)
{
    // A script may cause a nested state read on the same resolver; the
    // inner machine's end must leave the outer script intact.
    testsupport::TraceCapture capture;
    FakeEngine engine;
    TestKeyWords words(engine);
    AM_ScriptMachine outer(&words);
    const std::string first = "float twice(float v) return v * 2; float t = Osc.Freq;";
    ASSERT_EQ(outer.compileAndRun(first.data(), 1, static_cast<uint32_t>(first.size())),
              static_cast<int32_t>(first.size()));
    AM_Symbol* symbols = words.symbols();
    AMM_ObjectAccessor* accessors = words.accessors();
    {
        AM_ScriptMachine inner(&words);
        const std::string text =
            "float thrice(float v) return v * 3; Osc.Freq = 2; float u = twice(1);";
        inner.compileAndRun(text.data(), 1, static_cast<uint32_t>(text.size()));
        EXPECT_EQ(inner.lastCompileResult(), -63); // outer's function is not inner's
        const std::string ok = "float thrice(float v) return v * 3; Osc.Freq = 2;";
        inner.compileAndRun(ok.data(), 1, static_cast<uint32_t>(ok.size()));
        EXPECT_NE(words.symbols(), symbols);
        inner.dumpVariables();
    }
    EXPECT_EQ(words.symbols(), symbols);
    EXPECT_EQ(words.accessors(), accessors);
    const std::string again = "float w = twice(Osc.Freq);";
    outer.compileAndRun(again.data(), 2, static_cast<uint32_t>(again.size()));
    EXPECT_EQ(outer.lastCompileResult(), 0);
    EXPECT_FLOAT_EQ(engine.freq, 2.0f);
}

TEST(ScriptRuntime, KeyWordManKeepsSymbolsAndAccessors)
{
    testsupport::TraceCapture capture;
    FakeEngine engine;
    TestKeyWords words(engine);
    ASSERT_NE(words.symbols(), nullptr);
    EXPECT_STREQ(words.symbols()->name, "main");

    auto* f = new AM_Symbol("f", 3);
    f->letters[0] = 'F';
    f->letterCount = 1;
    AM_Symbol* main = words.symbols();
    EXPECT_EQ(words.addSymbol(f), main);
    EXPECT_EQ(f->next, main);
    const AM_FunctionRecord* record = words.findFunction("f");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->symbol, f);
    EXPECT_STREQ(record->signature, "F");
    EXPECT_EQ(words.findFunction("sin")->symbol, nullptr); // built-ins first
    EXPECT_EQ(words.findFunction("nothing"), nullptr);
    const std::string out = capture.standardOutput();
    EXPECT_NE(out.find("searching function 'f'\nfound Symbol 'f'\n"), std::string::npos);
    EXPECT_NE(out.find("Not found... returning NULL\n"), std::string::npos);

    words.setPrototype(42);
    words.clear();
    EXPECT_EQ(words.symbols(), nullptr);
    EXPECT_EQ(words.getPrototype(), 0u);
    EXPECT_EQ(words.findFunction("main"), nullptr);
}

TEST(ScriptRuntime, LongChainsAreReleasedWithoutRecursion)
{
    FakeEngine engine;
    TestKeyWords words(engine);
    for (int k = 0; k < 200000; ++k)
        words.addSymbol(new AM_Symbol("s", 0));
    words.clear();
    EXPECT_EQ(words.symbols(), nullptr);
    AM_ScriptVariable* chain = nullptr;
    for (int k = 0; k < 200000; ++k) {
        auto* v = new AM_ScriptVariable("v", 0, 0, 0, 0);
        v->next = chain;
        chain = v;
    }
    AM_ScriptVariable::deleteChain(chain);
}

TEST_F(ScriptFixture, ListsTheCodeOfEachBlock)
{
    ASSERT_EQ(run("int n = 0; if (n) n = 2;"), 0);
    const std::string out = output();
    // index, destination, name, source; branches with distance and target.
    EXPECT_NE(out.find("0:\t 2 Load #i 0\n1:\t 1 i = i 2\n2:\t 1 Store i 0\n3:\t eol\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("6:\t branch not equal/false 6 (12)\n"), std::string::npos);
}

} // namespace
