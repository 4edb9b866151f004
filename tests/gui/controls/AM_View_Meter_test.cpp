#include "ControlFixture.h"

#include "TraceCapture.h"
#include "gui/controls/AM_View_Meter.h"

namespace {

using namespace controltest;

// Meters are not told of their values: they poll them on the timer.
class MeterTest : public ControlTest {
protected:
    AM_View_Meter* levelMeter()
    {
        AM_View_Meter* meter = make<AM_View_Meter>("Meter", {0, 0, 103, 16});
        meter->setPortParameter(0, interface.param(kLevel));
        return meter;
    }
    void tick(AM_View_Meter* meter, float level)
    {
        interface.engineSets(kLevel, level);
        meter->onTimer();
    }
};

TEST_F(MeterTest, RegistryMakesMetersOnTheTimerWithTheirPortsAndSlots)
{
    AM_View_Meter* meter = make<AM_View_Meter>("Meter", {0, 0, 103, 16});
    ASSERT_NE(meter, nullptr);
    EXPECT_STREQ(meter->getTypeName(), "Meter");
    EXPECT_TRUE(meter->hasTimer());
    EXPECT_STREQ(meter->getPortDescriptor(0)->name, "Meter Value");
    EXPECT_STREQ(meter->getPortDescriptor(2)->name, "SurroundVU");
    EXPECT_EQ(meter->getColourCount(), 10);
    EXPECT_STREQ(meter->getColourName(9), "Value8");
    EXPECT_STREQ(meter->getGraphicName(2), "MeterHandle");
    meter->setPortParameter(0, interface.param(kTune));
    EXPECT_EQ(meter->getPort(0)->parameter, nullptr);
    meter->setPortParameter(1, interface.param(kCurve));
    EXPECT_EQ(meter->getPort(1)->parameter, interface.param(kCurve));
}

TEST_F(MeterTest, TheTimerFollowsChangesAboveOneHundredth)
{
    AM_View_Meter* meter = levelMeter();
    meter->onTimer();
    tick(meter, 0.5f);
    EXPECT_FLOAT_EQ(meter->getValue(), 0.5f);
    tick(meter, 0.505f);
    EXPECT_FLOAT_EQ(meter->getValue(), 0.5f);
    tick(meter, 0.52f);
    EXPECT_FLOAT_EQ(meter->getValue(), 0.52f);
    meter->setVisible(false, kAllLayers, false);
    tick(meter, 0.9f);
    EXPECT_FLOAT_EQ(meter->getValue(), 0.52f); // hidden meters do not poll
}

TEST_F(MeterTest, RunningLightLightsInsideItsWindowAndDimsAcrossIt)
{
    AM_View_Meter* meter = levelMeter();
    meter->setProperty("RunningLight", 0, "anything");
    meter->setProperty("runningStep", 0, "2");
    meter->setProperty("runningRange", 0, "1");
    EXPECT_FLOAT_EQ(meter->lampLevel(1.99f), 0.0f);
    EXPECT_FLOAT_EQ(meter->lampLevel(2.0f), 1.0f);
    EXPECT_FLOAT_EQ(meter->lampLevel(2.99f), 1.0f);
    EXPECT_FLOAT_EQ(meter->lampLevel(3.0f), 0.0f);
    meter->setProperty("Dimming", 0, "");
    EXPECT_FLOAT_EQ(meter->lampLevel(2.0f), 1.0f);
    EXPECT_FLOAT_EQ(meter->lampLevel(2.5f), 0.5f);
    EXPECT_NEAR(meter->lampLevel(2.9f), 0.1f, 1e-5f);
    meter->setProperty("runningRange", 0, "0");
    EXPECT_FLOAT_EQ(meter->getRunningRange(), 1.0f);
}

TEST_F(MeterTest, ScriptLinesAreWrittenAndReadBack)
{
    AM_View_Meter* meter = levelMeter();
    meter->setName("Steps");
    std::string script;
    meter->writeControl(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Steps' name='direction' id='0' value='horizontal'"),
              std::string::npos);
    EXPECT_EQ(script.find("RunningLight"), std::string::npos);

    meter->setProperty("direction", 0, "vertical");
    meter->setProperty("ModuleUpdate", 0, "No"); // any value sets it
    meter->setProperty("RunningLight", 0, "Yes");
    meter->setProperty("runningStep", 0, "3.5");
    meter->setProperty("runningRange", 0, "0.25");
    script.clear();
    meter->writeControl(&script);
    for (const char* line : {"name='direction' id='0' value='vertical'",
                             "name='ModuleUpdate' id='0' value='Yes'",
                             "name='RunningLight' id='0' value='Yes'",
                             "name='runningStep' id='0' value='3.50'",
                             "name='runningRange' id='0' value='0.25'"})
        EXPECT_NE(script.find(line), std::string::npos) << line;
    EXPECT_EQ(script.find("Dimming"), std::string::npos);
}

TEST_F(MeterTest, ACloneOfALampIsTheNextLampOfTheChain)
{
    AM_View_Meter* meter = levelMeter();
    meter->setProperty("RunningLight", 0, "Yes");
    meter->setProperty("runningStep", 0, "2");
    meter->setProperty("Dimming", 0, "Yes");
    AM_View_Meter* next = make<AM_View_Meter>("Meter", {0, 20, 103, 16});
    meter->copyProperties(next);
    EXPECT_TRUE(next->isRunningLight());
    EXPECT_TRUE(next->isDimming());
    EXPECT_FLOAT_EQ(next->getRunningStep(), 3.0f);
    EXPECT_EQ(next->getPort(0)->parameter, interface.param(kLevel));
}

TEST_F(MeterTest, BlocksArePolledAndUnchangedBlocksWaitFiveTicks)
{
    AM_View_Meter* meter = make<AM_View_Meter>("Meter", {0, 0, 103, 16});
    meter->setPortParameter(1, interface.param(kCurve));
    interface.setBlock(kCurve, {1, 2, 3, 4, 5, 6, 7, 8});
    meter->onTimer();
    EXPECT_EQ(meter->getBlockBytes()[7], 8);
    meter->onTimer(); // unchanged: the next four ticks skip
    interface.setBlock(kCurve, {9, 2, 3, 4, 5, 6, 7, 8});
    for (int i = 0; i < 4; ++i) {
        meter->onTimer();
        EXPECT_EQ(meter->getBlockBytes()[0], 1) << i;
    }
    meter->onTimer();
    EXPECT_EQ(meter->getBlockBytes()[0], 9);
    // The fixture's block holds only the bytes: no divisor.
    EXPECT_EQ(meter->getDivisor(), 0u);
}

TEST_F(MeterTest, LinesWithoutADivisorAreScaledBy254AndTraced)
{
    AM_View_Meter* meter = make<AM_View_Meter>("Meter", {0, 0, 103, 16});
    meter->setPortParameter(1, interface.param(kCurve));
    interface.setBlock(kCurve, {0, 127, 254, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    meter->onTimer();
    testsupport::TraceCapture trace;
    testsupport::HeadlessCanvas canvas(103, 16, 1);
    canvas.begin();
    meter->draw(&canvas.context());
    EXPECT_NE(trace.text().find("div not set - 0"), std::string::npos);
}

TEST_F(MeterTest, MetersMatchTheirReferencePictures)
{
    auto* track = new AM_Colour(vm.get(), "Track", 0x23262BFF);
    auto* edge = new AM_Colour(vm.get(), "Edge", 0x5A606AFF);
    auto* green = new AM_Colour(vm.get(), "Green", 0x5CC46AFF);
    auto* amber = new AM_Colour(vm.get(), "Amber", 0xE9A23BFF);
    auto* blue = new AM_Colour(vm.get(), "Blue", 0x5AA0E0FF);
    for (AM_Colour* c : {track, edge, green, amber, blue})
        vm->addColour(c);
    // A horizontal level at 0.7, a vertical one at 0.4, three lamps of a
    // dimmed running light at 1.5 (the second lit half) and a multi meter.
    AM_View_Meter* level = make<AM_View_Meter>("Meter", {6, 6, 103, 12});
    AM_View_Meter* vertical = make<AM_View_Meter>("Meter", {116, 6, 12, 40});
    for (AM_View_Meter* m : {level, vertical}) {
        m->setPortParameter(0, interface.param(kLevel));
        m->setColour(track, 0);
        m->setColour(edge, 1);
        m->setColour(green, 2);
    }
    vertical->setProperty("direction", 0, "vertical");
    const float seventy = 0.7f, forty = 0.4f, lamp = 1.5f;
    level->setParameterValue(0, &seventy);
    vertical->setParameterValue(0, &forty);
    for (int i = 0; i < 3; ++i) {
        AM_View_Meter* m = make<AM_View_Meter>("Meter", {6.0f + 16 * i, 24, 12, 12});
        m->setPortParameter(0, interface.param(kLevel));
        m->setProperty("RunningLight", 0, "Yes");
        m->setProperty("Dimming", 0, "Yes");
        m->setProperty("runningStep", 0, std::to_string(i).c_str());
        m->setColour(track, 0);
        m->setColour(edge, 1);
        m->setColour(amber, 2);
        m->setParameterValue(0, &lamp);
    }
    AM_View_Meter* multi = make<AM_View_Meter>("Meter", {6, 40, 103, 12});
    multi->setPortParameter(1, interface.param(kCurve));
    multi->setColour(track, 0);
    multi->setColour(green, 2);
    multi->setColour(amber, 3);
    multi->setColour(blue, 4);
    interface.setBlock(kCurve, {30, 127, 220, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    multi->onTimer();
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(level, 134, 58, "meters", zoom), "") << zoom;
}

} // namespace
