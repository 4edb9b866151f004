#include "DialFixture.h"

#include "gui/controls/AM_View_Label.h"
#include "gui/controls/AM_View_Rec_Knob.h"

namespace {

using namespace controltest;

constexpr uint32_t kAlt = 8;

class RecKnobTest : public DialTest {
protected:
    // A 0..100 knob (sensitivity 1.0) at 50 recording into S0.. with the
    // play step bound.
    AM_View_Rec_Knob* recorder(int32_t offset)
    {
        AM_View_Rec_Knob* knob = make<AM_View_Rec_Knob>("Rec_Knob", {20, 20, 28, 28});
        knob->setPortParameter(0, &wide);
        knob->setPortParameter(2, steps.param(kFirstStep));
        knob->setPortParameter(3, steps.param(kPlayStep));
        knob->setRecParamOffset(offset);
        steps.engineSets(kTune, 50.0f);
        return knob;
    }
    void press(AM_View_Rec_Knob* knob, float y, uint32_t flags)
    {
        const float p[2] = {30, y};
        knob->handleMouseDown(p, flags, 0);
    }
    void dragTo(AM_View_Rec_Knob* knob, float y)
    {
        const float p[2] = {30, y};
        knob->handleMouseDrag(p, 0, 0);
    }
    void release(AM_View_Rec_Knob* knob, float y)
    {
        const float p[2] = {30, y};
        knob->handleMouseUp(p, 0, 0);
    }
    // The parameters written since the last call.
    std::vector<int32_t> takeWrites()
    {
        std::vector<int32_t> w;
        w.swap(steps.writes);
        return w;
    }
};

TEST_F(RecKnobTest, RegistryMakesRecordingKnobsWithTheirPortsSlotsAndTimer)
{
    AM_View_Rec_Knob* knob = make<AM_View_Rec_Knob>("Rec_Knob", {0, 0, 28, 28});
    ASSERT_NE(knob, nullptr);
    EXPECT_STREQ(knob->getTypeName(), "Rec_Knob");
    EXPECT_EQ(knob->getFactory(), &AM_View_Rec_Knob::create);
    EXPECT_TRUE(knob->hasTimer());
    ASSERT_EQ(knob->getNumPorts(), 4);
    const char* const ports[] = {"Value", "Menu", "RecParam", "RecStep"};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_STREQ(knob->getPortDescriptor(i)->name, ports[i]);
    EXPECT_EQ(knob->getGraphicCount(), 2);
    EXPECT_STREQ(knob->getGraphicName(0), "Rec_KnobBackground");
    EXPECT_STREQ(knob->getGraphicName(1), "Rec_KnobForeGround");
    EXPECT_EQ(knob->getColourCount(), 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 50.0f);
    // The step port takes only the engine's output values.
    knob->setPortParameter(3, steps.param(kFirstStep));
    EXPECT_EQ(knob->getPort(3)->parameter, nullptr);
}

TEST_F(RecKnobTest, SensitivityFollowsTheRangeAndTheFineRangeFlag)
{
    const struct {
        float range;
        bool fine;
        float sensitivity;
    } cases[] = {{190.5f, false, 4}, {190, false, 2}, {130.5f, true, 2}, {130, false, 1},
                 {2, false, 1},      {75, true, 1},   {74, true, 0.4f},  {16, true, 0.4f},
                 {15, true, 0.2f},   {8, true, 0.2f}, {7, true, 0.04f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(AM_View_Rec_Knob::sensitivityForRange(c.range, c.fine), c.sensitivity)
            << c.range << " " << c.fine;
}

TEST_F(RecKnobTest, DragsEditTheKnobAndControlClicksReset)
{
    AM_View_Rec_Knob* knob = recorder(1);
    press(knob, 100, 0);
    dragTo(knob, 90);
    release(knob, 90);
    EXPECT_FLOAT_EQ(steps.value(kTune), 55.0f);
    press(knob, 100, 1); // Shift: a hundredth per pixel
    release(knob, 50);
    EXPECT_NEAR(steps.value(kTune), 55.5f, 1e-4f);
    const float p[2] = {30, 30};
    EXPECT_FALSE(knob->handleMouseDown(p, 4, 0));
    EXPECT_FLOAT_EQ(steps.value(kTune), 50.0f);
    // No step parameter was touched.
    for (const int32_t w : steps.writes)
        EXPECT_EQ(w, kTune);
}

TEST_F(RecKnobTest, RecordingWritesTheStepAfterThePlayStepAtEachTick)
{
    AM_View_Rec_Knob* knob = recorder(4);
    steps.engineSets(kPlayStep, 2.0f);
    press(knob, 100, kAlt);
    EXPECT_EQ(knob->getRecordState(), AM_View_Rec_Knob::kRecordArmed);
    dragTo(knob, 80); // recorded 0 + 20 x 0.5 = 10; nothing before the first tick
    takeWrites();
    knob->onTimer();
    EXPECT_EQ(knob->getRecordState(), AM_View_Rec_Knob::kRecording);
    EXPECT_EQ(knob->getStep(), 3);
    // RecParam 100 + offset 4 x step 3.
    EXPECT_EQ(takeWrites(), std::vector<int32_t>{112});
    EXPECT_FLOAT_EQ(steps.value(112), 10.0f);
    EXPECT_FLOAT_EQ(steps.value(kTune), 50.0f); // the knob's own value stays

    // Neither the step nor the value changed: nothing is written.
    knob->onTimer();
    EXPECT_TRUE(takeWrites().empty());
    // A new value goes out at once, to the same step.
    dragTo(knob, 70);
    EXPECT_EQ(takeWrites(), std::vector<int32_t>{112});
    EXPECT_FLOAT_EQ(steps.value(112), 15.0f);
    // The play step at its maximum: the next value goes to the first step.
    steps.engineSets(kPlayStep, 7.0f);
    knob->onTimer();
    EXPECT_EQ(knob->getStep(), 0);
    EXPECT_EQ(takeWrites(), std::vector<int32_t>{kFirstStep});
    EXPECT_FLOAT_EQ(steps.value(kFirstStep), 15.0f);

    // Recorded values keep to the step parameter's range.
    dragTo(knob, -500);
    EXPECT_FLOAT_EQ(steps.value(kFirstStep), 100.0f);

    release(knob, -500);
    EXPECT_EQ(knob->getRecordState(), AM_View_Rec_Knob::kRecordOff);
    takeWrites();
    steps.engineSets(kPlayStep, 1.0f);
    knob->onTimer();
    EXPECT_TRUE(takeWrites().empty());
}

TEST_F(RecKnobTest, StepsBeyondTheParameterTableWriteNothing)
{
    // 100 + 16 x 3 = 148 and 100 + 65536 x 3 lie past the 133 parameters;
    // -40 x 3 lies before the first.
    for (const char* offset : {"16", "999999", "-40"}) {
        AM_View_Rec_Knob* knob = recorder(0);
        knob->setProperty("recParamOffset", 0, offset);
        steps.engineSets(kPlayStep, 2.0f);
        press(knob, 100, kAlt);
        dragTo(knob, 60);
        takeWrites();
        knob->onTimer();
        EXPECT_TRUE(takeWrites().empty()) << offset;
        release(knob, 60);
    }
}

TEST_F(RecKnobTest, MenuValuesNameTheLabelAndTheRightButtonOffersThem)
{
    AM_View_Rec_Knob* knob = recorder(1);
    knob->addNameLabel(0x1700);
    knob->setPortParameter(1, steps.param(kWave));
    ASSERT_EQ(knob->getMenuNames().count(), 4);
    auto* label = dynamic_cast<AM_View_Label*>(knob->getFirstChildControl());
    ASSERT_NE(label, nullptr);
    steps.engineSets(kWave, 3.0f);
    EXPECT_TRUE(knob->showsName());
    EXPECT_STREQ(label->getText(), "Filter");
    steps.engineSets(kWave, 2.0f); // "none"
    EXPECT_FALSE(knob->showsName());
    EXPECT_STREQ(label->getText(), "...");

    vm->answerText = "Env";
    const float p[2] = {30, 30};
    EXPECT_FALSE(knob->handleMouseDown(p, 2, 0));
    EXPECT_FLOAT_EQ(steps.value(kWave), 1.0f);
    ASSERT_EQ(vm->items.size(), 6u);
    EXPECT_EQ(vm->items[2].flags, 0x60000u); // "none" was current
    EXPECT_EQ(vm->items[5].text, "MidiLearn");

    // A command past the names sets nothing.
    AM_MenuItem stray;
    stray.command = AM_controlCommand(9);
    steps.writes.clear();
    knob->handleMenuCommand(p, kControlRunMenu, true, &stray);
    EXPECT_TRUE(steps.writes.empty());
}

TEST_F(RecKnobTest, RightButtonWithoutAListLearnsTheKnobsParameter)
{
    AM_View_Rec_Knob* knob = recorder(1);
    const float p[2] = {30, 30};
    EXPECT_FALSE(knob->handleMouseDown(p, 2, 0));
    ASSERT_EQ(steps.learned.size(), 1u);
    EXPECT_EQ(steps.learned[0].first, &wide);
}

TEST_F(RecKnobTest, TheOffsetMenuSetsAndChecksTheOffset)
{
    AM_View_Rec_Knob* knob = recorder(3);
    vm->answerText = "Param +12";
    const float p[2] = {30, 30};
    knob->buildEditMenu(p, true, 0);
    EXPECT_EQ(knob->getRecParamOffset(), 12);
    int offsets = 0;
    for (const auto& item : vm->items) {
        if (item.text.rfind("Param +", 0) == 0) {
            ++offsets;
            EXPECT_EQ(item.command, int32_t(AM_controlCommand(1)));
            EXPECT_EQ(item.flags, item.text == "Param +3" ? 0x60000u : 0u) << item.text;
        }
    }
    EXPECT_EQ(offsets, 16);
}

TEST_F(RecKnobTest, TheOffsetLineRoundTrips)
{
    AM_View_Rec_Knob* knob = recorder(7);
    knob->setName("Rec");
    std::string script;
    knob->writeControl(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Rec' name='recParamOffset' id='0' value='7'"),
              std::string::npos);
    const std::string read = "CONTROL type='Rec_Knob' name='Rec' bounds='10 10 28 28'\n"
                             "PROPERTY control='Rec' name='recParamOffset' id='0' value='5'\n";
    // A top-level control is cloned to a copy that stands alone.
    std::unique_ptr<AM_ViewControl> owned(knob->clone(false, nullptr, 40, 0));
    auto* copy = dynamic_cast<AM_View_Rec_Knob*>(owned.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getRecParamOffset(), 7);
    owned.reset(); // before its view manager goes

    const std::string written = rewrite(read);
    EXPECT_NE(written.find("name='recParamOffset' id='0' value='5'"), std::string::npos)
        << written;
    EXPECT_EQ(rewrite(written), written);
}

TEST_F(RecKnobTest, RecordingKnobsMatchTheirReferencePictures)
{
    AM_View_Rec_Knob* idle = make<AM_View_Rec_Knob>("Rec_Knob", {8, 8, 28, 28});
    idle->setPortParameter(0, &wide);
    const float thirty = 30;
    idle->setParameterValue(0, &thirty);
    AM_View_Rec_Knob* ready = make<AM_View_Rec_Knob>("Rec_Knob", {48, 8, 28, 28});
    ready->setPortParameter(0, &wide);
    ready->setPortParameter(2, steps.param(kFirstStep));
    const float seventy = 70;
    ready->setParameterValue(0, &seventy);
    AM_View_Rec_Knob* recording = make<AM_View_Rec_Knob>("Rec_Knob", {88, 4, 40, 40});
    recording->setPortParameter(0, &wide);
    recording->setPortParameter(2, steps.param(kFirstStep));
    const float p[2] = {100, 100};
    recording->handleMouseDown(p, kAlt, 0);
    const float up[2] = {100, 20}; // recorded 40
    recording->handleMouseDrag(up, 0, 0);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(idle, 136, 48, "rec_knobs", zoom), "") << zoom;
    recording->handleMouseUp(up, 0, 0);
}

} // namespace
