#include "ControlFixture.h"

#include "TraceCapture.h"
#include "gui/controls/AM_View_Button.h"
#include "gui/views/AM_ActionTable.h"

namespace {

using namespace controltest;

class ButtonTest : public ControlTest {
protected:
    AM_View_Button* boundButton(float minimum)
    {
        list = *interface.param(kWave);
        list.min = minimum;
        list.max = 1;
        AM_View_Button* button = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
        button->setPortParameter(0, &list);
        interface.engineSets(kWave, minimum);
        return button;
    }
    void click(AM_View_Button* button)
    {
        const float point[2] = {5, 5};
        button->handleMouseDown(point, 0, 0);
        button->handleMouseUp(point, 0, 0);
    }
    // The values written to the list parameter, in order.
    std::vector<float> sent;
    AM_ParamInfo list{};
};

TEST_F(ButtonTest, RegistryMakesButtonsWithTheirPortAndSlots)
{
    AM_View_Button* button = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
    ASSERT_NE(button, nullptr);
    EXPECT_STREQ(button->getTypeName(), "Button On-Off");
    EXPECT_EQ(std::string(button->getName()), "Button " + std::to_string(button->getId()));
    EXPECT_STREQ(button->getPortDescriptor(0)->name, "Button Value");
    ASSERT_EQ(button->getColourCount(), 5);
    EXPECT_STREQ(button->getColourName(3), "BackgroundHilite");
    EXPECT_STREQ(button->getGraphicName(1), "ButtonForeGround");
    EXPECT_STREQ(button->getOffText(), "Off");
    EXPECT_STREQ(button->getOnText(), "On");
    button->setPortParameter(0, interface.param(kTune));
    EXPECT_EQ(button->getPort(0)->parameter, nullptr);
}

TEST_F(ButtonTest, ClicksToggleBetweenOneAndTheMinimum)
{
    for (const float minimum : {0.0f, -1.0f}) {
        AM_View_Button* button = boundButton(minimum);
        std::vector<float> values;
        for (int i = 0; i < 3; ++i) {
            click(button);
            values.push_back(interface.value(kWave));
        }
        EXPECT_EQ(values, (std::vector<float>{1.0f, minimum, 1.0f})) << minimum;
    }
}

TEST_F(ButtonTest, PushOnlySendsOneOnPressAndTheMinimumOnRelease)
{
    AM_View_Button* button = boundButton(0);
    button->setProperty("PushOnly", 1, "Yes");
    ASSERT_TRUE(button->isPushOnly());
    const float point[2] = {5, 5};
    EXPECT_TRUE(button->handleMouseDown(point, 0, 0));
    EXPECT_FLOAT_EQ(interface.value(kWave), 1.0f);
    button->handleMouseUp(point, 0, 0);
    EXPECT_FLOAT_EQ(interface.value(kWave), 0.0f);

    // A double click is one more press and release.
    const size_t before = interface.writes.size();
    button->onDoubleClick(point, 0);
    EXPECT_EQ(interface.writes.size(), before + 2);
    EXPECT_FLOAT_EQ(interface.value(kWave), 0.0f);
}

TEST_F(ButtonTest, ClientPaneVisibilityIsTheButtonsState)
{
    AM_View_Button* button = boundButton(0);
    AM_View_Button* pane = make<AM_View_Button>("Button On-Off", {40, 0, 60, 60});
    pane->setName("Settings");
    button->setProperty("clientpane", 1, "Settings");
    ASSERT_EQ(button->getClientPane(), pane);

    click(button);
    EXPECT_FALSE(pane->isVisible());
    testsupport::HeadlessCanvas canvas(100, 60, 1);
    canvas.begin();
    button->draw(&canvas.context());
    EXPECT_FALSE(button->isOn());
    click(button);
    EXPECT_TRUE(pane->isVisible());
    interface.engineSets(kWave, 0); // the parameter says off
    button->draw(&canvas.context());
    EXPECT_TRUE(button->isOn());

    std::string script;
    button->setName("Show");
    button->writeProperties(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Show' name='clientpane' id='1' value='Settings'"),
              std::string::npos);

    // A pane that goes away is forgotten.
    pane->unlink();
    delete pane;
    EXPECT_EQ(button->getClientPane(), nullptr);
}

TEST_F(ButtonTest, MissingClientPaneIsReportedAndLeftNull)
{
    AM_View_Button* button = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
    button->setName("Show");
    testsupport::TraceCapture trace;
    button->setProperty("clientpane", 1, "Nowhere");
    EXPECT_EQ(button->getClientPane(), nullptr);
    EXPECT_NE(trace.text().find("WOOOPS... Show wants clientpane Nowhere, but it doesn't exist..."),
              std::string::npos);
}

TEST_F(ButtonTest, ActionCodesAreHandedOnWrittenAndReadBack)
{
    AM_View_Button* button = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
    button->setName("Undo");
    std::string script;
    button->writeProperties(&script);
    EXPECT_EQ(script.find("ActionID"), std::string::npos);
    EXPECT_EQ(script.find("PushOnly"), std::string::npos);

    button->setAction(0x756E646F /* 'undo' */, "Undo");
    EXPECT_TRUE(button->isPushOnly());
    EXPECT_STREQ(button->getOnText(), "Undo");
    EXPECT_STREQ(button->getOffText(), "Undo");
    const float point[2] = {5, 5};
    EXPECT_TRUE(button->onMouseDown(point, 0));
    EXPECT_EQ(vm->actions, std::vector<int32_t>{0x756E646F});

    script.clear();
    button->writeProperties(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Undo' name='ActionID' id='1' value='756E646F'"),
              std::string::npos);
    EXPECT_NE(script.find("\nPROPERTY control='Undo' name='PushOnly' id='1' value='Yes'"),
              std::string::npos);

    AM_View_Button* copy = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
    copy->setProperty("ActionID", 1, "756E646F");
    copy->setProperty("PushOnly", 1, "yes");
    EXPECT_EQ(copy->getActionCode(), 0x756E646Fu);
    EXPECT_FALSE(copy->isPushOnly());
}

TEST_F(ButtonTest, WebActionOpensItsMenuFirst)
{
    AM_View_Button* button = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
    button->setProperty("ActionID", 1, "5F776562");
    const float point[2] = {5, 5};
    EXPECT_FALSE(button->onMouseDown(point, 0));
    ASSERT_EQ(vm->items.size(), 1u);
    EXPECT_EQ(vm->items[0].text, "visit website");
    EXPECT_EQ(vm->items[0].command, (616 << 16) | 5);
    EXPECT_TRUE(vm->actions.empty());

    // The chosen item comes to the button, which hands its code on; a
    // button named by a web address gives that page.
    vm->answer = (616 << 16) | 5;
    EXPECT_FALSE(button->onMouseDown(point, 0));
    EXPECT_EQ(vm->actions, std::vector<int32_t>{0x5F776562});
    EXPECT_EQ(vm->addresses, std::vector<std::string>{""});
    button->setName("https://example.org/manual");
    button->onMouseDown(point, 0);
    EXPECT_EQ(vm->addresses.back(), "https://example.org/manual");
}

TEST_F(ButtonTest, EditCommandsSetTheActionPushOnlyAndPane)
{
    AM_View_Button* pane = make<AM_View_Button>("Button On-Off", {40, 0, 60, 60});
    AM_View_Button* button = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
    const AM_ActionTableEntry* redo = AM_findAction(kActionRedo);
    ASSERT_NE(redo, nullptr);
    EXPECT_FALSE(button->applyMenuCommand(kControlEditMenu, AM_controlCommand(1),
                                          const_cast<AM_ActionTableEntry*>(redo)));
    EXPECT_EQ(button->getActionCode(), kActionRedo);
    button->applyMenuCommand(kControlEditMenu, AM_controlCommand(100), nullptr);
    EXPECT_TRUE(button->isPushOnly());
    EXPECT_TRUE(button->applyMenuCommand(kControlEditMenu, AM_controlCommand(0, 16), pane));
    EXPECT_EQ(button->getClientPane(), pane);
    const AM_ControlMenu items = button->buildEditItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].text, "Push Only");
    EXPECT_TRUE(items[1].checked);
}

TEST_F(ButtonTest, ButtonsMatchTheirReferencePictures)
{
    // Drawn look off and on, then coloured buttons off and on with their
    // highlight colours and a border.
    AM_View_Button* off = make<AM_View_Button>("Button On-Off", {6, 6, 40, 16});
    AM_View_Button* on = make<AM_View_Button>("Button On-Off", {52, 6, 40, 16});
    const float one = 1;
    on->setParameterValue(0, &one);
    auto* panel = new AM_Colour(vm.get(), "Panel", 0x2B2F36FF);
    auto* edge = new AM_Colour(vm.get(), "Edge", 0x808890FF);
    auto* ink = new AM_Colour(vm.get(), "Ink", 0xD8DBE0FF);
    auto* lit = new AM_Colour(vm.get(), "Lit", 0x60B0E0FF);
    auto* litInk = new AM_Colour(vm.get(), "LitInk", 0x102030FF);
    for (AM_Colour* c : {panel, edge, ink, lit, litInk})
        vm->addColour(c);
    for (int i = 0; i < 2; ++i) {
        AM_View_Button* b = make<AM_View_Button>("Button On-Off", {98.0f + 46 * i, 6, 40, 16});
        b->setColour(panel, 0);
        b->setColour(edge, 1);
        b->setColour(ink, 2);
        b->setColour(lit, 3);
        b->setColour(litInk, 4);
        if (i == 1)
            b->setParameterValue(0, &one);
    }
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(off, 190, 28, "buttons", zoom), "") << zoom;
}

} // namespace
