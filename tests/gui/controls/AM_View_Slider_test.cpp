#include "ControlFixture.h"

#include "gui/controls/AM_View_Slider.h"
#include "gui/graphics/AM_Colour.h"

#include <cmath>

namespace {

using namespace controltest;

class SliderTest : public ControlTest {
protected:
    SliderTest()
    {
        fifty = *interface.param(kTune);
        fifty.min = 0;
        fifty.max = 50;
        fifty.defaultValue = 10;
    }
    // A slider on the parameter, at the value, in run mode.
    AM_View_Slider* slider(AM_Rect bounds, bool vertical, AM_ParamInfo* parameter, float value)
    {
        AM_View_Slider* s = make<AM_View_Slider>("Slider", bounds);
        s->setVertical(vertical);
        s->setPortParameter(AM_View_Slider::kValuePort, parameter);
        interface.engineSets(static_cast<int32_t>(parameter->index), value);
        return s;
    }
    AM_ParamInfo fifty{};
};

TEST_F(SliderTest, RegistryMakesSlidersWithTheirPortsAndSlots)
{
    AM_View_Slider* s = make<AM_View_Slider>("Slider", {0, 0, 24, 103});
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->getTypeName(), "Slider");
    EXPECT_EQ(std::string(s->getName()), "Slider " + std::to_string(s->getId()));
    ASSERT_EQ(s->getNumPorts(), 2);
    EXPECT_STREQ(s->getPortDescriptor(0)->name, "Slider Value");
    EXPECT_STREQ(s->getPortDescriptor(1)->name, "Feedback");
    ASSERT_EQ(s->getColourCount(), 3);
    EXPECT_STREQ(s->getColourName(0), "Background");
    EXPECT_STREQ(s->getColourName(2), "Value");
    ASSERT_EQ(s->getGraphicCount(), 3);
    EXPECT_STREQ(s->getGraphicName(0), "SliderBackground");
    EXPECT_STREQ(s->getGraphicName(1), "SliderValue");
    EXPECT_STREQ(s->getGraphicName(2), "SliderHandle");
    EXPECT_TRUE(s->acceptsMouseWheel());
    EXPECT_TRUE(s->isVertical());
    EXPECT_FALSE(s->isRelativeDrag());
    EXPECT_FALSE(s->hasTimer());
    // The feedback port takes only engine outputs, the value port no meter.
    s->setPortParameter(0, interface.param(kLevel));
    EXPECT_EQ(s->getPort(0)->parameter, nullptr);
    s->setPortParameter(1, interface.param(kTune));
    EXPECT_EQ(s->getPort(1)->parameter, nullptr);
}

TEST_F(SliderTest, AClickOnAHorizontalSliderJumpsThere)
{
    // 100 units wide, no handle graphic: the track runs from x + 1 over 98
    // units.
    struct Case {
        float dx;
        float expected;
    };
    const Case cases[] = {{30, 29.0f / 98.0f}, {1, 0.0f}, {0, 0.0f}, {99, 1.0f}, {50, 49.0f / 98.0f}};
    for (const float zoom : {1.0f, 2.0f}) {
        for (const Case& c : cases) {
            AM_View_Slider* s = slider({10, 10, 100, 24}, false, interface.param(kAttack), 0.5f);
            gesture(zoom, {{10 + c.dx, 20}});
            EXPECT_NEAR(interface.value(kAttack), c.expected, 1e-5) << zoom << " " << c.dx;
            EXPECT_NEAR(s->getValue(), c.expected, 1e-5);
            EXPECT_FALSE(s->isRelativeDrag());
            delete s;
        }
    }
}

TEST_F(SliderTest, DragsFollowThePointerOnAHorizontalSlider)
{
    AM_View_Slider* s = slider({10, 10, 100, 24}, false, interface.param(kAttack), 0.0f);
    gesture(1.0f, {{40, 20}, {60, 20}, {200, 20}});
    EXPECT_FLOAT_EQ(s->getValue(), 1.0f);
    gesture(1.0f, {{60, 20}, {-5, 20}});
    EXPECT_FLOAT_EQ(s->getValue(), 0.0f);
}

TEST_F(SliderTest, VerticalSlidersDragRelativeToThePress)
{
    struct Case {
        const char* what;
        AM_ParamInfo* parameter;
        float start;
        float up;
        uint32_t flags;
        float expected;
    };
    AM_ParamInfo hundred = wide;
    const Case cases[] = {
        // Range below 50: a hundredth per pixel, halved since 1.5 does not
        // exceed the 101-unit track.
        {"range 1", interface.param(kAttack), 0.5f, 10, 0, 0.55f},
        {"range 1 fine", interface.param(kAttack), 0.5f, 10, 1, 0.5005f},
        {"range 1 down", interface.param(kAttack), 0.5f, -100, 0, 0.0f},
        // A range of exactly 50 is not slowed by the range rule; 75 is not
        // greater than the track, so halved.
        {"range 50", &fifty, 25.0f, 10, 0, 30.0f},
        // 150 exceeds the track: a unit per pixel.
        {"range 100", &hundred, 50.0f, 10, 0, 60.0f},
        {"range 100 past the end", &hundred, 50.0f, 80, 0, 100.0f},
    };
    for (const float zoom : {1.0f, 2.0f}) {
        for (const Case& c : cases) {
            AM_View_Slider* s = slider({10, 10, 24, 103}, true, c.parameter, c.start);
            // The press itself does not move the value.
            gesture(zoom, {{20, 80}, {25, 80 - c.up / 2}, {25, 80 - c.up}}, c.flags);
            EXPECT_NEAR(s->getValue(), c.expected, 1e-4) << c.what << " " << zoom;
            EXPECT_TRUE(s->isRelativeDrag());
            delete s;
        }
    }
}

TEST_F(SliderTest, TheWheelDragsOnePixelPerStepAndMakesTheDragRelative)
{
    AM_View_Slider* s = slider({10, 10, 100, 24}, false, &wide, 50.0f);
    vm->setEditMode(false);
    // Horizontal: (range 100) x 1.5 exceeds the track height of 22, so a
    // unit per step.
    vm->handleMouseWheel(30, 20, 1, 0);
    EXPECT_FLOAT_EQ(s->getValue(), 51.0f);
    vm->handleMouseWheel(30, 20, -1, 0);
    vm->handleMouseWheel(30, 20, -1, 0);
    EXPECT_FLOAT_EQ(s->getValue(), 49.0f);
    EXPECT_TRUE(s->isRelativeDrag());
    // From now on a click no longer jumps: the drag is relative.
    gesture(1.0f, {{90, 20}, {95, 20}});
    EXPECT_FLOAT_EQ(s->getValue(), 54.0f);

    // The wheel does nothing while the button is down.
    const float down[2] = {50, 20};
    s->handleMouseDown(down, 0, 0);
    s->onMouseWheel(5);
    EXPECT_FLOAT_EQ(s->getValue(), 54.0f);
    s->handleMouseUp(down, 0, 0);
}

TEST_F(SliderTest, DoubleClickResetsAndTheRightButtonOffersMidiLearn)
{
    AM_View_Slider* s = slider({10, 10, 24, 103}, true, &fifty, 40.0f);
    const float point[2] = {20, 50};
    s->onDoubleClick(point, 0);
    EXPECT_FLOAT_EQ(s->getValue(), 10.0f);
    EXPECT_FLOAT_EQ(interface.value(kTune), 10.0f);

    vm->answer = (201 << 16) | 5;
    EXPECT_FALSE(s->onMouseDown(point, 2));
    ASSERT_EQ(vm->items.size(), 2u);
    EXPECT_EQ(vm->items[0].text, "MidiLearn");
    EXPECT_EQ(vm->items[0].command, (200 << 16) | 5);
    EXPECT_EQ(vm->items[1].text, "MidiUnLearn");
    // Unlearn is learn twice.
    EXPECT_EQ(interface.learned.size(), 2u);
    EXPECT_FLOAT_EQ(s->getValue(), 10.0f);

    // Without a parameter the right button is a left click.
    AM_View_Slider* unbound = make<AM_View_Slider>("Slider", {50, 10, 100, 24});
    unbound->setVertical(false);
    const int shown = vm->menusShown;
    const float at[2] = {100, 20};
    EXPECT_TRUE(unbound->onMouseDown(at, 2));
    EXPECT_EQ(vm->menusShown, shown);
    EXPECT_NEAR(unbound->getValue(), 49.0f / 98.0f, 1e-6);
}

TEST_F(SliderTest, TheFeedbackPortIsPolledAndNeverBecomesTheValue)
{
    AM_View_Slider* s = slider({10, 10, 24, 103}, true, interface.param(kAttack), 0.25f);
    s->setPortParameter(AM_View_Slider::kFeedbackPort, interface.param(kLevel));
    EXPECT_TRUE(s->hasTimer());
    interface.engineSets(kLevel, 0.75f);
    EXPECT_FLOAT_EQ(s->getValue(), 0.25f);
    s->onTimer();
    EXPECT_FLOAT_EQ(s->getFeedback(), 0.75f);
    EXPECT_FLOAT_EQ(s->getValue(), 0.25f);
    // A hidden slider is not polled.
    s->setVisible(false, kAllLayers, false);
    interface.engineSets(kLevel, 0.1f);
    s->onTimer();
    EXPECT_FLOAT_EQ(s->getFeedback(), 0.75f);
}

TEST_F(SliderTest, TheValueBarGrowsFromTheRangesZeroAndStaysInside)
{
    const AM_Rect inner{0, 0, 100, 50};
    struct Case {
        float v, m, r;
        bool vertical;
        AM_Rect expected;
    };
    const Case cases[] = {
        {0.5f, 0, 1, false, {0, 0, 50, 50}},
        {-0.5f, -1, 2, false, {25, 0, 25, 50}},
        {0.5f, -1, 2, false, {50, 0, 25, 50}},
        {0.5f, 0, 1, true, {0, 25, 100, 25}},
        {-0.5f, -1, 2, true, {0, 25, 100, 12.5f}},
        // A range above zero: only the part inside is drawn.
        {60, 20, 100, false, {0, 0, 40, 50}},
        {20, 20, 100, false, {0, 0, 0, 50}},
        {1, 0, 0, false, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const AM_Rect bar = AM_View_Slider::valueBar(inner, c.v, c.m, c.r, c.vertical);
        EXPECT_NEAR(bar.x, c.expected.x, 1e-4) << c.v << " " << c.m;
        EXPECT_NEAR(bar.y, c.expected.y, 1e-4) << c.v << " " << c.m;
        EXPECT_NEAR(bar.w, c.expected.w, 1e-4) << c.v << " " << c.m;
        EXPECT_NEAR(bar.h, c.expected.h, 1e-4) << c.v << " " << c.m;
    }
}

TEST_F(SliderTest, EditMenuTogglesVerticalAndTheDirectionRoundTrips)
{
    AM_View_Slider* s = make<AM_View_Slider>("Slider", {10, 10, 24, 103});
    const AM_ControlMenu items = s->buildEditItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].text, "vertical");
    EXPECT_EQ(items[1].command, (1u << 16) | 5);
    EXPECT_TRUE(items[1].checked);
    AM_MenuItem item;
    item.command = (1u << 16) | 5;
    EXPECT_TRUE(s->handleMenuCommand(nullptr, kEditMenuId, true, &item));
    EXPECT_FALSE(s->isVertical());
    EXPECT_TRUE(s->handleMenuCommand(nullptr, kEditMenuId, false, nullptr));

    std::string script;
    s->writeControl(&script);
    const std::string line =
        "\nPROPERTY control='" + std::string(s->getName()) +
        "' name='direction' id='0' value='horizontal'";
    EXPECT_NE(script.find(line), std::string::npos) << script;
    s->setProperty("direction", 0, "vertical");
    EXPECT_TRUE(s->isVertical());
    s->setProperty("direction", 0, "Vertical");
    EXPECT_FALSE(s->isVertical());

    // A clone keeps the orientation.
    AM_View_Slider* clone = make<AM_View_Slider>("Slider", {40, 10, 24, 103});
    s->copyProperties(clone);
    EXPECT_FALSE(clone->isVertical());
}

TEST_F(SliderTest, AScriptOfSlidersWritesBackIdentically)
{
    const std::string first =
        readAndWrite("CONTROL type='Slider' name='Cut' bounds='10 10 24 103'\n"
                     "CONTROL type='Slider' name='Res' bounds='40 10 100 24'\n"
                     "PROPERTY control='Res' name='direction' id='0' value='horizontal'\n");
    AM_ViewControl* top = vm->getTopControl();
    ASSERT_NE(top, nullptr);
    auto* cut = dynamic_cast<AM_View_Slider*>(top->findByName("Cut"));
    auto* res = dynamic_cast<AM_View_Slider*>(top->findByName("Res"));
    ASSERT_NE(cut, nullptr);
    ASSERT_NE(res, nullptr);
    EXPECT_TRUE(cut->isVertical());
    EXPECT_FALSE(res->isVertical());
    EXPECT_NE(first.find("control='Cut' name='direction' id='0' value='vertical'"),
              std::string::npos);
    EXPECT_NE(first.find("control='Res' name='direction' id='0' value='horizontal'"),
              std::string::npos);
    EXPECT_EQ(readAndWrite(first), first);
}

TEST_F(SliderTest, SlidersMatchTheirReferencePictures)
{
    // Drawn sliders at minimum, middle and maximum, vertical and
    // horizontal, a bipolar one below zero, one showing its feedback and
    // one of plain colours. The values are shown directly: the interface
    // binds at most four ports to one parameter.
    AM_ViewControl* root = make<AM_ViewControl>("Slider", {0, 0, 1, 1});
    auto place = [&](AM_Rect bounds, bool vertical, AM_ParamInfo* parameter, float value) {
        AM_View_Slider* s = make<AM_View_Slider>("Slider", bounds);
        s->setVertical(vertical);
        s->setPortParameter(AM_View_Slider::kValuePort, parameter);
        s->setParameterValue(AM_View_Slider::kValuePort, &value);
        return s;
    };
    const float values[] = {0, 50, 100};
    for (int i = 0; i < 3; ++i) {
        place({8.0f + 32 * i, 8, 24, 103}, true, &wide, values[i]);
        place({112, 8.0f + 28 * i, 120, 20}, false, &fifty, values[i] / 2);
    }
    place({112, 92, 120, 20}, false, interface.param(kEnvTune), -0.5f);
    AM_View_Slider* feedback = place({240, 8, 24, 103}, true, interface.param(kAttack), 0.8f);
    feedback->setPortParameter(AM_View_Slider::kFeedbackPort, interface.param(kLevel));
    interface.engineSets(kLevel, 0.4f);
    feedback->onTimer();
    AM_View_Slider* coloured = place({272, 8, 24, 103}, true, interface.param(kAttack), 0.7f);
    AM_Colour background(vm.get(), "sb", 0x30343AFF), border(vm.get(), "sf", 0x9098A0FF),
        bar(vm.get(), "sv", 0x7FC97FFF);
    coloured->setColour(&background, 0);
    coloured->setColour(&border, 1);
    coloured->setColour(&bar, 2);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 304, 120, "sliders", zoom), "") << zoom;
    for (int i = 0; i < 3; ++i) {
        coloured->setColour(nullptr, i);
    }
}

} // namespace
