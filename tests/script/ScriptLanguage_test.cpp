#include "ScriptTestSupport.h"
using namespace scripttest;
TEST_F(ScriptFixture, RunsDeclarationsFunctionsLoopsArraysAndDottedNames) {
    EXPECT_EQ(run("float x = 1.5 + 2; int n = 7 / 2; float y = sin(0) + x * 2;"), 0) << output();
    EXPECT_FLOAT_EQ(f("x"), 3.5f);
    EXPECT_EQ(i("n"), 3);
    EXPECT_FLOAT_EQ(f("y"), 7.0f);
    EXPECT_EQ(run("float sq(float a) { return a * a; } float z = sq(3) + sq(2);"), 0) << output();
    EXPECT_FLOAT_EQ(f("z"), 13.0f);
    EXPECT_EQ(run("int k; int s = 0; for (k = 0; k < 10; k++) { s += k; }"), 0) << output();
    EXPECT_EQ(i("s"), 45);
    EXPECT_EQ(run("float arr[3] = {1, 2, 3}; float t = arr[0] + arr[2];"), 0) << output();
    EXPECT_FLOAT_EQ(f("t"), 4.0f);
    EXPECT_EQ(run("Osc.Freq = Osc.Freq * 2; Mod[2].Level = 5; float r = Osc.scale(1.5, 2);"), 0) << output();
    EXPECT_FLOAT_EQ(engine.freq, 880.0f);
    EXPECT_FLOAT_EQ(engine.level[1], 5.0f);
    EXPECT_FLOAT_EQ(f("r"), 3.0f);
}
