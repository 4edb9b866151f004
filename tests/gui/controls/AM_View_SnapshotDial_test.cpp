#include "DialFixture.h"

#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_SnapshotDial.h"
#include "gui/views/AM_ControlMessages.h"

#include <array>

namespace {

using namespace controltest;

// A control that records the rebinding messages it receives.
class Spy : public AM_ViewControl {
public:
    using AM_ViewControl::AM_ViewControl;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == kCtlMsgIndexOffset && ptr != nullptr) {
            int32_t offset = 0;
            std::memcpy(&offset, ptr, sizeof offset);
            moves.push_back({int32_t(arg), offset});
        }
        AM_ViewControl::receiveMessage(sender, message, arg, ptr);
    }
    std::vector<std::pair<int32_t, int32_t>> moves;
};

class SnapshotDialTest : public DialTest {
protected:
    SnapshotDialTest()
    {
        eight = wide;
        eight.min = 0;
        eight.max = 8;
        eight.defaultValue = 0;
    }
    // A 129 x 129 dial at (0, 0) on a 0..8 position, with a spy listening.
    AM_View_SnapshotDial* dial()
    {
        AM_View_SnapshotDial* d = make<AM_View_SnapshotDial>("SnapshotDial", {0, 0, 129, 129});
        d->setPortParameter(0, &eight);
        steps.engineSets(kTune, 0.0f);
        const AM_Rect r{200, 0, 10, 10};
        spy = new Spy(vm.get(), &r);
        vm->registerControl(spy, nullptr);
        return d;
    }
    // A knob on the first step parameter.
    AM_View_Knob* stepKnob()
    {
        AM_View_Knob* knob = make<AM_View_Knob>("Knob", {300, 0, 28, 28});
        knob->setPortParameter(0, steps.param(kFirstStep));
        return knob;
    }
    void click(AM_View_SnapshotDial* d, float x, float y)
    {
        const float p[2] = {x, y};
        if (d->handleMouseDown(p, 0, 0))
            d->handleMouseUp(p, 0, 0);
    }
    void turn(AM_View_SnapshotDial* d, float pixels)
    {
        const float down[2] = {64, 64};
        ASSERT_TRUE(d->handleMouseDown(down, 0, 0));
        const float to[2] = {64, 64 - pixels};
        d->handleMouseDrag(to, 0, 0);
        d->handleMouseUp(to, 0, 0);
    }

    AM_ParamInfo eight{};
    Spy* spy = nullptr;
};

TEST_F(SnapshotDialTest, RegistryMakesDialsWithTheirPortsSlotsAndTimer)
{
    AM_View_SnapshotDial* d = make<AM_View_SnapshotDial>("SnapshotDial", {0, 0, 129, 129});
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->getTypeName(), "SnapshotDial");
    EXPECT_EQ(d->getFactory(), &AM_View_SnapshotDial::create);
    EXPECT_TRUE(d->hasTimer());
    ASSERT_EQ(d->getNumPorts(), 2);
    EXPECT_STREQ(d->getPortDescriptor(0)->name, "SnapshotDial Value");
    EXPECT_STREQ(d->getPortDescriptor(1)->name, "Snapshot Meter");
    ASSERT_EQ(d->getColourCount(), 3);
    EXPECT_STREQ(d->getColourName(2), "Value");
    const char* const graphics[] = {"SnapshotDialBackground", "SnapshotDialValue", "SelectCirc",
                                    "DialCirc", "DialHighlite", "DialDownlite", "DialMeter"};
    ASSERT_EQ(d->getGraphicCount(), 7);
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_STREQ(d->getGraphicName(i), graphics[i]);
    EXPECT_FLOAT_EQ(d->getSnapshotCount(), 8.0f);
    EXPECT_TRUE(d->getAutoSelect());
    EXPECT_EQ(d->getParamCount(), 0);
    // The position and the meter have their own storage.
    EXPECT_NE(d->getValuePointer(0), d->getValuePointer(1));
    d->setPortParameter(0, &eight);
    EXPECT_FLOAT_EQ(d->getSnapshotCount(), 8.0f);
}

TEST_F(SnapshotDialTest, SectorsRunClockwiseFromTheTopAndTheRingIsTheOuterBand)
{
    AM_View_SnapshotDial* d = dial();
    const float c = 64.5f; // the centre of a 129-wide dial
    const struct {
        float x;
        float y;
        int32_t sector;
    } cases[] = {{c, 2, 0},       {127, c, 2},      {c, 127, 4},      {2, c, 6},
                 {c + 20, 10, 0}, {c + 30, 10, 1},  {c - 30, 10, 7},  {c - 20, 10, 0}};
    for (const auto& k : cases) {
        const float p[2] = {k.x, k.y};
        EXPECT_EQ(d->sectorAt(p), k.sector) << k.x << " " << k.y;
    }
    const float centre[2] = {c, c};
    const float inside[2] = {c, c - 40}; // 40 < 0.65 x 64.5
    const float ring[2] = {c, c - 43};
    EXPECT_FALSE(d->onRing(centre));
    EXPECT_FALSE(d->onRing(inside));
    EXPECT_TRUE(d->onRing(ring));
}

TEST_F(SnapshotDialTest, SelectingASectorRebindsTheSnapshotParameters)
{
    AM_View_SnapshotDial* d = dial();
    AM_View_Knob* knob = stepKnob();
    ASSERT_TRUE(d->addSnapshotParam(kFirstStep));
    ASSERT_TRUE(d->setAliasParam(0, kFirstStep + 1)); // copies one index apart
    steps.engineSets(kFirstStep + 2, 30.0f);

    click(d, 127, 64); // right: sector 2
    EXPECT_EQ(d->getCurrent(), 2);
    ASSERT_EQ(spy->moves.size(), 1u);
    EXPECT_EQ(spy->moves[0], (std::pair<int32_t, int32_t>{kFirstStep, 2}));
    ASSERT_NE(knob->getPort(0)->parameter, nullptr);
    EXPECT_EQ(knob->getPort(0)->parameter->index, uint32_t(kFirstStep + 2));
    EXPECT_FLOAT_EQ(knob->getValue(), 30.0f);

    click(d, 64, 127); // below: sector 4
    EXPECT_EQ(knob->getPort(0)->parameter->index, uint32_t(kFirstStep + 4));
    // The selected sector again: nothing is sent.
    spy->moves.clear();
    click(d, 64, 127);
    EXPECT_TRUE(spy->moves.empty());
    // Back to the top: the first parameter again.
    click(d, 64, 2);
    EXPECT_EQ(knob->getPort(0)->parameter->index, uint32_t(kFirstStep));
    // The position was not touched by ring clicks.
    EXPECT_FLOAT_EQ(steps.value(kTune), 0.0f);
}

TEST_F(SnapshotDialTest, TheViewManagerHandsRingClicksAndTurnsToTheDialAtEveryZoom)
{
    AM_View_SnapshotDial* d = dial();
    for (const float zoom : {1.0f, 2.0f}) {
        gesture(zoom, {{64, 127}}); // below: sector 4
        EXPECT_EQ(d->getCurrent(), 4) << zoom;
        gesture(zoom, {{64, 2}});
        EXPECT_EQ(d->getCurrent(), 0) << zoom;
        steps.engineSets(kTune, 0.0f);
        gesture(zoom, {{64, 64}, {64, 22}}); // a turn of 42 units
        EXPECT_FLOAT_EQ(steps.value(kTune), 1.0f) << zoom;
        EXPECT_EQ(d->getCurrent(), 1) << zoom;
    }
}

TEST_F(SnapshotDialTest, ParametersWithoutAnAliasOrPastTheTableSendNothing)
{
    AM_View_SnapshotDial* d = dial();
    ASSERT_TRUE(d->addSnapshotParam(kFirstStep));       // no alias
    ASSERT_TRUE(d->addSnapshotParam(kFirstStep + 10));  // copies 20 apart
    ASSERT_TRUE(d->setAliasParam(1, kFirstStep + 30));
    click(d, 2, 64); // sector 6: 110 + 120 lies past the 133 parameters
    EXPECT_EQ(d->getCurrent(), 6);
    EXPECT_TRUE(spy->moves.empty());
    click(d, 127, 64); // sector 2: 110 + 40
    EXPECT_TRUE(spy->moves.empty());
    click(d, 64, 2); // sector 0: both back at offset 0
    EXPECT_EQ(spy->moves.size(), 2u);
    // The list holds at most 64 parameters.
    for (int32_t i = 2; i < 64; ++i)
        ASSERT_TRUE(d->addSnapshotParam(i));
    EXPECT_FALSE(d->addSnapshotParam(70));
    EXPECT_FALSE(d->setAliasParam(64, 1));
    EXPECT_EQ(d->getParamCount(), 64);
}

TEST_F(SnapshotDialTest, TurningMovesOneSnapshotPerEighthOfTheCircleAndWraps)
{
    AM_View_SnapshotDial* d = dial();
    AM_View_Knob* knob = stepKnob();
    d->addSnapshotParam(kFirstStep);
    d->setAliasParam(0, kFirstStep + 1);
    turn(d, 42); // 336 / 8 pixels
    EXPECT_FLOAT_EQ(steps.value(kTune), 1.0f);
    EXPECT_EQ(d->getCurrent(), 1);
    EXPECT_EQ(knob->getPort(0)->parameter->index, uint32_t(kFirstStep + 1));
    turn(d, 21); // 1.5: the nearest snapshot is 2
    EXPECT_FLOAT_EQ(steps.value(kTune), 1.5f);
    EXPECT_EQ(d->getCurrent(), 2);
    turn(d, -84); // below 0: wraps to 7.5, nearest 8 = 0
    EXPECT_FLOAT_EQ(steps.value(kTune), 7.5f);
    EXPECT_EQ(d->getCurrent(), 0);
    turn(d, 21); // 8 wraps to 0
    EXPECT_FLOAT_EQ(steps.value(kTune), 0.0f);

    // Without AutoSelect the selection stays.
    vm->answerText = "AutoSelect";
    const float p[2] = {64, 64};
    EXPECT_FALSE(d->handleMouseDown(p, 2, 0));
    EXPECT_FALSE(d->getAutoSelect());
    ASSERT_FALSE(vm->items.empty());
    EXPECT_EQ(vm->items[0].command, int32_t(AM_controlCommand(1)));
    EXPECT_EQ(vm->items[0].flags, 0x60000u);
    turn(d, 126);
    EXPECT_FLOAT_EQ(steps.value(kTune), 3.0f);
    EXPECT_EQ(d->getCurrent(), 0);
}

TEST_F(SnapshotDialTest, ADialWithoutSnapshotsTurnsAsEight)
{
    AM_View_SnapshotDial* d = dial();
    eight.max = 0;
    d->setPortParameter(0, &eight);
    EXPECT_FLOAT_EQ(d->getSnapshotCount(), 0.0f);
    turn(d, 84);
    EXPECT_FLOAT_EQ(d->getSnapshotCount(), 8.0f);
    EXPECT_FLOAT_EQ(steps.value(kTune), 2.0f);
}

TEST_F(SnapshotDialTest, DoubleClickOnTheRingSetsThePositionToTheSector)
{
    AM_View_SnapshotDial* d = dial();
    const float left[2] = {2, 64};
    d->onDoubleClick(left, 0);
    EXPECT_FLOAT_EQ(steps.value(kTune), 6.0f);
    const float inside[2] = {64, 64};
    d->onDoubleClick(inside, 0);
    EXPECT_FLOAT_EQ(steps.value(kTune), 6.0f);
}

TEST_F(SnapshotDialTest, TheMeterShowsOnlyChangesAboveAHundredth)
{
    AM_View_SnapshotDial* d = dial();
    d->setPortParameter(1, steps.param(kPlayStep));
    steps.engineSets(kPlayStep, 3.0f);
    d->onTimer();
    EXPECT_FLOAT_EQ(d->getMeter(), 3.0f);
    steps.engineSets(kPlayStep, 3.005f);
    d->onTimer();
    EXPECT_FLOAT_EQ(d->getMeter(), 3.0f);
}

TEST_F(SnapshotDialTest, TheEditMenuAddsRemovesAndAliasesParameters)
{
    AM_View_SnapshotDial* d = dial();
    steps.param(kFirstStep + 3)->flags |= 0x100; // hidden: never offered
    vm->answerText = "Step 2";
    const float p[2] = {64, 64};
    d->buildEditMenu(p, true, 0);
    ASSERT_EQ(d->getParamCount(), 1);
    EXPECT_EQ(d->getSnapshotParam(0), kFirstStep + 1);
    EXPECT_EQ(d->getAliasParam(0), -1);
    bool offeredHidden = false;
    for (const auto& item : vm->items)
        offeredHidden = offeredHidden || item.text == "Step 4";
    EXPECT_FALSE(offeredHidden);

    vm->answerText.clear();
    d->addSnapshotParam(kFirstStep + 30);
    d->buildEditMenu(p, true, 0);
    // The alias lists run from each parameter up to 31 after it, not past
    // the last parameter.
    int aliasItems = 0, removeItems = 0;
    for (const auto& item : vm->items) {
        aliasItems += (item.command == int32_t(AM_controlCommand(3)) ||
                       item.command == int32_t(AM_controlCommand(4)));
        removeItems += item.command == int32_t(AM_controlCommand(2));
    }
    EXPECT_EQ(aliasItems, 32 + 3);
    EXPECT_EQ(removeItems, 2);

    AM_MenuItem alias;
    alias.command = AM_controlCommand(3);
    alias.value = kFirstStep + 5;
    EXPECT_TRUE(d->handleMenuCommand(p, kControlEditMenu, true, &alias));
    EXPECT_EQ(d->getAliasParam(0), kFirstStep + 5);
    alias.command = AM_controlCommand(3 + 9); // no tenth parameter
    d->handleMenuCommand(p, kControlEditMenu, true, &alias);
    EXPECT_EQ(d->getAliasParam(0), kFirstStep + 5);

    AM_MenuItem remove;
    remove.command = AM_controlCommand(2);
    remove.value = 0;
    d->handleMenuCommand(p, kControlEditMenu, true, &remove);
    ASSERT_EQ(d->getParamCount(), 1);
    EXPECT_EQ(d->getSnapshotParam(0), kFirstStep + 30); // the last took its place
    remove.value = 5;
    d->handleMenuCommand(p, kControlEditMenu, true, &remove);
    EXPECT_EQ(d->getParamCount(), 1);
}

TEST_F(SnapshotDialTest, SnapshotParameterLinesRoundTripAndStayWithinTheList)
{
    const std::string script =
        "CONTROL type='SnapshotDial' name='Snap' bounds='10 10 129 129'\n"
        "PROPERTY control='Snap' name='s_parameter' id='0' value='Seq:S0'\n"
        "PROPERTY control='Snap' name='s_parameter' id='2' value='Osc:Tune'\n"
        "PROPERTY control='Snap' name='s_offset' id='0' value='Seq:S4'\n"
        "PROPERTY control='Snap' name='s_parameter' id='64' value='Seq:S1'\n"
        "PROPERTY control='Snap' name='s_offset' id='-1' value='Seq:S1'\n"
        "PROPERTY control='Snap' name='s_offset' id='2' value='Seq:Nothing'\n";
    const std::string written = rewrite(script);
    auto* d = dynamic_cast<AM_View_SnapshotDial*>(vm->getTopControl()->findByName("Snap"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->getParamCount(), 3);
    EXPECT_EQ(d->getSnapshotParam(0), kFirstStep);
    EXPECT_EQ(d->getSnapshotParam(1), -1);
    EXPECT_EQ(d->getSnapshotParam(2), kTune);
    EXPECT_EQ(d->getAliasParam(0), kFirstStep + 4);
    EXPECT_EQ(d->getAliasParam(2), -1);
    EXPECT_NE(written.find("\nPROPERTY control='Snap' name='s_parameter' id='0' value='Seq:S0'"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("name='s_parameter' id='2' value='Osc:Tune'"), std::string::npos);
    EXPECT_NE(written.find("\nPROPERTY control='Snap' name='s_offset' id='0' value='Seq:S4'"),
              std::string::npos);
    EXPECT_EQ(written.find("name='s_offset' id='2'"), std::string::npos);
    vm->answerText = "AutoSelect";
    d->onMouseDown(std::array<float, 2>{70, 70}.data(), 2); // AutoSelect off
    // A top-level control is cloned to a copy that stands alone.
    std::unique_ptr<AM_ViewControl> owned(d->clone(false, nullptr, 140, 0));
    auto* copy = dynamic_cast<AM_View_SnapshotDial*>(owned.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getParamCount(), 3);
    EXPECT_EQ(copy->getSnapshotParam(2), kTune);
    EXPECT_EQ(copy->getAliasParam(0), kFirstStep + 4);
    EXPECT_FALSE(copy->getAutoSelect());
    owned.reset(); // before its view manager goes
    EXPECT_EQ(rewrite(written), written);
}

TEST_F(SnapshotDialTest, SnapshotDialsMatchTheirReferencePictures)
{
    AM_View_SnapshotDial* first = make<AM_View_SnapshotDial>("SnapshotDial", {4, 4, 129, 129});
    first->setPortParameter(0, &eight);
    const float position = 2.3f, meter = 5;
    first->setParameterValue(0, &position);
    first->setParameterValue(1, &meter);
    const float ring[2] = {127, 90}; // sector 2
    first->handleMouseDown(ring, 0, 0);
    AM_View_SnapshotDial* small = make<AM_View_SnapshotDial>("SnapshotDial", {140, 36, 64, 64});
    const float half = 6.5f;
    small->setParameterValue(0, &half);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(first, 212, 137, "snapshot_dials", zoom), "") << zoom;
}

} // namespace
