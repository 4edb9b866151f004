#include "DialFixture.h"

#include "gui/controls/AM_View_Label.h"
#include "gui/controls/AM_View_MultiKnob.h"
#include "gui/graphics/AM_Colour.h"

#include <cmath>

namespace {

using namespace controltest;

constexpr int32_t kAux1Parameter = 7; // "P7"
constexpr int32_t kAux2Parameter = 8; // "P8"

class MultiKnobTest : public DialTest {
protected:
    MultiKnobTest()
    {
        for (AM_ParamInfo* aux : {&aux1, &aux2}) {
            *aux = *steps.param(aux == &aux1 ? kAux1Parameter : kAux2Parameter);
            aux->min = -50;
            aux->max = 50;
            aux->defaultValue = 10;
        }
    }
    // A 64 x 64 knob at (x, y) with the main value on 0..100 (sensitivity
    // 1.0) at 50 and both aux values on -50..50 at 0.
    AM_View_MultiKnob* knob(float x = 100, float y = 50)
    {
        const AM_Rect bounds{x, y, 64, 64};
        auto* k = static_cast<AM_View_MultiKnob*>(AM_View_MultiKnob::create(vm.get(), &bounds));
        vm->registerControl(k, nullptr);
        k->setVisible(true, kAllLayers, false);
        k->setEditMode(false);
        steps.engineSets(kTune, 50.0f);
        k->setPortParameter(0, &wide);
        k->setPortParameter(2, &aux1);
        k->setPortParameter(4, &aux2);
        return k;
    }
    void drag(AM_View_MultiKnob* k, float x, float y, float dy, uint32_t flags = 0)
    {
        const float down[2] = {x, y};
        if (!k->handleMouseDown(down, flags, 0))
            return;
        const float to[2] = {x, y + dy};
        k->handleMouseDrag(to, flags, 0);
        k->handleMouseUp(to, flags, 0);
    }

    AM_ParamInfo aux1{};
    AM_ParamInfo aux2{};
};

TEST_F(MultiKnobTest, MadeByItsFactoryAndByCloningButNotFromTheRegistry)
{
    AM_View_MultiKnob* k = knob();
    EXPECT_STREQ(k->getTypeName(), "MultiKnob");
    EXPECT_EQ(k->getFactory(), &AM_View_MultiKnob::create);
    ASSERT_EQ(k->getNumPorts(), 6);
    const char* const ports[] = {"Value", "Menu", "Aux1", "Menu1", "Aux2", "Menu2"};
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_STREQ(k->getPortDescriptor(i)->name, ports[i]);
    const char* const colours[] = {"positive", "negative", "label"};
    ASSERT_EQ(k->getColourCount(), 3);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_STREQ(k->getColourName(i), colours[i]);
    const char* const graphics[] = {"MultiKnobBackground", "MultiKnobForeGround",
                                    "MultiKnobForeGround1", "MultiKnobForeGround2"};
    ASSERT_EQ(k->getGraphicCount(), 4);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_STREQ(k->getGraphicName(i), graphics[i]);
    EXPECT_TRUE(k->acceptsMouseWheel());

    const AM_Rect bounds{0, 0, 64, 64};
    std::unique_ptr<AM_ViewControl> fromRegistry(vm->createControl("MultiKnob", &bounds));
    EXPECT_EQ(dynamic_cast<AM_View_MultiKnob*>(fromRegistry.get()), nullptr);

    k->setProperty("TextSize", 0, "11");
    k->setProperty("touchSelect", 0, "NO");
    // A top-level control is cloned to a copy that stands alone.
    std::unique_ptr<AM_ViewControl> owned(k->clone(false, nullptr, 80, 0));
    auto* copy = dynamic_cast<AM_View_MultiKnob*>(owned.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_FLOAT_EQ(copy->getTextSize(), 11.0f);
    EXPECT_FALSE(copy->getTouchSelect());
}

TEST_F(MultiKnobTest, ThePressPointPicksTheZoneAndTheBottomStripAsksForAMenu)
{
    AM_View_MultiKnob* k = knob(); // x 100..164, y 50..114; strip from y 102
    const struct {
        float x;
        float y;
        int32_t zone;
        bool strip;
    } cases[] = {{115, 60, 2, false}, {116, 60, 0, false}, {148, 60, 0, false},
                 {149, 60, 4, false}, {131, 101, 0, false}, {131, 102, 2, true},
                 {133, 110, 4, true}, {132, 110, 0, true}};
    for (const auto& c : cases) {
        const float p[2] = {c.x, c.y};
        EXPECT_EQ(k->zoneAt(p), c.zone) << c.x << " " << c.y;
        EXPECT_EQ(k->inBottomStrip(p), c.strip) << c.x << " " << c.y;
    }
}

TEST_F(MultiKnobTest, DragsChangeTheValueOfTheirZone)
{
    AM_View_MultiKnob* k = knob();
    drag(k, 132, 70, -10); // main: half a unit per pixel
    EXPECT_FLOAT_EQ(steps.value(kTune), 55.0f);
    drag(k, 105, 70, -20); // Aux1
    EXPECT_FLOAT_EQ(steps.value(kAux1Parameter), 10.0f);
    drag(k, 160, 70, 30); // Aux2, downwards
    EXPECT_FLOAT_EQ(steps.value(kAux2Parameter), -15.0f);
    drag(k, 160, 70, 300); // held to the range
    EXPECT_FLOAT_EQ(steps.value(kAux2Parameter), -50.0f);
    EXPECT_FLOAT_EQ(k->getValue(4), -50.0f);
    EXPECT_FLOAT_EQ(steps.value(kTune), 55.0f);
}

TEST_F(MultiKnobTest, ShiftDragsAreFineAndValuesKeepToHundredths)
{
    AM_View_MultiKnob* k = knob();
    drag(k, 132, 70, -100, 1);
    EXPECT_FLOAT_EQ(steps.value(kTune), 51.0f);
    // 6.17 pixels at half a unit: 3.085, rounded away from zero.
    for (const float dy : {-6.17f, 6.17f, -0.333f}) {
        steps.engineSets(kAux1Parameter, 0.0f);
        drag(k, 105, 70, dy);
        const float v = steps.value(kAux1Parameter);
        EXPECT_NEAR(v * 100.0f, std::round(v * 100.0f), 1e-3f) << dy;
    }
    steps.engineSets(kAux1Parameter, 0.0f);
    drag(k, 105, 70, -0.333f);
    EXPECT_FLOAT_EQ(steps.value(kAux1Parameter), 0.17f);
}

TEST_F(MultiKnobTest, ControlClickResetsTheZoneWithoutADrag)
{
    AM_View_MultiKnob* k = knob();
    steps.engineSets(kAux1Parameter, -30.0f);
    const float p[2] = {105, 70};
    EXPECT_FALSE(k->handleMouseDown(p, 4, 0));
    EXPECT_FLOAT_EQ(steps.value(kAux1Parameter), 10.0f);
    EXPECT_FALSE(k->isMouseDown());
    steps.engineSets(kTune, 80.0f);
    k->onDoubleClick(p, 0); // the main value, whatever the zone
    EXPECT_FLOAT_EQ(steps.value(kTune), 50.0f);
}

TEST_F(MultiKnobTest, TheBottomStripOpensEachSidesListAndRightClicksLearn)
{
    AM_View_MultiKnob* k = knob();
    k->setPortParameter(3, steps.param(kWave));
    k->setPortParameter(5, steps.param(kWave));
    steps.engineSets(kWave, 1.0f);
    ASSERT_EQ(k->getNames(3).count(), 4);
    vm->answerText = "Filter";
    const float left[2] = {110, 108};
    EXPECT_FALSE(k->handleMouseDown(left, 0, 0));
    EXPECT_FLOAT_EQ(steps.value(kWave), 3.0f);
    ASSERT_EQ(vm->items.size(), 6u);
    EXPECT_EQ(vm->items[1].flags, 0x60000u); // "Env" was current
    EXPECT_EQ(vm->items[0].flags, 0x20000u);
    EXPECT_EQ(vm->getMenuTable().initialItem(), 2u);
    EXPECT_EQ(vm->items[3].command, int32_t(AM_controlCommand(3)));
    EXPECT_EQ(vm->items[5].text, "MidiLearn");

    vm->answerText = "Osc";
    const float right[2] = {150, 108};
    k->handleMouseDown(right, 0, 0);
    EXPECT_FLOAT_EQ(steps.value(kWave), 0.0f);
    EXPECT_EQ(k->getZone(), 4);

    // A command past the list's names sets nothing.
    AM_MenuItem stray;
    stray.command = AM_controlCommand(7);
    steps.writes.clear();
    k->handleMenuCommand(right, kControlRunMenu, true, &stray);
    EXPECT_TRUE(steps.writes.empty());

    // The main zone has no list: the right button offers MIDI learn, and
    // unlearn learns twice.
    vm->answerText = "MidiUnLearn";
    const float middle[2] = {132, 70};
    EXPECT_FALSE(k->handleMouseDown(middle, 2, 0));
    ASSERT_EQ(vm->items.size(), 2u);
    EXPECT_EQ(steps.learned.size(), 2u);
    // A zone without a parameter opens nothing.
    AM_View_MultiKnob* bare = knob(300, 50);
    bare->setPortParameter(2, nullptr);
    const int before = vm->menusShown;
    const float bareLeft[2] = {305, 70};
    EXPECT_FALSE(bare->handleMouseDown(bareLeft, 2, 0));
    EXPECT_EQ(vm->menusShown, before);
}

TEST_F(MultiKnobTest, TheWheelEditsTheMainValueWhereverTheKnobIs)
{
    // Far from the origin and short: a press at a fixed place would land in
    // a side zone or the bottom strip.
    AM_View_MultiKnob* k = knob(300, 200);
    k->setPortParameter(3, steps.param(kWave));
    vm->setEditMode(false);
    const int menus = vm->menusShown;
    vm->handleMouseWheel(332, 230, 1, 0);
    EXPECT_FLOAT_EQ(steps.value(kTune), 51.0f);
    k->onMouseWheel(-3);
    EXPECT_FLOAT_EQ(steps.value(kTune), 48.0f);
    EXPECT_FLOAT_EQ(steps.value(kAux1Parameter), 0.0f);
    EXPECT_EQ(vm->menusShown, menus);

    // During a press the wheel moves the press point by a fifth of a unit.
    const float p[2] = {305, 230}; // Aux1
    ASSERT_TRUE(k->handleMouseDown(p, 0, 0));
    const float to[2] = {305, 220};
    k->handleMouseDrag(to, 0, 0);
    EXPECT_FLOAT_EQ(steps.value(kAux1Parameter), 5.0f);
    k->onMouseWheel(5);
    EXPECT_FLOAT_EQ(steps.value(kAux1Parameter), 5.5f);
    k->handleMouseUp(to, 0, 0);
}

TEST_F(MultiKnobTest, TheMenuValueNamesTheLabel)
{
    AM_View_MultiKnob* k = knob();
    k->setPortParameter(1, steps.param(kWave));
    steps.engineSets(kWave, 3.0f);
    k->addNameLabel(0x1700);
    auto* label = dynamic_cast<AM_View_Label*>(k->getFirstChildControl());
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->getText(), "Filter");
    steps.engineSets(kWave, 1.0f);
    EXPECT_STREQ(label->getText(), "Env");
}

TEST_F(MultiKnobTest, TextLinesAreWrittenAlwaysAndTouchSelectOnlyWhenOff)
{
    AM_View_MultiKnob* k = knob();
    k->setName("Multi");
    std::string script;
    k->writeControl(&script);
    EXPECT_EQ(script.find("touchSelect"), std::string::npos);
    for (const char* line : {"\nPROPERTY control='Multi' name='TextAlignment' id='0' value='1'",
                             "\nPROPERTY control='Multi' name='TextVAlignment' id='0' value='1'",
                             "\nPROPERTY control='Multi' name='TextSize' id='0' value='9.00'",
                             "\nPROPERTY control='Multi' name='TextVOffset' id='0' value='-2.00'"})
        EXPECT_NE(script.find(line), std::string::npos) << line;

    vm->answerText = "touchSelect";
    const float p[2] = {132, 70};
    k->buildEditMenu(p, true, 0);
    EXPECT_FALSE(k->getTouchSelect());
    k->setProperty("TextAlignment", 0, "2");
    k->setProperty("TextSize", 0, "10.5");
    k->setProperty("TextVOffset", 0, "1");
    script.clear();
    k->writeControl(&script);
    EXPECT_NE(script.find("name='touchSelect' id='0' value='NO'"), std::string::npos);

    // The lines read into another knob write the same text.
    AM_View_MultiKnob* other = knob(300, 50);
    const std::string prefix = "\nPROPERTY control='Multi' name='";
    for (size_t at = script.find(prefix); at != std::string::npos; at = script.find(prefix, at + 1)) {
        const size_t nameStart = at + prefix.size();
        const std::string name = script.substr(nameStart, script.find('\'', nameStart) - nameStart);
        const size_t valueStart = script.find("value='", at) + 7;
        const std::string value =
            script.substr(valueStart, script.find('\'', valueStart) - valueStart);
        other->setProperty(name.c_str(), 0, value.c_str());
    }
    other->setName("Multi2");
    k->setName("Multi2");
    std::string a, b;
    k->writeControl(&a);
    other->writeControl(&b);
    const auto properties = [](const std::string& s) {
        return s.substr(s.find("\nPROPERTY control='Multi2' name='Text"));
    };
    EXPECT_EQ(properties(a), properties(b));
    EXPECT_FLOAT_EQ(other->getTextSize(), 10.5f);
    EXPECT_FALSE(other->getTouchSelect());
}

TEST_F(MultiKnobTest, MultiKnobsMatchTheirReferencePictures)
{
    AM_View_MultiKnob* first = knob(8, 8);
    first->setPortParameter(3, steps.param(kWave));
    first->setPortParameter(5, steps.param(kWave));
    const float main = 70, up = 30, down = -20, osc = 0, filter = 3;
    first->setParameterValue(0, &main);
    first->setParameterValue(2, &up);
    first->setParameterValue(4, &down);
    first->setParameterValue(3, &osc);
    first->setParameterValue(5, &filter);
    // With its own arc colours: negative left, full positive right.
    AM_View_MultiKnob* coloured = knob(84, 8);
    coloured->setColour(vm->getColour("green"), 0);
    coloured->setColour(vm->getColour("red"), 1);
    const float low = 20, minus = -50, plus = 50;
    coloured->setParameterValue(0, &low);
    coloured->setParameterValue(2, &minus);
    coloured->setParameterValue(4, &plus);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(first, 160, 80, "multi_knobs", zoom), "") << zoom;
}

} // namespace
