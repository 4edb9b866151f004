// The script bindings: dotted names in the scripts of state texts
// (parameters, properties, families, any-parameter and module accessors,
// methods) and the resolver's by-name operations.

#include "StateFixture.h"
#include "TraceCapture.h"
#include "params/ParamKeyWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testfixture;

// Runs a script in a state text that keeps every other value; returns the
// standard output (the variables are listed there at the end) and gives
// the debug trace to *trace when asked.
std::string runScript(StateTree& t, const std::string& script, std::string* trace = nullptr)
{
    testsupport::TraceCapture capture;
    EXPECT_TRUE(t.read("#defaults=no\n<? " + script + " ?>\n"));
    if (trace)
        *trace = capture.text();
    return capture.standardOutput();
}

int occurrences(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

bool has(const std::string& out, const std::string& line)
{
    return out.find("\n" + line + "\n") != std::string::npos;
}

TEST(ParamKeyWords, ScriptsReadParametersAndTheirProperties)
{
    StateTree t;
    t.set(t.osc, kOscCutoff, 62.5f);
    t.set(t.osc, kOscWave, 2);
    const std::string out = runScript(
        t, "float c = Osc1.Cutoff; float mx = Osc1.Cutoff.max; float mn = Osc1.Octave.min; "
           "int w = Osc1.Waveform; int k = Osc1.Table.type; int i = Osc1.Cutoff.id; "
           "int m = Osc1.Cutoff.moduleID; int s = Osc1.Source.modSource; "
           "int s2 = Osc1.Cutoff.modSource;");
    const int32_t cutoff = t.id(t.osc, kOscCutoff);
    for (const std::string& line :
         {std::string("c = 62.50"), std::string("mx = 100.00"), std::string("mn = -2.00"),
          std::string("w = 2"), std::string("k = 4"), "i = " + std::to_string(cutoff),
          "m = " + std::to_string(t.moduleIndex(t.osc)), std::string("s = 1"),
          std::string("s2 = 0")})
        EXPECT_TRUE(has(out, line)) << line << "\n" << out;
}

TEST(ParamKeyWords, ScriptsWriteOnlyWhatMayBeSet)
{
    StateTree t;
    runScript(t, "Osc1.Cutoff = 20; Osc1.Octave = 1.7; Osc1.Level = 1; Osc1.Hidden = 1; "
                 "Osc1.NotSaved = 1; Osc1.Cutoff.max = 5;");
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 20.0f);
    EXPECT_EQ(t.value(t.osc, kOscOctave), 1.0f);
    EXPECT_EQ(t.value(t.osc, kOscLevel), 0.0f);
    EXPECT_EQ(t.value(t.osc, kOscHidden), 0.25f);
    EXPECT_EQ(t.value(t.osc, kOscNotSaved), 0.25f);
    EXPECT_EQ(t.man().getParameterInfo(t.id(t.osc, kOscCutoff))->max, 100.0f);
}

TEST(ParamKeyWords, FamiliesAreAddressedBySubscriptsAndRefusedOutsideThem)
{
    struct Case {
        const char* script;
        StateModule* StateTree::*module;
        uint32_t local;
        float expected;
    };
    const Case cases[] = {
        {"Env[2].Attack = 7;", &StateTree::env2, kEnvAttack, 7},
        {"Env[1].Attack = 3;", &StateTree::env1, kEnvAttack, 3},
        {"Env[0].Attack = 4;", &StateTree::env1, kEnvAttack, 4},
        {"Env[3].Attack = 9;", &StateTree::env1, kEnvAttack, 1},
        {"Osc1.Step[3] = 8;", &StateTree::osc, kOscStep3, 8},
        {"Osc1.Step[5] = 8;", &StateTree::osc, kOscStep4, 4},
        {"Osc1.Stage[2].Time = 7;", &StateTree::osc, kOscStage2Time, 7},
        {"Osc1.Stage[3].Level = 0.5;", &StateTree::osc, kOscStage3Level, 0.5f},
        {"Osc1.Stage[4].Time = 7;", &StateTree::osc, kOscStage3Time, 3},
        {"int j = 2; Osc1.Stage[j + 1].Time = 6;", &StateTree::osc, kOscStage3Time, 6},
        {"Osc1.Parameter[3] = 20;", &StateTree::osc, kOscCutoff, 20},
        {"Osc1.Parameter[99] = 20;", &StateTree::osc, kOscCutoff, 50},
        {"Osc1.Parameter[-1] = 20;", &StateTree::osc, kOscCutoff, 50},
        {"Module[2].Parameter[1] = -1;", &StateTree::osc, kOscOctave, -1},
        {"Module[99].Parameter[1] = -1;", &StateTree::osc, kOscOctave, 0},
        {"Env[2].Parameter[0] = 6;", &StateTree::env2, kEnvAttack, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        StateTree t;
        runScript(t, c.script);
        EXPECT_EQ(t.value(t.*(c.module), c.local), c.expected);
    }
}

TEST(ParamKeyWords, ReadsOutsideAFamilyGiveZero)
{
    StateTree t;
    const std::string out =
        runScript(t, "float a = Env[3].Attack; float b = Osc1.Step[0]; float c = Osc1.Step[9]; "
                     "int d = Osc1.Parameter[6].type; int e = Module[99].Parameter[0].id;");
    for (const char* line : {"a = 0.00", "b = 1.00", "c = 0.00", "d = 4", "e = 0"})
        EXPECT_TRUE(has(out, line)) << line << "\n" << out;
}

TEST(ParamKeyWords, ModulesAndTheWholeEngineAnswerTheirCounts)
{
    StateTree t;
    t.env2->active = false;
    std::string trace;
    const std::string out = runScript(
        t,
        "int a = Osc1.active; int b = Env[2].active; int id = Env2.id; int n = Osc1.numParameters; "
        "int any = Module[3].numParameters; int bad = Env[5].id; int nm = Global.numModules; "
        "int np = Global.numParameters; float gm = Global.Parameter[" +
            std::to_string(t.id(t.osc, kOscCutoff)) + "].max;",
        &trace);
    for (const std::string& line :
         {std::string("a = 1"), std::string("b = 0"),
          "id = " + std::to_string(t.moduleIndex(t.env2)), std::string("n = 23"),
          std::string("any = 3"), std::string("bad = 0"),
          "nm = " + std::to_string(t.engine.getModuleCount()),
          "np = " + std::to_string(t.man().getJointParameterCount()), std::string("gm = 100.00")})
        EXPECT_TRUE(has(out, line)) << line;
    EXPECT_EQ(occurrences(trace, "NO MODULE FOUND! 5\n"), 1);
}

TEST(ParamKeyWords, NamesThatMeanNothingFailToCompile)
{
    for (const char* script :
         {"float x = Nope.Cutoff;", "float x = Osc1.Nope;", "float x = Osc1.Cutoff.nope;",
          "float x = Module[1].Cutoff;", "float x = Module[1].Stage.Time;",
          "float x = Osc1.Parameter[1].Sub;", "float x = Global.Parameter[1].nope;",
          "float x = Osc1.Parameter[1].Sub.min;", "float x = Osc1.Cutoff.a.b.c;",
          "float x = Osc1.nomethod();"}) {
        StateTree t;
        const std::string out = runScript(t, script);
        EXPECT_NE(out.find("Code -68"), std::string::npos) << script << "\n" << out;
    }
}

TEST(ParamKeyWords, MethodsReachTheModuleTheSubscriptNames)
{
    StateTree t;
    std::vector<std::string> calls;
    auto record = [&calls](AM_AudioObject* module, const FixtureMethod& method) {
        calls.push_back(
            std::string(module ? module->getName() : "none") + " " +
            std::to_string(method.parameterCount() > 0 ? method.floatArgument(0) : 0.0f));
        return 2.5f;
    };
    t.osc->methods["shift"] = {"FF", record};
    t.env1->methods["bump"] = {"I", record};
    std::string trace;
    const std::string out = runScript(t,
                                      "float r = Osc1.shift(4); int a = Env[2].bump(); "
                                      "int b = Env[1].bump(); int c = Env[7].bump();",
                                      &trace);
    EXPECT_EQ(calls, (std::vector<std::string>{"OSC1: Osc1 4.000000", "ENV2: Env2 0.000000",
                                               "ENV1: Env1 0.000000", "none 0.000000"}));
    EXPECT_TRUE(has(out, "r = 2.50"));
    EXPECT_TRUE(has(out, "a = 2"));
    EXPECT_EQ(occurrences(trace, "Adding to AM_AudioObjectMethod: 'ENV2: Env2'\n"), 3);
    // A family is announced with the whole name.
    EXPECT_EQ(occurrences(trace, "found Object Array: Env@.bump\n"), 3);
}

TEST(ParamKeyWords, ValuesByNameFollowTheirForms)
{
    StateTree t;
    t.set(t.osc, kOscCutoff, 40);
    t.osc->data[kOscTable][3] = 99;
    ParamKeyWords& words = *t.man().getKeyWords();
    struct Case {
        const char* name;
        bool result;
        float value;
    };
    const int32_t cutoff = t.id(t.osc, kOscCutoff);
    const std::string byId = "Osc1.Parameter" + std::to_string(cutoff);
    const std::string elsewhere = "Env2.Parameter" + std::to_string(cutoff);
    const std::vector<Case> cases = {
        {"Osc1.Cutoff", true, 40},
        {byId.c_str(), true, 40},
        {elsewhere.c_str(), true, 40}, // a global id, whatever the module
        {"Osc1.Parameter0", true, 1},  // no parameter: an unknown name reads 1
        {"Osc1.Cutoff.min", true, 0},
        {"Osc1.Cutoff.max", true, 100},
        {"Osc1.Cutoff.id", true, static_cast<float>(cutoff)},
        {"Osc1.Name.type", true, static_cast<float>(k_typeTextData)},
        {"Osc1.Source.isModSource", true, 1},
        {"Osc1.Cutoff.isModSource", true, 0},
        {"Osc1.Table.byte3", true, 99},
        {"Osc1.Level", true, 0},
        {"Osc1.id", true, static_cast<float>(t.moduleIndex(t.osc))},
        {"Osc1.NumParameters", true, 23},
        {"Nope.Cutoff", true, 1},
        {"Osc1.Cutoff.nope", true, 1},
        {"Modulator.count", true, 14},
        {"Modulator.none", true, 0},
        {"Modulator.Env2 1", true, 8},
        {"Modulator.Nothing", false, -5},
        {"Modulator.Env2 1.x", false, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        float value = -5.0f;
        EXPECT_EQ(words.getValue(c.name, &value), c.result);
        EXPECT_EQ(value, c.value);
    }
    // A module alone names no parameter: that is reported, and it reads as
    // an unknown name.
    testsupport::TraceCapture capture;
    float value = -5.0f;
    EXPECT_TRUE(words.getValue("Osc1", &value));
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(capture.count("Couldn't find ParameterID\n"), 1);
}

TEST(ParamKeyWords, SettingByNameWritesParametersAndDataThroughTheirModule)
{
    StateTree t;
    ParamKeyWords& words = *t.man().getKeyWords();
    testsupport::TraceCapture capture;
    EXPECT_TRUE(words.setValue("Osc1.Octave", 1.7f));
    EXPECT_EQ(t.value(t.osc, kOscOctave), 1.0f);
    EXPECT_TRUE(words.setValue("Osc1.Table.byte2", 77));
    EXPECT_EQ(t.osc->data[kOscTable][2], 77);
    EXPECT_FALSE(words.setValue("Osc1.Level", 1));
    EXPECT_FALSE(words.setValue("Osc1.Table", 1));
    EXPECT_TRUE(words.setValue("Osc1.Cutoff.x", 1));
    EXPECT_TRUE(words.setValue("Osc1.Nope", 1));
    EXPECT_TRUE(words.setValue("Nope.Cutoff", 1));
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 50.0f);
    EXPECT_TRUE(capture.contains("ERROR: Can't write numerical value to  Osc1.Level\n"));
    EXPECT_TRUE(capture.contains("ERROR: Can't write to Osc1.Cutoff.x\n"));
    EXPECT_TRUE(capture.contains("ERROR: Can't find writable Parameter Nope in Module Osc1\n"));
}

TEST(ParamKeyWords, MethodsByNameGoToTheDataBlocksModule)
{
    StateTree t;
    ParamKeyWords& words = *t.man().getKeyWords();
    testsupport::TraceCapture capture;
    EXPECT_EQ(words.callMethod("Osc1.Table.fill", 9, 0, nullptr), 1.0f);
    EXPECT_EQ(t.osc->data[kOscTable], std::vector<uint8_t>(kTableBytes, 9));
    EXPECT_EQ(words.callMethod("Osc1.Cutoff.fill", 9, 0, nullptr), 0.0f);
    EXPECT_TRUE(capture.contains("ERROR: No method for Osc1.Cutoff.fill\n"));
    EXPECT_TRUE(capture.contains("ERROR: No method for Osc1.Cutoff\n"));
    EXPECT_EQ(words.callMethod("Osc1.Nope.fill", 9, 0, nullptr), 0.0f);
    EXPECT_TRUE(capture.contains("ERROR: Can't find method for Nope in Module Osc1\n"));
    EXPECT_EQ(words.callMethod("Osc1", 9, 0, nullptr), 0.0f);
    EXPECT_EQ(words.callMethod("Osc1.Table", 9, 0, nullptr), 0.0f);
}

TEST(ParamKeyWords, NamesSplitIntoAtMostEightParts)
{
    StateTree t;
    ParamKeyWords& words = *t.man().getKeyWords();
    testsupport::TraceCapture capture;
    EXPECT_EQ(words.split("a.b.c.d.e.f.g.h.i.jj"), 8);
    EXPECT_STREQ(words.part(6), "g");
    EXPECT_STREQ(words.part(7), "jj");
    EXPECT_EQ(capture.count("Eeeek, more than 7 dots in an Object. That doesn't work here/n"), 1);
    EXPECT_EQ(words.split(std::string(40, 'x').c_str()), 1);
    EXPECT_EQ(std::strlen(words.part(0)), 31u);
    EXPECT_EQ(words.split(""), 1);
}

TEST(ParamKeyWords, TheParsePositionIsTheManagers)
{
    StateTree t;
    ParamKeyWords& words = *t.man().getKeyWords();
    words.setParsePosition(17);
    EXPECT_EQ(t.man().getParsePosition(), 17);
    EXPECT_EQ(words.getParsePosition(), 17);
}

TEST(ParamKeyWords, AScriptMaySkipTextAheadButNeverBack)
{
    StateTree t;
    int runs = 0;
    t.osc->methods["jump"] = {"FF", [&](AM_AudioObject*, const FixtureMethod& m) {
                                  ++runs;
                                  t.man().getKeyWords()->setParsePosition(
                                      static_cast<int32_t>(m.floatArgument(0)));
                                  return 0.0f;
                              }};
    // The first script tries to go back to the start (it would read itself
    // for ever); the second jumps over "Cut=20".
    std::string text = "#defaults=no\n#cm=OSC1\n<? float r = Osc1.jump(0); ?>\nCut=10\n"
                       "<? float s = Osc1.jump(#####); ?>\nCut=20\nOct=2\n";
    std::string target = std::to_string(text.find("Oct=2"));
    target.insert(0, 5 - target.size(), ' ');
    text.replace(text.find("#####"), 5, target);
    ASSERT_TRUE(t.read(text));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 10.0f);
    EXPECT_EQ(t.value(t.osc, kOscOctave), 2.0f);
}

} // namespace
