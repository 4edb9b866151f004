#include "ControlFixture.h"

#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_Label.h"

namespace {

using namespace controltest;

class KnobTest : public ControlTest {
protected:
    // A 0..100 knob (sensitivity 1.0) at 50.
    AM_View_Knob* wideKnob()
    {
        AM_View_Knob* knob = make<AM_View_Knob>("Knob", {20, 20, 28, 28});
        knob->setPortParameter(0, &wide);
        interface.engineSets(kTune, 50.0f);
        return knob;
    }
    // Press at (30, 100) with the flags, drag to each y, release at the last.
    void drag(AM_View_Knob* knob, std::initializer_list<float> ys, uint32_t flags = 0)
    {
        const float down[2] = {30.0f, 100.0f};
        knob->handleMouseDown(down, flags, 0);
        float y = 100.0f;
        for (const float to : ys) {
            y = to;
            const float point[2] = {30.0f, y};
            knob->handleMouseDrag(point, flags, 0);
        }
        const float up[2] = {30.0f, y};
        knob->handleMouseUp(up, flags, 0);
    }
    AM_ParamInfo around{};
};

TEST_F(KnobTest, RegistryMakesKnobsWithTheirPortsAndSlots)
{
    AM_View_Knob* knob = make<AM_View_Knob>("Knob", {0, 0, 28, 28});
    ASSERT_NE(knob, nullptr);
    EXPECT_STREQ(knob->getTypeName(), "Knob");
    EXPECT_EQ(std::string(knob->getName()), "Knob " + std::to_string(knob->getId()));
    EXPECT_EQ(knob->getNumPorts(), 2);
    EXPECT_STREQ(knob->getPortDescriptor(0)->name, "Knob Value");
    EXPECT_STREQ(knob->getPortDescriptor(1)->name, "Menu");
    EXPECT_EQ(knob->getGraphicCount(), 2);
    EXPECT_STREQ(knob->getGraphicName(0), "KnobBackground");
    EXPECT_STREQ(knob->getGraphicName(1), "KnobForeGround");
    EXPECT_EQ(knob->getColourCount(), 0);
    EXPECT_TRUE(knob->acceptsMouseWheel());
    EXPECT_FLOAT_EQ(knob->getValue(), 50.0f);
}

TEST_F(KnobTest, PortsTakeOnlyTheirParameterTypes)
{
    AM_View_Knob* knob = make<AM_View_Knob>("Knob", {0, 0, 28, 28});
    knob->setPortParameter(0, interface.param(kWave));
    EXPECT_EQ(knob->getPort(0)->parameter, nullptr);
    knob->setPortParameter(1, interface.param(kTune));
    EXPECT_EQ(knob->getPort(1)->parameter, nullptr);
    knob->setPortParameter(0, interface.param(kTune));
    knob->setPortParameter(1, interface.param(kWave));
    EXPECT_EQ(knob->getPort(0)->parameter, interface.param(kTune));
    EXPECT_EQ(knob->getPort(1)->parameter, interface.param(kWave));
}

TEST_F(KnobTest, SensitivityFollowsTheRange)
{
    const struct {
        float range;
        float sensitivity;
    } cases[] = {{4000.5f, 40}, {4000, 10}, {1000.5f, 10}, {1000, 4}, {190.5f, 4}, {190, 2},
                 {130.5f, 2},   {130, 1},   {75, 1},       {74.9f, 0.4f}, {16, 0.4f},
                 {15.9f, 0.2f}, {8, 0.2f},  {7.9f, 0.04f}, {2, 0.04f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(AM_View_Knob::sensitivityForRange(c.range), c.sensitivity) << c.range;

    AM_View_Knob* knob = make<AM_View_Knob>("Knob", {0, 0, 28, 28});
    knob->setPortParameter(0, interface.param(kTune));
    EXPECT_FLOAT_EQ(knob->getMinimum(), -1.0f);
    EXPECT_FLOAT_EQ(knob->getMaximum(), 1.0f);
    EXPECT_FLOAT_EQ(knob->getSensitivity(), 0.04f);
}

TEST_F(KnobTest, DraggingUpRaisesByHalfTheSensitivityPerPixel)
{
    AM_View_Knob* knob = wideKnob();
    drag(knob, {95, 90});
    EXPECT_FLOAT_EQ(interface.value(kTune), 55.0f);
    EXPECT_FLOAT_EQ(knob->getValue(), 55.0f);

    interface.engineSets(kTune, 50.0f);
    drag(knob, {90}, 1); // Shift: fine
    EXPECT_NEAR(interface.value(kTune), 50.1f, 1e-5f);

    interface.engineSets(kTune, 50.0f);
    drag(knob, {120}); // down
    EXPECT_FLOAT_EQ(interface.value(kTune), 40.0f);
}

TEST_F(KnobTest, DragsStopAtTheRangeAndSendNothingWithoutAChange)
{
    AM_View_Knob* knob = wideKnob();
    drag(knob, {-400});
    EXPECT_FLOAT_EQ(interface.value(kTune), 100.0f);
    const float down[2] = {30, 100};
    knob->handleMouseDown(down, 0, 0);
    interface.writes.clear();
    const float further[2] = {30, 0};
    knob->handleMouseDrag(further, 0, 0);
    knob->handleMouseUp(further, 0, 0);
    EXPECT_TRUE(interface.writes.empty());
}

TEST_F(KnobTest, DraggedValuesAreRoundedToHundredthsAwayFromZero)
{
    // The binding outlives the knob: a fixture member.
    around = wide;
    around.min = -10;
    around.max = 10;
    AM_View_Knob* knob = make<AM_View_Knob>("Knob", {0, 0, 28, 28});
    knob->setPortParameter(0, &around); // sensitivity 0.4: 0.2 per pixel
    interface.engineSets(kTune, 0.0f);
    drag(knob, {106.17f});
    EXPECT_FLOAT_EQ(interface.value(kTune), -1.23f);
    interface.engineSets(kTune, 0.0f);
    drag(knob, {100 - 11.7255f});
    EXPECT_FLOAT_EQ(interface.value(kTune), 2.35f);
}

TEST_F(KnobTest, ControlClickAndDoubleClickResetToTheDefault)
{
    AM_View_Knob* knob = wideKnob();
    interface.engineSets(kTune, 80.0f);
    const float point[2] = {30, 30};
    EXPECT_FALSE(knob->handleMouseDown(point, 4, 0));
    EXPECT_FLOAT_EQ(interface.value(kTune), 50.0f);
    EXPECT_FALSE(knob->isMouseDown());

    interface.engineSets(kTune, 20.0f);
    knob->onDoubleClick(point, 0);
    EXPECT_FLOAT_EQ(interface.value(kTune), 50.0f);
}

TEST_F(KnobTest, WheelStepsMoveByOneSensitivityUnitAndFineTuneADrag)
{
    AM_View_Knob* knob = wideKnob();
    knob->onMouseWheel(1);
    EXPECT_FLOAT_EQ(interface.value(kTune), 51.0f);
    knob->onMouseWheel(-3);
    EXPECT_FLOAT_EQ(interface.value(kTune), 48.0f);

    // During a press the wheel moves the press point by a fifth of a pixel.
    const float down[2] = {30, 100};
    knob->handleMouseDown(down, 0, 0);
    const float to[2] = {30, 90};
    knob->handleMouseDrag(to, 0, 0);
    EXPECT_FLOAT_EQ(interface.value(kTune), 53.0f);
    knob->onMouseWheel(5); // one more pixel
    EXPECT_FLOAT_EQ(interface.value(kTune), 53.5f);
    knob->handleMouseUp(to, 0, 0);
}

TEST_F(KnobTest, CustomSnapHoldsADragThatLandedOnAMultipleForThreeEvents)
{
    AM_View_Knob* knob = wideKnob();
    interface.engineSets(kTune, 10.0f);
    EXPECT_TRUE(knob->applyMenuCommand(kControlEditMenu, AM_controlCommand(3)));
    EXPECT_FLOAT_EQ(knob->getCustomSnap(), 10.0f);

    interface.engineSets(kTune, 35.0f);
    const float down[2] = {30, 100};
    knob->handleMouseDown(down, 0, 0);
    const float landing[2] = {30, 90}; // 35 + 5 = 40
    knob->handleMouseDrag(landing, 0, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 40.0f);
    for (const float y : {88.0f, 86.0f, 84.0f}) {
        const float p[2] = {30, y};
        knob->handleMouseDrag(p, 0, 0);
        EXPECT_FLOAT_EQ(knob->getValue(), 40.0f) << y;
    }
    const float fourth[2] = {30, 82}; // 35 + 9
    knob->handleMouseDrag(fourth, 0, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 44.0f);
    knob->handleMouseUp(fourth, 0, 0);

    // 40 set by the host holds nothing.
    interface.engineSets(kTune, 40.0f);
    AM_View_Knob* other = wideKnob();
    other->applyMenuCommand(kControlEditMenu, AM_controlCommand(3));
    (void)knob;
    interface.engineSets(kTune, 40.0f);
    drag(other, {98});
    EXPECT_FLOAT_EQ(other->getValue(), 41.0f);

    // A drag released on a multiple, then another multiple from a preset:
    // the next drag starts without a hold and moves with its first event.
    interface.engineSets(kTune, 35.0f);
    drag(knob, {90}); // released on 40, the hold still set
    ASSERT_FLOAT_EQ(knob->getValue(), 40.0f);
    interface.engineSets(kTune, 30.0f);
    drag(knob, {98});
    EXPECT_FLOAT_EQ(knob->getValue(), 31.0f);
}

TEST_F(KnobTest, CustomScaleStepsByTheRange)
{
    AM_View_Knob* knob = wideKnob();
    interface.engineSets(kTune, 3.0f);
    knob->applyMenuCommand(kControlEditMenu, AM_controlCommand(2)); // scale 3
    EXPECT_FLOAT_EQ(knob->getCustomScale(), 3.0f);
    interface.engineSets(kTune, 50.0f);
    drag(knob, {98.5f}); // 3 x 1.5 = 4.5, steps of 1 on a range of 100
    EXPECT_FLOAT_EQ(interface.value(kTune), 54.0f);
}

TEST_F(KnobTest, MenuParameterNamesTheLabelAndNoneMakesTheKnobInactive)
{
    AM_View_Knob* knob = wideKnob();
    knob->addNameLabel(0x1700);
    knob->setPortParameter(1, interface.param(kWave));
    ASSERT_EQ(knob->getValueNameCount(), 4);
    EXPECT_STREQ(knob->getValueName(0), "Osc");
    EXPECT_STREQ(knob->getValueName(3), "Filter");
    auto* label = dynamic_cast<AM_View_Label*>(knob->getFirstChildControl());
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isParentLabel());

    interface.engineSets(kWave, 1.0f);
    EXPECT_TRUE(knob->isActive());
    EXPECT_STREQ(label->getText(), "Env");

    interface.engineSets(kWave, 2.0f);
    EXPECT_FALSE(knob->isActive());
    EXPECT_STREQ(label->getText(), "...");

    // A left click on an inactive knob opens the value menu, no drag.
    interface.writes.clear();
    const float point[2] = {30, 30};
    EXPECT_FALSE(knob->handleMouseDown(point, 0, 0));
    EXPECT_EQ(vm->menusShown, 1);
    ASSERT_EQ(vm->items.size(), 7u);
    EXPECT_EQ(vm->items[2].text, "none");
    EXPECT_EQ(vm->items[2].flags, 0x60000u); // checked
    // The menu opens on the current value (table entries count from 1).
    EXPECT_EQ(vm->getMenuTable().initialItem(), 3u);
    EXPECT_EQ(vm->items[4].text, "-");
    EXPECT_EQ(vm->items[5].text, "MidiLearn");
    EXPECT_EQ(vm->items[5].command, (200 << 16) | 5);
    EXPECT_TRUE(interface.writes.empty());
    // The wheel does nothing on an inactive knob.
    knob->onMouseWheel(1);
    EXPECT_TRUE(interface.writes.empty());
}

TEST_F(KnobTest, ChoosingAValueNameSetsTheMenuParameter)
{
    AM_View_Knob* knob = wideKnob();
    knob->setPortParameter(1, interface.param(kWave));
    vm->answer = static_cast<int32_t>(AM_controlCommand(3));
    const float point[2] = {30, 30};
    // Right click: the menu; the press is not kept, the choice reaches the
    // knob.
    EXPECT_FALSE(knob->onMouseDown(point, 2));
    EXPECT_FLOAT_EQ(interface.value(kWave), 3.0f);
    EXPECT_FLOAT_EQ(knob->getMenuValue(), 3.0f);

    vm->answer = static_cast<int32_t>(AM_controlCommand(200));
    knob->onMouseDown(point, 2);
    ASSERT_EQ(interface.learned.size(), 1u);
    EXPECT_EQ(interface.learned[0].first, &wide);
}

TEST_F(KnobTest, RightClickMenusNeedABoundParameter)
{
    AM_View_Knob* knob = make<AM_View_Knob>("Knob", {0, 0, 28, 28});
    const float point[2] = {10, 10};
    EXPECT_FALSE(knob->onMouseDown(point, 2));
    EXPECT_EQ(vm->menusBegun, 0);

    knob->setPortParameter(0, &wide);
    knob->onMouseDown(point, 2);
    ASSERT_EQ(vm->items.size(), 2u);
    EXPECT_EQ(vm->items[0].text, "MidiLearn");
    EXPECT_EQ(vm->items[1].text, "MidiUnLearn");
}

TEST_F(KnobTest, TouchSelectPicksTheModuleNamedByTheMenuValue)
{
    AM_View_Knob* knob = wideKnob();
    knob->setPortParameter(1, interface.param(kWave));
    interface.engineSets(kWave, 3.0f);
    const float point[2] = {30, 30};
    EXPECT_TRUE(knob->handleMouseDown(point, 0, 0));
    knob->handleMouseUp(point, 0, 0);
    ASSERT_FALSE(vm->selectedModules.empty());
    EXPECT_EQ(vm->selectedModules.back(), "Filter");

    const size_t before = vm->selectedModules.size();
    knob->applyMenuCommand(kControlEditMenu, AM_controlCommand(1));
    EXPECT_FALSE(knob->getTouchSelect());
    knob->handleMouseDown(point, 0, 0);
    knob->handleMouseUp(point, 0, 0);
    EXPECT_EQ(vm->selectedModules.size(), before);
}

TEST_F(KnobTest, TouchSelectIsWrittenOnlyWhenOffAndReadBack)
{
    AM_View_Knob* knob = make<AM_View_Knob>("Knob", {0, 0, 28, 28});
    knob->setName("Cutoff");
    std::string script;
    knob->writeControl(&script);
    EXPECT_EQ(script.find("touchSelect"), std::string::npos);

    knob->setProperty("touchSelect", 0, "no");
    EXPECT_TRUE(knob->getTouchSelect());
    knob->setProperty("touchSelect", 0, "NO");
    EXPECT_FALSE(knob->getTouchSelect());
    script.clear();
    knob->writeControl(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Cutoff' name='touchSelect' id='0' value='NO'"),
              std::string::npos);
}

TEST_F(KnobTest, EditMenuItemsAndAnglesOfTheDrawnKnob)
{
    AM_View_Knob* knob = wideKnob();
    const AM_ControlMenu items = knob->buildEditItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, "-");
    EXPECT_EQ(items[1].text, "touchSelect");
    EXPECT_TRUE(items[1].checked);
    EXPECT_EQ(items[2].command, (2u << 16) | 5);
    EXPECT_EQ(items[3].text, "Value To CustomSnap");

    EXPECT_FLOAT_EQ(AM_View_Knob::angleOfPosition(0), -135.0f);
    EXPECT_FLOAT_EQ(AM_View_Knob::angleOfPosition(0.5f), 0.0f);
    EXPECT_FLOAT_EQ(knob->valueFromAngle(135.0f), 100.0f);
    EXPECT_FLOAT_EQ(knob->valueFromAngle(0.0f), 50.0f);
    EXPECT_FLOAT_EQ(knob->valueFromAngle(400.0f), 100.0f);
}

TEST_F(KnobTest, DrawnKnobsMatchTheirReferencePictures)
{
    AM_ViewControl* root = make<AM_ViewControl>("Knob", {0, 0, 1, 1});
    ASSERT_NE(root, nullptr);
    // Knobs at 0, 50 and 100 % and a bipolar knob below zero; the last is
    // inactive (menu value "none") and shows its default.
    const float values[] = {0, 50, 100};
    for (int i = 0; i < 3; ++i) {
        AM_View_Knob* knob = make<AM_View_Knob>("Knob", {8.0f + 40 * i, 8, 28, 28});
        knob->setPortParameter(0, &wide);
        knob->setParameterValue(0, &values[i]);
    }
    AM_View_Knob* bipolar = make<AM_View_Knob>("Knob", {128, 8, 28, 28});
    bipolar->setPortParameter(0, interface.param(kTune));
    const float minus = -0.6f;
    bipolar->setParameterValue(0, &minus);
    AM_View_Knob* inactive = make<AM_View_Knob>("Knob", {168, 8, 28, 28});
    inactive->setPortParameter(0, &wide);
    inactive->setPortParameter(1, interface.param(kWave));
    const float none = 2, ninety = 90;
    inactive->setParameterValue(0, &ninety);
    inactive->setParameterValue(1, &none);
    AM_View_Knob* large = make<AM_View_Knob>("Knob", {208, 4, 48, 48});
    large->setPortParameter(0, &wide);
    const float seventy = 70;
    large->setParameterValue(0, &seventy);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 264, 56, "knobs", zoom), "") << zoom;
}

TEST_F(KnobTest, KnobsWithNameAndValueLabelsMatchTheirReferencePictures)
{
    // A knob named by its parameter and one whose label shows the menu
    // parameter's current value name.
    AM_View_Knob* named = make<AM_View_Knob>("Knob", {26, 6, 28, 28});
    named->addNameLabel(0x1700);
    named->setPortParameter(0, &wide);
    const float sixty = 60;
    named->setParameterValue(0, &sixty);
    AM_View_Knob* menu = make<AM_View_Knob>("Knob", {106, 6, 28, 28});
    menu->addNameLabel(0x1700);
    menu->setPortParameter(0, &wide);
    menu->setPortParameter(1, interface.param(kWave));
    const float filter = 3, thirty = 30;
    menu->setParameterValue(0, &thirty);
    menu->setParameterValue(1, &filter);
    for (AM_View_Knob* knob : {named, menu})
        knob->setEditMode(false);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(named, 160, 56, "knob_labels", zoom), "") << zoom;
}

TEST_F(KnobTest, TheViewManagerRoutesDragsWheelAndDoubleClicksToTheKnob)
{
    AM_View_Knob* knob = wideKnob();
    vm->setEditMode(false);
    vm->handleMouseDown(30, 30, 0);
    vm->handleMouseDrag(30, 20, 0);
    vm->handleMouseUp(30, 20, 0);
    EXPECT_FLOAT_EQ(interface.value(kTune), 55.0f);
    EXPECT_FLOAT_EQ(knob->getValue(), 55.0f);
    // Each drag is one host edit.
    ASSERT_GE(interface.edits.size(), 2u);
    EXPECT_TRUE(interface.edits.front().begin);
    EXPECT_FALSE(interface.edits.back().begin);

    vm->handleDoubleClick(30, 30, 0);
    EXPECT_FLOAT_EQ(interface.value(kTune), 50.0f);

    vm->handleMouseWheel(30, 30, 1, 0);
    EXPECT_FLOAT_EQ(interface.value(kTune), 51.0f);
}

} // namespace
