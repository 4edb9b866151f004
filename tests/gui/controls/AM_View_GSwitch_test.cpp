#include "ControlFixture.h"

#include "gui/controls/AM_View_GSwitch.h"
#include "gui/graphics/AM_Colour.h"

#include <cstring>

namespace {

using namespace controltest;

// The fixture's parameters and the core module's GUI file and scale.
class CoreInterface : public NamedInterface {
public:
    CoreInterface()
    {
        addModule("PCore", "Core", 2);
        add(AM_makeParamInfo(0, "GFile", "GUI FileName", k_typeTextData, 0, 64, 0, 0, 0), 2);
        add(AM_makeParamInfo(0, "GScale", "GUI Scale", k_kindInteger, -3, 3, 0, 0, 0), 2);
    }
    static constexpr int32_t kFile = kFixtureParameters;
    static constexpr int32_t kScale = kFixtureParameters + 1;
};

class GSwitchTest : public ControlTest {
protected:
    GSwitchTest()
    {
        gui = std::make_unique<MenuViewMan>(&core, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        gui->setProcessDescription(&info);
        gui->init(nullptr);
        gui->registerDefaults();
        AM_installStandardControls(gui.get());
        // The GUI's top control, 800 x 400.
        const AM_Rect pane{0, 0, 800, 400};
        root = gui->createControl("Knob", &pane);
        gui->registerControl(root, nullptr);
        root->setVisible(true, kAllLayers, false);
    }
    ~GSwitchTest() override { gui.reset(); }

    AM_View_GSwitch* gswitch()
    {
        const AM_Rect bounds{780, 4, 16, 16};
        auto* control = dynamic_cast<AM_View_GSwitch*>(gui->createControl("GSwitch", &bounds));
        root->addControl(control, kAllLayers, false);
        control->setEditMode(false);
        return control;
    }
    std::vector<std::string> itemTexts() const
    {
        std::vector<std::string> texts;
        for (const MenuViewMan::Item& item : gui->items)
            texts.push_back(item.text);
        return texts;
    }

    CoreInterface core;
    std::unique_ptr<MenuViewMan> gui;
    AM_ViewControl* root = nullptr;
    const float at[2] = {785, 10};
};

TEST_F(GSwitchTest, RegistryMakesSwitchesBoundToTheCoreModule)
{
    AM_View_GSwitch* s = gswitch();
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->getTypeName(), "GSwitch");
    EXPECT_EQ(std::string(s->getName()), "GSwitch " + std::to_string(s->getId()));
    ASSERT_EQ(s->getNumPorts(), 2);
    EXPECT_STREQ(s->getPortDescriptor(0)->name, "File");
    EXPECT_STREQ(s->getPortDescriptor(1)->name, "Scale");
    ASSERT_NE(s->getPort(0)->parameter, nullptr);
    EXPECT_STREQ(s->getPort(0)->parameter->shortName, "GFile");
    ASSERT_NE(s->getPort(1)->parameter, nullptr);
    EXPECT_STREQ(s->getPort(1)->parameter->shortName, "GScale");
    ASSERT_EQ(s->getColourCount(), 2);
    ASSERT_EQ(s->getGraphicCount(), 1);
    EXPECT_STREQ(s->getGraphicName(0), "GSwitchBackground");
    EXPECT_FALSE(s->acceptsMouseWheel());

    // Without a core module the ports stay unbound.
    const AM_Rect bounds{0, 0, 16, 16};
    std::unique_ptr<AM_ViewControl> lone(vm->createControl("GSwitch", &bounds));
    ASSERT_NE(dynamic_cast<AM_View_GSwitch*>(lone.get()), nullptr);
    EXPECT_EQ(lone->getPort(0)->parameter, nullptr);
    EXPECT_EQ(lone->getPort(1)->parameter, nullptr);
}

TEST_F(GSwitchTest, TheMenuListsTheSevenSizesOfTheTopControl)
{
    AM_View_GSwitch* s = gswitch();
    EXPECT_FALSE(s->onMouseDown(at, 0));
    const std::vector<std::string> sizes = {
        "cute - 400 x 200",  "tiny - 533 x 266",  "small - 600 x 300",      "normal - 800 x 400",
        "large - 1200 x 600", "huge - 1600 x 800", "cinematic - 2000 x 1000"};
    EXPECT_EQ(itemTexts(), sizes);
    for (int32_t i = 1; i <= 7; ++i) {
        EXPECT_EQ(gui->items[size_t(i - 1)].command, (i << 16) | 5);
        EXPECT_EQ(gui->items[size_t(i - 1)].flags, i == 4 ? kMenuChecked : kMenuCheckable) << i;
        EXPECT_EQ(s->getSizeText(i), sizes[size_t(i - 1)]);
    }
    // A zoom computed elsewhere is matched within the tolerance.
    gui->setZoom(2.0f / 3.0f);
    s->onMouseDown(at, 0);
    EXPECT_EQ(gui->items[1].flags, kMenuChecked);
    EXPECT_EQ(gui->items[3].flags, kMenuCheckable);
    gui->setZoom(1.2f);
    s->onMouseDown(at, 0);
    for (const MenuViewMan::Item& item : gui->items)
        EXPECT_EQ(item.flags, kMenuCheckable) << item.text;
}

TEST_F(GSwitchTest, ScriptsComeFirstWithMakeDefault)
{
    gui->addScript("/themes/a.txt", "Dark", 1, 0);
    gui->addScript("/themes/b.txt", "Light", 2, 0);
    AM_View_GSwitch* s = gswitch();
    s->onMouseDown(at, 0);
    const std::vector<std::string> texts = itemTexts();
    ASSERT_EQ(texts.size(), 12u);
    EXPECT_EQ(texts[0], "Dark");
    EXPECT_EQ(gui->items[0].command, (0 << 16) | 23);
    EXPECT_EQ(texts[1], "Light");
    EXPECT_EQ(gui->items[1].command, (1 << 16) | 23);
    EXPECT_EQ(texts[2], "-");
    EXPECT_EQ(texts[3], "make default");
    EXPECT_EQ(gui->items[3].command, (999 << 16) | 23);
    EXPECT_EQ(texts[4], "-");
    EXPECT_EQ(texts[5], "cute - 400 x 200");

    // Choosing a script: it loads on the next tick, and GFile names it.
    gui->answer = (1 << 16) | 23;
    s->onMouseDown(at, 0);
    EXPECT_EQ(gui->getPendingScript(), 1);
    const std::vector<uint8_t> file = core.block(CoreInterface::kFile);
    EXPECT_STREQ(reinterpret_cast<const char*>(file.data()), "Light");
    gui->answer = (999 << 16) | 23;
    s->onMouseDown(at, 0);
    EXPECT_EQ(gui->defaultsMade, 1);
}

TEST_F(GSwitchTest, ChoosingASizeWritesTheScaleAndAsksTheHostForTheSize)
{
    struct Case {
        int32_t item;
        float scale;
        float zoom;
        std::pair<int32_t, int32_t> window;
    };
    const Case cases[] = {{2, -2, 0.6666667f, {533, 266}},
                          {1, -3, 0.5f, {400, 200}},
                          {7, 3, 2.5f, {2000, 1000}},
                          {4, 0, 1.0f, {800, 400}}};
    AM_View_GSwitch* s = gswitch();
    for (const Case& c : cases) {
        gui->answer = (c.item << 16) | 5;
        core.windowSizes.clear();
        s->onMouseDown(at, 0);
        EXPECT_FLOAT_EQ(core.value(CoreInterface::kScale), c.scale) << c.item;
        EXPECT_FLOAT_EQ(gui->getZoom(), c.zoom) << c.item;
        ASSERT_EQ(core.windowSizes.size(), 1u) << c.item;
        EXPECT_EQ(core.windowSizes[0], c.window) << c.item;
    }
    // Items outside the table are not the switch's.
    AM_MenuItem item;
    item.command = (8u << 16) | 5;
    EXPECT_FALSE(s->handleMenuCommand(at, kRunMenuId, true, &item));
    EXPECT_TRUE(s->handleMenuCommand(at, kRunMenuId, false, nullptr));
    item.command = 16;
    EXPECT_TRUE(s->handleMenuCommand(at, kEditMenuId, true, &item));
    item.command = (1u << 16) | 5;
    EXPECT_TRUE(s->handleMenuCommand(at, kEditMenuId, true, &item));
    EXPECT_FLOAT_EQ(gui->getZoom(), 1.0f);
}

TEST_F(GSwitchTest, ANameLongerThanTheFileBlockIsCut)
{
    const std::string longName(100, 'x');
    gui->addScript("/themes/long.txt", longName.c_str(), 1, 0);
    AM_View_GSwitch* s = gswitch();
    gui->answer = (0 << 16) | 23;
    s->onMouseDown(at, 0);
    const std::vector<uint8_t> file = core.block(CoreInterface::kFile);
    ASSERT_EQ(file.size(), 64u);
    EXPECT_EQ(file[63], 0);
    ASSERT_NE(gui->getScript(0), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data())),
              gui->getScript(0)->name.substr(0, 63));
}

TEST_F(GSwitchTest, ScriptLinesRoundTrip)
{
    const std::string first =
        readAndWrite("CONTROL type='Knob' name='Pane' bounds='0 0 200 100'\n"
                     "CONTROL type='GSwitch' name='Size' bounds='180 4 16 16' parent='Pane'\n");
    EXPECT_NE(first.find("type='GSwitch' name='Size'"), std::string::npos) << first;
    EXPECT_EQ(readAndWrite(first), first);
}

TEST_F(GSwitchTest, SwitchesMatchTheirReferencePictures)
{
    AM_ViewControl* top = make<AM_ViewControl>("Knob", {0, 0, 1, 1});
    make<AM_View_GSwitch>("GSwitch", {4, 4, 16, 16});
    make<AM_View_GSwitch>("GSwitch", {28, 2, 20, 20});
    AM_View_GSwitch* coloured = make<AM_View_GSwitch>("GSwitch", {56, 4, 16, 16});
    AM_Colour background(vm.get(), "gb", 0x6FB7D9FF), border(vm.get(), "gf", 0x202226FF);
    coloured->setColour(&background, 0);
    coloured->setColour(&border, 1);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(top, 80, 24, "gswitches", zoom), "") << zoom;
    coloured->setColour(nullptr, 0);
    coloured->setColour(nullptr, 1);
}

} // namespace
