#include "ControlFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_LayerSelector.h"
#include "gui/controls/AM_View_Pane.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlMessages.h"

namespace {

using namespace controltest;

class LayerSelectorTest : public ControlTest {
protected:
    // A client pane of the layers "Osc", "Env", "Filter", "Amp" (the first n).
    AM_View_Pane* client(int layers, AM_Rect bounds = {0, 40, 200, 100})
    {
        auto* p = make<AM_View_Pane>("Pane", bounds);
        static const char* const kNames[] = {"Osc", "Env", "Filter", "Amp", "Mod", "FX"};
        for (int n = layers - 1; n >= 0; --n)
            p->setProperty("layer", n, kNames[n]);
        return p;
    }
    AM_View_LayerSelector* selector(AM_Rect bounds = {0, 0, 202, 16})
    {
        return make<AM_View_LayerSelector>("LayerSelector", bounds);
    }
    // A press at a fraction of the strip's length.
    static void clickAt(AM_View_LayerSelector* s, float fraction, uint32_t buttons = 0)
    {
        const AM_Rect b = s->getBounds();
        const float along = s->isVertical() ? b.y + 1 + fraction * (b.h - 2)
                                            : b.x + 1 + fraction * (b.w - 2);
        const float point[2] = {s->isVertical() ? b.x + 2 : along,
                                s->isVertical() ? along : b.y + 2};
        EXPECT_FALSE(s->onMouseDown(point, buttons)) << "never keeps the press";
    }
    AM_Colour* colour(const char* name, uint32_t rgba)
    {
        auto* c = new AM_Colour(vm.get(), name, rgba);
        vm->addColour(c);
        return c;
    }
};

TEST_F(LayerSelectorTest, TabsSwitchTheClientPane)
{
    AM_View_Pane* pane = client(4);
    AM_View_LayerSelector* s = selector();
    s->setClientPane(pane);
    struct Case {
        float fraction;
        int layer;
    };
    const Case cases[] = {{0.1f, 0}, {0.3f, 1}, {0.55f, 2}, {0.9f, 3}, {0.0f, 0}};
    for (const Case& c : cases) {
        clickAt(s, c.fraction);
        EXPECT_EQ(pane->getCurrentLayer(), c.layer) << c.fraction;
    }
    // Outside the strip nothing changes.
    clickAt(s, 1.2f);
    EXPECT_EQ(pane->getCurrentLayer(), 0);
    clickAt(s, -0.2f);
    EXPECT_EQ(pane->getCurrentLayer(), 0);

    s->setVertical(true);
    clickAt(s, 0.8f);
    EXPECT_EQ(pane->getCurrentLayer(), 3) << "along the height when vertical";
}

TEST_F(LayerSelectorTest, SkipSelectedLeavesOutTheCurrentTab)
{
    AM_View_Pane* pane = client(4);
    AM_View_LayerSelector* s = selector();
    s->setClientPane(pane);
    s->setSkipSelected(true);
    pane->selectLayer(1);
    // Three tabs: layers 0, 2, 3; the middle one is layer 2.
    clickAt(s, 0.5f);
    EXPECT_EQ(pane->getCurrentLayer(), 2);
    clickAt(s, 0.1f);
    EXPECT_EQ(pane->getCurrentLayer(), 0);
    clickAt(s, 0.9f);
    EXPECT_EQ(pane->getCurrentLayer(), 3);

    // A one-layer client keeps one slot, and its tab is the current one.
    AM_View_Pane* single = client(1, {300, 40, 100, 100});
    s->setClientPane(single);
    clickAt(s, 0.5f);
    EXPECT_EQ(single->getCurrentLayer(), 0);
}

TEST_F(LayerSelectorTest, ABoundParameterNamesItsValuesAndDrivesTheClient)
{
    AM_View_LayerSelector* s = selector();
    s->setPortParameter(0, interface.param(kWave));
    ASSERT_EQ(s->getValueNameCount(), 4);
    EXPECT_STREQ(s->getValueName(0), "Osc");
    EXPECT_STREQ(s->getValueName(3), "Filter");
    EXPECT_EQ(s->getValueName(4), nullptr);
    EXPECT_EQ(s->getMaximum(), 3);

    // A press picks a value along the strip; the parameter is written.
    clickAt(s, 0.6f);
    EXPECT_EQ(interface.value(kWave), 2.0f);
    clickAt(s, 0.99f);
    EXPECT_EQ(interface.value(kWave), 3.0f);

    // The engine's value selects the client's layer.
    AM_View_Pane* pane = client(4);
    s->setClientPane(pane);
    EXPECT_EQ(pane->getCurrentLayer(), 3) << "attaching shows the current value";
    interface.engineSets(kWave, 1.0f);
    EXPECT_EQ(pane->getCurrentLayer(), 1);
    interface.engineSets(kWave, 9.0f);
    EXPECT_EQ(pane->getCurrentLayer(), 1) << "no such layer";
}

TEST_F(LayerSelectorTest, TheCurrentLayerIsKeptAsTheDefault)
{
    AM_View_Pane* pane = client(4);
    AM_View_LayerSelector* s = selector();
    s->setName("Pages");
    s->setClientPane(pane);
    pane->selectLayer(2);
    clickAt(s, 0.5f, 2);
    ASSERT_FALSE(vm->items.empty());
    EXPECT_EQ(vm->items[0].text, "set current to default");
    AM_MenuItem chosen;
    chosen.command = AM_menuCommand(AM_View_LayerSelector::kCmdSetDefault, kMenuCodeOwnCommand);
    const float at[2] = {1, 1};
    EXPECT_TRUE(s->handleMenuCommand(at, kRunMenuId, true, &chosen));
    EXPECT_STREQ(vm->findPreference("Pages", "default", 1), "Filter");

    pane->selectLayer(0);
    s->receiveMessage(nullptr, kPaneMsgGuiLoaded, 0, nullptr);
    EXPECT_EQ(pane->getCurrentLayer(), 2);
}

TEST_F(LayerSelectorTest, EditMenuAttachesPanesAndTogglesTheLayout)
{
    AM_View_Pane* root = client(1, {0, 0, 400, 300});
    AM_View_Pane* pages = client(3, {0, 40, 200, 100});
    pages->unlink();
    root->addControl(pages, kAllLayers, false);
    AM_View_Pane* flat = client(1, {200, 40, 100, 100});
    flat->unlink();
    root->addControl(flat, kAllLayers, false);
    AM_View_LayerSelector* s = selector();
    s->unlink();
    root->addControl(s, kAllLayers, false);
    vm->setRootViewForTest(root);
    vm->setEditMode(true);
    ASSERT_TRUE(vm->isEditMode());

    const float at[2] = {1, 1};
    s->buildEditMenu(at, true, 0);
    std::vector<std::string> texts;
    for (const auto& i : vm->items)
        texts.push_back(i.text);
    // Only containers of two layers or more list themselves.
    const std::vector<std::string> expected = {"-", pages->getName(), "-", "vertical",
                                               "skip selected"};
    ASSERT_GT(texts.size(), expected.size());
    EXPECT_EQ(texts.front(), s->getName());
    EXPECT_EQ(std::vector<std::string>(texts.end() - long(expected.size()), texts.end()), expected);

    AM_MenuItem attach;
    attach.command = AM_menuCommand(0, kMenuCodeAttachControl);
    attach.userData = pages;
    EXPECT_TRUE(s->handleMenuCommand(at, kEditMenuId, true, &attach));
    EXPECT_EQ(s->getClientPane(), pages);

    for (uint32_t sub : {AM_View_LayerSelector::kCmdVertical, AM_View_LayerSelector::kCmdSkipSelected}) {
        AM_MenuItem toggle;
        toggle.command = AM_menuCommand(sub, kMenuCodeOwnCommand);
        EXPECT_TRUE(s->handleMenuCommand(at, kEditMenuId, true, &toggle));
    }
    EXPECT_TRUE(s->isVertical());
    EXPECT_TRUE(s->isSkipSelected());
}

TEST_F(LayerSelectorTest, AClientThatGoesAwayIsForgotten)
{
    AM_View_LayerSelector* s = selector();
    AM_View_Pane* pane = client(2);
    s->setClientPane(pane);
    pane->unlink();
    delete pane;
    EXPECT_EQ(s->getClientPane(), nullptr);
    clickAt(s, 0.5f);
}

TEST_F(LayerSelectorTest, ScriptLinesRoundTrip)
{
    const std::string script =
        "CONTROL type='Pane' name='Pages' bounds='0 40 200 100'\n"
        "CONTROL type='LayerSelector' name='Tabs' bounds='0 0 200 16'\n"
        "CONTROL type='LayerSelector' name='Lost' bounds='0 20 200 16'\n"
        "PROPERTY control='Pages' name='layer' id='1' value='Env'\n"
        "PROPERTY control='Tabs' name='clientpane' id='1' value='Pages'\n"
        "PROPERTY control='Tabs' name='skipselected' id='1' value='yes'\n"
        "PROPERTY control='Tabs' name='vertical' id='1' value='YES'\n"
        "PROPERTY control='Lost' name='clientpane' id='1' value='Nowhere'\n";
    testsupport::TraceCapture trace;
    vm->parseScript(script.c_str(), int32_t(script.size()), true);
    AM_ViewControl* top = vm->getTopControl();
    auto* tabs = dynamic_cast<AM_View_LayerSelector*>(top->findByName("Tabs"));
    auto* lost = dynamic_cast<AM_View_LayerSelector*>(top->findByName("Lost"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(tabs->getClientPane(), top->findByName("Pages"));
    EXPECT_TRUE(tabs->isSkipSelected());
    EXPECT_FALSE(tabs->isVertical()) << "only 'yes' sets it";
    EXPECT_EQ(lost->getClientPane(), nullptr);
    EXPECT_TRUE(trace.contains("WOOOPS... Lost wants clientpane Nowhere, but it doesn't exist...\n"));

    std::string text;
    tabs->writeProperties(&text);
    EXPECT_EQ(text, "\nPROPERTY control='Tabs' name='clientpane' id='1' value='Pages'"
                    "\nPROPERTY control='Tabs' name='skipselected' id='1' value='yes'");
    tabs->setVertical(true);
    text.clear();
    tabs->writeProperties(&text);
    EXPECT_NE(text.find("\nPROPERTY control='Tabs' name='vertical' id='1' value='yes'"),
              std::string::npos);
    // Read back, the lines set the same state.
    tabs->setProperty("skipselected", 1, "no");
    EXPECT_FALSE(tabs->isSkipSelected());
    tabs->setProperty("vertical", 1, "yes");
    EXPECT_TRUE(tabs->isVertical());
}

TEST_F(LayerSelectorTest, SelectorsDrawTabsForLayersAndValues)
{
    AM_View_Pane* root = client(1, {0, 0, 220, 96});
    root->setColour(colour("SelBack", 0x23262BFF), 0);
    AM_View_Pane* pane = client(4, {10, 70, 200, 20});
    pane->unlink();
    root->addControl(pane, kAllLayers, false);
    pane->selectLayer(1);
    const auto style = [this](AM_View_LayerSelector* s, const std::string& tag) {
        s->setColour(colour(("Fill" + tag).c_str(), 0x31353CFF), 0);
        s->setColour(colour(("Edge" + tag).c_str(), 0x6A717DFF), 1);
        s->setColour(colour(("Text" + tag).c_str(), 0xC8CCD2FF), 2);
        s->setColour(colour(("Lit" + tag).c_str(), 0xE9A23BFF), 3);
        s->setColour(colour(("LitText" + tag).c_str(), 0x1C1E22FF), 4);
    };
    auto* tabs = make<AM_View_LayerSelector>("LayerSelector", {10, 8, 200, 16}, root);
    style(tabs, "1");
    tabs->setClientPane(pane);
    auto* skip = make<AM_View_LayerSelector>("LayerSelector", {10, 28, 200, 16}, root);
    style(skip, "2");
    skip->setClientPane(pane);
    skip->setSkipSelected(true);
    auto* values = make<AM_View_LayerSelector>("LayerSelector", {10, 48, 200, 16}, root);
    style(values, "3");
    values->setPortParameter(0, interface.param(kWave));
    interface.engineSets(kWave, 3.0f);
    for (float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 220, 96, "layer_selectors", zoom), "") << zoom;
}

} // namespace
