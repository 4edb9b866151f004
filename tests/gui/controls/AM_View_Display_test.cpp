#include "DisplayFixture.h"
#include "TraceCapture.h"

#include "engine/module/AM_ModuleRecord.h"
#include "gui/controls/AM_View_Display.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlMessages.h"

namespace {

using namespace controltest;

class DisplayTest : public ShowingTest {
protected:
    AM_View_Display* display(AM_Rect bounds = {10, 10, 64, 12}, AM_ViewControl* parent = nullptr)
    {
        return make<AM_View_Display>("Display", bounds, parent);
    }
    AM_View_Display* listDisplay(float value = 0)
    {
        AM_View_Display* d = display();
        d->setPortParameter(0, host.param(kWave));
        host.engineSets(kWave, value);
        return d;
    }
    LayeredPanel* layered(const char* name)
    {
        const AM_Rect bounds{100, 100, 80, 40};
        auto* pane = new LayeredPanel(vm.get(), &bounds);
        pane->setName(name);
        vm->registerControl(pane, nullptr);
        return pane;
    }
    void click(AM_View_Display* d, uint32_t buttons = 0)
    {
        const float point[2] = {12, 12};
        d->onMouseDown(point, buttons);
    }
    AM_Colour* colour(const char* name, uint32_t packed)
    {
        auto* c = new AM_Colour(vm.get(), name, packed);
        vm->addColour(c);
        return c;
    }
};

TEST_F(DisplayTest, TypePortsAndSlots)
{
    AM_View_Display* d = display();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->getTypeName(), "Display");
    EXPECT_EQ(std::string(d->getName()).rfind("Display ", 0), 0u);
    ASSERT_EQ(d->getNumPorts(), 2);
    EXPECT_STREQ(d->getPortDescriptor(0)->name, "integer");
    EXPECT_EQ(d->getPortDescriptor(0)->typeCount, 2);
    EXPECT_STREQ(d->getPortDescriptor(1)->name, "meter");
    EXPECT_STREQ(d->getColourName(2), "Text");
    EXPECT_STREQ(d->getGraphicName(1), "DisplayValue");
    EXPECT_TRUE(d->acceptsMouseWheel());
}

TEST_F(DisplayTest, AListParameterShowsItsValueName)
{
    AM_View_Display* d = listDisplay(1);
    EXPECT_EQ(d->getValueNameCount(), 4);
    EXPECT_STREQ(d->displayText(), "Env");
    host.engineSets(kWave, 3);
    EXPECT_STREQ(d->displayText(), "Filter");
    // A continuous parameter cannot be bound, and nothing is drawn then.
    AM_View_Display* other = display();
    other->setPortParameter(0, host.param(kTune));
    EXPECT_EQ(other->getPort(0)->parameter, nullptr);
    EXPECT_EQ(other->displayText(), nullptr);
    TraceContext context;
    other->draw(&context);
    EXPECT_TRUE(context.texts.empty());
}

TEST_F(DisplayTest, IterateModeWrapsAndTheWheelStopsAtTheEnds)
{
    AM_View_Display* d = listDisplay(2);
    d->setIterate(true);
    std::vector<float> seen;
    for (int i = 0; i < 3; ++i) {
        click(d);
        seen.push_back(host.value(kWave));
    }
    EXPECT_EQ(seen, (std::vector<float>{3, 0, 1}));
    const float point[2] = {1, 1};
    d->onDoubleClick(point, 0);
    EXPECT_EQ(host.value(kWave), 2);

    host.engineSets(kWave, 3);
    host.writes.clear();
    d->onMouseWheel(5);
    EXPECT_TRUE(host.writes.empty());
    d->onMouseWheel(-3);
    EXPECT_EQ(host.value(kWave), 2);
    host.engineSets(kWave, 0);
    d->onMouseWheel(-1);
    EXPECT_EQ(host.value(kWave), 0);
}

TEST_F(DisplayTest, AUserChangeFillsInfoLineZero)
{
    AM_View_Display* d = listDisplay(0);
    d->setIterate(true);
    click(d);
    const AM_InfoLine* line = vm->getInfoLine(0);
    EXPECT_STREQ(line->title, "Waveform");
    EXPECT_STREQ(line->text, "Env");
    EXPECT_TRUE(line->shown);
    ASSERT_NE(line->subject, nullptr);
    EXPECT_STREQ(static_cast<const AM_ModuleRecord*>(line->subject)->shortName, "Osc");
}

TEST_F(DisplayTest, TheValueMenuChoosesAValue)
{
    AM_View_Display* d = listDisplay(1);
    menus->answer = (3 << 16) | 23;
    click(d);
    ASSERT_EQ(menus->items.size(), 4u);
    EXPECT_EQ(menus->items[1].text, "Env");
    EXPECT_EQ(menus->items[1].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(menus->getMenuTable().initialItem(), 0u);
    EXPECT_EQ(host.value(kWave), 3);

    // Right button: MIDI learn, with the values first in iterate mode.
    menus->answer = 0;
    click(d, 2);
    ASSERT_EQ(menus->items.size(), 2u);
    EXPECT_EQ(menus->items[0].text, "MidiLearn");
    EXPECT_EQ(menus->items[0].command, (200 << 16) | 5);
    d->setIterate(true);
    menus->answer = (201 << 16) | 5;
    click(d, 2);
    ASSERT_EQ(menus->items.size(), 7u);
    EXPECT_EQ(menus->items[4].text, "-");
    // The learn menu opens on the current value, the fourth.
    EXPECT_EQ(menus->getMenuTable().initialItem(), 4u);
    EXPECT_TRUE(menus->getMenuTable().item(4)->isChecked());
    EXPECT_EQ(host.learned.size(), 2u);
}

TEST_F(DisplayTest, AParameterSelectorOffersTheListedModulesParameters)
{
    host.setModuleFlags(0, 0x100);
    host.setModuleFlags(1, 0x100);
    AM_View_Display* d = display();
    d->setPortParameter(0, host.param(kTarget));
    host.engineSets(kTarget, -1);
    EXPECT_STREQ(d->displayText(), "none");

    menus->answer = (kAttack << 16) | 23;
    click(d);
    const AM_MenuItem* none = menus->find("none");
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->isChecked());
    EXPECT_EQ(none->command, (0xFFFFu << 16) | 23);
    const AM_MenuItem* envelope = menus->find("Envelope");
    ASSERT_NE(envelope, nullptr);
    EXPECT_TRUE(envelope->isSubMenuEntry());
    const AM_MenuItem* attack = menus->find("Attack Time");
    ASSERT_NE(attack, nullptr);
    EXPECT_EQ(attack->subMenu(), envelope->command);
    EXPECT_EQ(attack->userData, host.param(kAttack));
    EXPECT_NE(menus->find("Env Tune"), nullptr);
    // Lists, data blocks and the first module's parameters are not offered.
    EXPECT_EQ(menus->find("Curve Data"), nullptr);
    EXPECT_EQ(menus->find("Fine Tune"), nullptr);
    EXPECT_EQ(host.value(kTarget), float(kAttack));
    EXPECT_STREQ(d->displayText(), "Envelope: Attack Time");

    // "none" writes -1.
    menus->answer = (0xFFFF << 16) | 23;
    click(d);
    EXPECT_EQ(host.value(kTarget), -1.0f);
    EXPECT_STREQ(d->displayText(), "none");
}

TEST_F(DisplayTest, AClientPaneFollowsTheValue)
{
    LayeredPanel* pane = layered("Pages");
    AM_View_Display* d = listDisplay(0);
    d->setName("Selector");
    testsupport::TraceCapture trace;
    d->setProperty("clientpane", 1, "Missing");
    EXPECT_TRUE(trace.contains("WOOOPS... Selector wants clientpane Missing, but it doesn't exist..."));
    host.engineSets(kWave, 1);
    d->setProperty("clientpane", 1, "Pages");
    EXPECT_EQ(d->getClientPane(), pane);
    EXPECT_EQ(pane->selected, (std::vector<int32_t>{1}));
    host.engineSets(kWave, 2);
    host.engineSets(kWave, 2);
    host.engineSets(kWave, 3); // no layer 3: nothing
    EXPECT_EQ(pane->selected, (std::vector<int32_t>{1, 2}));
    menus->answer = (0 << 16) | 23;
    click(d);
    EXPECT_EQ(pane->selected.back(), 0);

    // The pane's end drops the link.
    d->receiveMessage(pane, kCtlMsgGoingAway, 0, nullptr);
    EXPECT_EQ(d->getClientPane(), nullptr);

    // Attaching from the edit menu takes a control of the tree only.
    const float point[2] = {0, 0};
    AM_MenuItem attach{"Pages", 0, 16, pane, 0};
    EXPECT_TRUE(d->handleMenuCommand(point, kEditMenuId, true, &attach));
    EXPECT_EQ(d->getClientPane(), pane);
    int notAControl = 0;
    attach.userData = &notAControl;
    d->handleMenuCommand(point, kEditMenuId, true, &attach);
    EXPECT_EQ(d->getClientPane(), nullptr);
}

TEST_F(DisplayTest, DraggingInIterateModeCopiesTheValueIntoEqualSiblings)
{
    Panel* row = panel({0, 0, 200, 20});
    AM_View_Display* first = display({0, 0, 40, 12}, row);
    AM_View_Display* second = display({50, 0, 40, 12}, row);
    AM_View_Display* wider = display({100, 0, 60, 12}, row);
    for (AM_View_Display* d : {first, second, wider})
        d->setIterate(true);
    first->setPortParameter(0, host.param(kWave));
    second->setPortParameter(0, host.param(kTune)); // refused: it stays unbound
    host.engineSets(kWave, 2);
    const float overSecond[2] = {60, 5};
    const float overWider[2] = {110, 5};
    first->onMouseDrag(overSecond, 0);
    first->onMouseDrag(overWider, 0);
    EXPECT_EQ(second->getValue(), 2.0f);
    EXPECT_EQ(wider->getValue(), 0.0f);
}

TEST_F(DisplayTest, AMeterIsPolledAndDrivesTheValueGraphic)
{
    AM_View_Display* d = display();
    auto* badge = new BadgeGraphic(vm.get(), "Badge");
    vm->addGraphic(badge);
    d->setGraphic(badge, 1);
    d->setPortParameter(1, host.param(kLevel));
    EXPECT_TRUE(d->hasTimer());
    host.engineSets(kLevel, 0.25f);
    d->onTimer();
    EXPECT_EQ(d->getMeterValue(), 0.25f);
    TraceContext context;
    d->draw(&context);
    ASSERT_EQ(badge->drawn.size(), 1u);
    EXPECT_FLOAT_EQ(badge->drawn[0], 0.25f);
    EXPECT_TRUE(context.texts.empty());
}

TEST_F(DisplayTest, ScriptLinesRoundTrip)
{
    LayeredPanel* pane = layered("Pages");
    AM_View_Display* d = listDisplay(0);
    d->setName("Selector");
    d->setClientPane(pane);
    d->setIterate(true);
    std::string script;
    d->writeProperties(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Selector' name='clientpane' id='1' value='Pages'"),
              std::string::npos);
    EXPECT_NE(script.find("\nPROPERTY control='Selector' name='iterate' id='1' value='yes'"),
              std::string::npos);

    const std::string text = "CONTROL type='Display' name='Copy' bounds='10 40 64 12'\n"
                             "PROPERTY control='Copy' name='clientpane' id='1' value='Pages'\n"
                             "PROPERTY control='Copy' name='iterate' id='1' value='no'\n";
    vm->parseScript(text.c_str(), static_cast<int32_t>(text.size()), true);
    auto* copy = dynamic_cast<AM_View_Display*>(vm->getTopControl()->findByName("Copy"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getClientPane(), pane);
    EXPECT_TRUE(copy->getIterate());

    AM_View_Display* clone = display();
    d->copyProperties(clone);
    EXPECT_TRUE(clone->getIterate());
    EXPECT_EQ(clone->getClientPane(), nullptr);
}

TEST_F(DisplayTest, TheEditMenuOffersPanesAndIterate)
{
    AM_View_Display* d = listDisplay(0);
    const float point[2] = {0, 0};
    LayeredPanel* pane = layered("Pages");
    d->setClientPane(pane);
    enterEditMode();
    ASSERT_TRUE(vm->isEditMode());
    d->buildEditMenu(point, true, 0);
    ASSERT_NE(menus->find("Attach Pane"), nullptr);
    const AM_MenuItem* iterate = menus->find("iterate");
    ASSERT_NE(iterate, nullptr);
    EXPECT_EQ(iterate->command, (1u << 16) | 5);
    EXPECT_FALSE(iterate->isChecked());
    const AM_MenuItem toggle{"iterate", 0, (1 << 16) | 5, nullptr, 0};
    EXPECT_TRUE(d->handleMenuCommand(point, kEditMenuId, true, &toggle));
    EXPECT_TRUE(d->getIterate());
}

TEST_F(DisplayTest, DisplaysMatchTheirReferencePictures)
{
    host.setModuleFlags(1, 0x100);
    AM_Colour* back = colour("DispBack", 0x14161AFF);
    AM_Colour* edge = colour("DispEdge", 0x4A505AFF);
    AM_Colour* ink = colour("DispText", 0x7FD6F0FF);
    AM_View_Display* list = display({6, 6, 90, 14});
    AM_View_Display* selector = display({6, 26, 130, 14});
    AM_View_Display* none = display({6, 46, 90, 14});
    AM_View_Display* graphic = display({110, 46, 26, 14});
    for (AM_View_Display* d : {list, selector, none}) {
        d->setColour(back, 0);
        d->setColour(edge, 1);
        d->setColour(ink, 2);
    }
    list->setPortParameter(0, host.param(kWave));
    host.engineSets(kWave, 3);
    selector->setPortParameter(0, host.param(kTarget));
    const float attack = float(kAttack);
    selector->setParameterValue(0, &attack);
    none->setPortParameter(0, host.param(kTarget));
    const float minusOne = -1;
    none->setParameterValue(0, &minusOne);
    auto* badge = new BadgeGraphic(vm.get(), "Badge");
    vm->addGraphic(badge);
    graphic->setGraphic(badge, 1);
    graphic->setPortParameter(0, host.param(kWave));
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(list, 142, 66, "displays", zoom), "") << zoom;
}

} // namespace
