#include "ControlFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Pane.h"
#include "gui/controls/AM_View_Rack.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"

namespace {

using namespace controltest;

// A context that only counts its clip pushes and pops.
class ClipCountingContext : public AM_Context {
public:
    void drawPolyline(const float*, int, float, bool) override {}
    void pushClip() override { ++depth; }
    void popClip() override { --depth; }
    int depth = 0;
};

class RackTest : public ControlTest {
protected:
    AM_View_Rack* rack(AM_Rect bounds = {0, 0, 200, 400})
    {
        return make<AM_View_Rack>("Rack", bounds);
    }
    // A unit pane of the height on the unit mask.
    AM_View_Pane* unit(AM_View_Rack* r, uint32_t mask, float height, float y = 0,
                       float width = 150)
    {
        AM_Rect bounds{0, y, width, height};
        auto* p = dynamic_cast<AM_View_Pane*>(vm->createControl("Pane", &bounds));
        p->setState(p->getState() & ~kStateEditMode);
        r->addControl(p, mask, false);
        return p;
    }
    // Ticks until nothing moves (at most 50).
    static void settle(AM_View_Rack* r)
    {
        for (int i = 0; i < 50; ++i)
            r->arrangeUnits(nullptr);
    }
    AM_Colour* colour(const char* name, uint32_t rgba)
    {
        auto* c = new AM_Colour(vm.get(), name, rgba);
        vm->addColour(c);
        return c;
    }
};

TEST_F(RackTest, UnitsGlideToTheirPlaces)
{
    AM_View_Rack* r = rack({0, 0, 200, 400});
    AM_View_Pane* far = unit(r, 0x1, 50, 25);
    // Far: 25 units off glides 0.75 of the way (truncated), then arrives.
    EXPECT_EQ(far->getBounds().y, 25 - 18) << "the add lays it out once";
    EXPECT_EQ(far->getBounds().x, 6) << "the margin of a column that fits";
    r->arrangeUnits(nullptr);
    EXPECT_EQ(far->getBounds().y, 0);
    r->arrangeUnits(nullptr);
    EXPECT_EQ(r->getApproach(), 0.35f) << "a tick without a move settles the approach";

    // Near: 8 units arrive in one tick, whatever the approach.
    far->moveBy(0, 8, false, false);
    r->arrangeUnits(nullptr);
    EXPECT_EQ(far->getBounds().y, 0);

    // A second unit stacks below the first without a gap.
    AM_View_Pane* next = unit(r, 0x2, 40, 300);
    settle(r);
    EXPECT_EQ(next->getBounds().y, 50);
    EXPECT_EQ(r->getColumnHeight(), 90);
    EXPECT_TRUE(next->isVisible());
}

TEST_F(RackTest, HiddenUnitsLeaveTheColumn)
{
    AM_View_Rack* r = rack();
    r->setProperty("layer", 0, "Osc");
    r->setProperty("layer", 1, "Env");
    r->setProperty("layer", 2, "Filter");
    AM_View_Pane* osc = unit(r, 0x1, 60);
    AM_View_Pane* env = unit(r, 0x2, 60);
    AM_View_Pane* filter = unit(r, 0x4, 60);
    settle(r);
    EXPECT_EQ(filter->getBounds().y, 120);

    r->receiveMessage(nullptr, kPaneMsgRackUnit, AM_View_Rack::kHideUnit, const_cast<char*>("Env"));
    EXPECT_EQ(r->getShownUnits() & 0x2u, 0u);
    settle(r);
    EXPECT_FALSE(env->isVisible());
    EXPECT_EQ(filter->getBounds().y, 60);
    EXPECT_TRUE(osc->isVisible());

    r->receiveMessage(nullptr, kPaneMsgRackUnit, AM_View_Rack::kShowUnit, const_cast<char*>("Env"));
    settle(r);
    EXPECT_TRUE(env->isVisible());
    EXPECT_EQ(filter->getBounds().y, 120);

    // A name that is no unit changes nothing.
    const uint32_t shown = r->getShownUnits();
    r->setUnitState("Nothing", AM_View_Rack::kHideUnit);
    EXPECT_EQ(r->getShownUnits(), shown);
}

TEST_F(RackTest, ATallColumnScrollsWithinItsRange)
{
    AM_View_Rack* r = rack({0, 0, 200, 100});
    AM_View_Pane* first = unit(r, 0x1, 80);
    AM_View_Pane* second = unit(r, 0x2, 80);
    settle(r);
    EXPECT_EQ(r->getColumnHeight(), 160);
    EXPECT_FALSE(r->contentFits());
    EXPECT_EQ(first->getBounds().x, 0) << "no margin while the column does not fit";
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible() && second->getBounds().y > 100);

    struct Step {
        float steps;
        float expected;
    };
    const Step steps[] = {{-1, -30}, {-1, -60}, {-1, -60}, {3, 0}};
    for (const Step& s : steps) {
        r->onMouseWheel(s.steps);
        EXPECT_EQ(r->getScrollOffset(), s.expected) << s.steps;
    }
    EXPECT_EQ(vm->getWheelControl(), r);
    r->onMouseWheel(-2);
    settle(r);
    EXPECT_EQ(second->getBounds().y, 20);
    EXPECT_FALSE(first->isVisible() && first->getBounds().y + 80 < 0);

    // The scroll bar: a press within 12 units of the right edge drags it.
    const float grip[2] = {195, 10};
    EXPECT_TRUE(r->onMouseDown(grip, 0));
    const float down[2] = {195, 0};
    r->onMouseDrag(down, 0);
    EXPECT_EQ(r->getScrollOffset(), -44) << "10 units x 160 / 100, truncated";
    r->onMouseUp(down, 0);
    const float inside[2] = {100, 10};
    EXPECT_FALSE(r->onMouseDown(inside, 0));
    r->onMouseDrag(down, 0);
    EXPECT_EQ(r->getScrollOffset(), -44);
}

TEST_F(RackTest, AShortColumnDoesNotScroll)
{
    AM_View_Rack* r = rack({0, 0, 200, 400});
    unit(r, 0x1, 80);
    settle(r);
    EXPECT_TRUE(r->contentFits() || r->getColumnHeight() <= 400);
    r->onMouseWheel(-3);
    EXPECT_EQ(r->getScrollOffset(), 0);
    const float grip[2] = {195, 10};
    EXPECT_FALSE(r->onMouseDown(grip, 0));
}

TEST_F(RackTest, SelectingAUnitAnnouncesItOnceAndBringsItForward)
{
    AM_View_Rack* r = rack({0, 0, 200, 100});
    r->setProperty("layer", 0, "Osc");
    r->setProperty("layer", 1, "Env");
    r->setProperty("layer", 2, "Filter");
    unit(r, 0x1, 80);
    unit(r, 0x2, 80);
    AM_View_Pane* filter = unit(r, 0x4, 80);
    settle(r);
    auto* recorder = new RecordingControl(vm.get(), nullptr);
    vm->registerControl(recorder, nullptr);

    r->setUnitState("Filter", AM_View_Rack::kSelectUnit);
    r->setUnitState("Filter", AM_View_Rack::kSelectUnit);
    r->setUnitState("Env", AM_View_Rack::kSelectUnit);
    std::vector<std::pair<uint32_t, std::string>> seen;
    for (const auto& m : recorder->received)
        if (m.message == kPaneMsgModuleSelected)
            seen.emplace_back(m.arg, m.text);
    const std::vector<std::pair<uint32_t, std::string>> expected = {
        {1, "Filter"}, {0, "Filter"}, {1, "Env"}};
    EXPECT_EQ(seen, expected);
    EXPECT_STREQ(r->getSelectedUnit(), "Env");

    // Auto scroll centres a unit that lies outside.
    r->setUnitState("Osc", AM_View_Rack::kSelectUnit);
    settle(r);
    r->onMouseWheel(-10);
    settle(r);
    ASSERT_LT(r->getScrollOffset(), 0);
    r->setScrollMode(AM_View_Rack::kAutoScroll);
    r->setUnitState("Osc", AM_View_Rack::kSelectUnit);
    EXPECT_EQ(r->getScrollOffset(), 0) << "held at the column's top";

    // Selected on top moves the unit to the front of the column.
    r->setScrollMode(AM_View_Rack::kSelectedOnTop);
    r->setUnitState("Filter", AM_View_Rack::kSelectUnit);
    EXPECT_EQ(r->getFirstChildControl(), filter);
    settle(r);
    EXPECT_EQ(filter->getBounds().y, 0);
}

TEST_F(RackTest, ARackMemberIsPutIntoItsModulesUnit)
{
    AM_View_Rack* r = rack();
    r->setProperty("layer", 0, "Osc");
    r->setProperty("layer", 1, "Env");
    AM_View_Pane* member = unit(r, 0x1, 60);
    member->setRackMember(true);
    const float at[2] = {5, 5};
    AM_MenuItem env;
    env.command = AM_menuCommand(1, AM_View_Pane::kAssignModuleCode);
    testsupport::TraceCapture trace;
    EXPECT_TRUE(member->handleMenuCommand(at, kEditMenuId, true, &env));
    EXPECT_EQ(member->getLayerMask(), 0x2u);
    EXPECT_TRUE(trace.contains("asking parent to set us straight from 1"));
    EXPECT_TRUE(trace.contains("to 2"));
    r->receiveMessage(member, kPaneMsgRackMemberUnit, 0, const_cast<char*>("Nowhere"));
    EXPECT_EQ(member->getLayerMask(), 0x2u);
}

TEST_F(RackTest, UnitCountsStayWithinThirtyTwo)
{
    AM_View_Rack* r = rack();
    testsupport::TraceCapture trace;
    r->setProperty("layer", 32, "Far");
    EXPECT_EQ(r->getNumLayers(), 0);
    EXPECT_TRUE(trace.contains("unit 32 refused"));
    for (int n = 0; n < 33; ++n)
        unit(r, kAllLayers, 10);
    EXPECT_EQ(r->getNumLayers(), 32);
    EXPECT_TRUE(trace.contains("no unit added, it has 32 already"));
    r->selectLayer(40);
    EXPECT_EQ(r->getCurrentLayer(), 31);
}

TEST_F(RackTest, TheClipIsClosedOnlyWhenItWasOpened)
{
    AM_View_Rack* r = rack();
    ClipCountingContext context;
    r->draw(&context);
    EXPECT_EQ(context.depth, 1);
    r->drawOverlay(&context);
    EXPECT_EQ(context.depth, 0);
    r->drawOverlay(&context);
    EXPECT_EQ(context.depth, 0) << "an overlay without a drawing pops nothing";
    r->draw(&context);
    r->draw(&context);
    EXPECT_EQ(context.depth, 1) << "a drawing whose overlay never came closes its clip";
    ClipCountingContext other;
    r->drawOverlay(&other);
    EXPECT_EQ(other.depth, 0) << "another context's clip is not touched";
    r->drawOverlay(&context);
    EXPECT_EQ(context.depth, 0);

    // Painted as a tree, with children, the clips balance.
    unit(r, 0x1, 50);
    const AM_Rect all{0, 0, 1000, 1000};
    r->paintTree(&context, &all);
    EXPECT_EQ(context.depth, 0);
}

TEST_F(RackTest, RunMenuSwitchesTheScrollMode)
{
    AM_View_Rack* r = rack();
    const float at[2] = {5, 5};
    r->onMouseDown(at, 2);
    ASSERT_EQ(vm->items.size(), 2u);
    EXPECT_EQ(vm->items[0].text, "auto scroll");
    EXPECT_EQ(vm->items[0].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(vm->items[1].text, "selected on top");
    EXPECT_EQ(vm->items[1].flags, uint32_t(kMenuCheckable));
    struct Case {
        uint32_t sub;
        int32_t mode;
    };
    const Case cases[] = {{AM_View_Rack::kCmdAutoScroll, AM_View_Rack::kNoScroll},
                          {AM_View_Rack::kCmdSelectedOnTop, AM_View_Rack::kSelectedOnTop},
                          {AM_View_Rack::kCmdSelectedOnTop, AM_View_Rack::kNoScroll},
                          {AM_View_Rack::kCmdAutoScroll, AM_View_Rack::kAutoScroll}};
    for (const Case& c : cases) {
        AM_MenuItem chosen;
        chosen.command = AM_menuCommand(c.sub, kMenuCodeOwnCommand);
        EXPECT_TRUE(r->handleMenuCommand(at, kRunMenuId, true, &chosen));
        EXPECT_EQ(r->getScrollMode(), c.mode);
    }
}

TEST_F(RackTest, RacksDrawTheirColumnAndScrollBar)
{
    AM_View_Rack* r = rack({0, 0, 160, 120});
    r->setColour(colour("RackBack", 0x1E2126FF), 0);
    r->setColour(colour("RackEdge", 0x5A606BFF), 1);
    r->setColour(colour("RackTrack", 0x3A3F47FF), 2);
    r->setColour(colour("RackThumb", 0xE9A23BFF), 3);
    const uint32_t fills[] = {0x343A44FF, 0x2D4050FF, 0x3F3550FF};
    int k = 0;
    for (uint32_t fill : fills) {
        // As wide as the rack leaves beside its scroll bar.
        AM_View_Pane* p = unit(r, 1u << k, 56, 0, 147);
        AM_Rect knob{p->getBounds().x + 10, p->getBounds().y + 14, 28, 28};
        AM_ViewControl* dial = vm->createControl("Knob", &knob);
        p->addControl(dial, kAllLayers, false);
        dial->setState(dial->getState() & ~kStateEditMode);
        p->setColour(colour(("UnitFill" + std::to_string(k)).c_str(), fill), 0);
        p->setColour(colour(("UnitEdge" + std::to_string(k)).c_str(), 0x6A717DFF), 1);
        ++k;
    }
    settle(r);
    r->onMouseWheel(-1);
    settle(r);
    for (float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(r, 160, 120, "racks", zoom), "") << zoom;
}

TEST_F(RackTest, ScriptLinesRoundTrip)
{
    const std::string script =
        "CONTROL type='Rack' name='Column' bounds='0 0 200 300'\n"
        "CONTROL type='Pane' name='First' bounds='0 0 150 60' parent='Column' layerMask='1'\n"
        "CONTROL type='Pane' name='Second' bounds='0 0 150 60' parent='Column' layerMask='2'\n"
        "PROPERTY control='Column' name='layer' id='0' value='Osc'\n"
        "PROPERTY control='Column' name='layer' id='1' value='Env'\n"
        "PROPERTY control='Column' name='movable' id='0' value='YES'\n"
        "PROPERTY control='Column' name='hideOnInit' id='0' value='YES'\n"
        "PROPERTY control='Second' name='RackMember' id='0' value='YES'\n";
    vm->parseScript(script.c_str(), int32_t(script.size()), true);
    auto* column = dynamic_cast<AM_View_Rack*>(vm->getTopControl()->findByName("Column"));
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->getNumLayers(), 2);
    EXPECT_TRUE(column->isMovable());
    EXPECT_TRUE(column->isHideOnInit());
    std::string text;
    column->writeControl(&text);
    for (const char* line : {"CONTROL type='Rack' name='Column'",
                             "\nPROPERTY control='Column' name='layer' id='0' value='Osc'",
                             "\nPROPERTY control='Column' name='layer' id='1' value='Env'",
                             "\nPROPERTY control='Column' name='movable' id='0' value='YES'",
                             "\nPROPERTY control='Column' name='hideOnInit' id='0' value='YES'"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    std::string whole;
    column->writeControlTree(&whole);
    column->writePropertyTree(&whole);
    NamedInterface other;
    MenuViewMan fresh(&other, nullptr, nullptr);
    const AM_PluginInfo info = pluginInfo("OtherSynth");
    fresh.setProcessDescription(&info);
    fresh.init(nullptr);
    fresh.registerDefaults();
    AM_installStandardControls(&fresh);
    fresh.parseScript(whole.c_str(), int32_t(whole.size()), true);
    auto* again = dynamic_cast<AM_View_Rack*>(fresh.getTopControl()->findByName("Column"));
    ASSERT_NE(again, nullptr);
    std::string copy;
    again->writeControlTree(&copy);
    again->writePropertyTree(&copy);
    EXPECT_EQ(copy, whole);

    column->receiveMessage(nullptr, kPaneMsgGuiLoaded, 0, nullptr);
    EXPECT_FALSE(column->isVisible());
}

} // namespace
