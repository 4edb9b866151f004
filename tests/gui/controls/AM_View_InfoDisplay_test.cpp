#include "DisplayFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_InfoDisplay.h"
#include "gui/graphics/AM_Colour.h"

namespace {

using namespace controltest;

class CountingInfo : public AM_View_InfoDisplay {
public:
    using AM_View_InfoDisplay::AM_View_InfoDisplay;
    void redraw() override { ++redraws; }
    int redraws = 0;
};

class InfoDisplayTest : public ShowingTest {
protected:
    AM_View_InfoDisplay* info(AM_Rect bounds = {10, 10, 200, 24})
    {
        return make<AM_View_InfoDisplay>("InfoDisplay", bounds);
    }
    CountingInfo* counting()
    {
        const AM_Rect bounds{10, 10, 200, 24};
        auto* d = new CountingInfo(vm.get(), &bounds);
        vm->registerControl(d, nullptr);
        d->setVisible(true, kAllLayers, false);
        d->setEditMode(false);
        return d;
    }
    void publish(int line, const char* title, const char* text)
    {
        AM_InfoLine* record = vm->getInfoLine(line);
        std::snprintf(record->title, sizeof record->title, "%s", title);
        std::snprintf(record->text, sizeof record->text, "%s", text);
        vm->showInfoLine(line, true);
    }
    void click(AM_ViewControl* d, uint32_t buttons)
    {
        const float point[2] = {20, 20};
        d->onMouseDown(point, buttons);
    }
    AM_Colour* colour(const char* name, uint32_t packed)
    {
        auto* c = new AM_Colour(vm.get(), name, packed);
        vm->addColour(c);
        return c;
    }
};

TEST_F(InfoDisplayTest, TypeChainsAndVersionBinding)
{
    testsupport::TraceCapture trace;
    AM_View_InfoDisplay* d = info();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->getTypeName(), "InfoDisplay");
    EXPECT_TRUE(d->hasTimer());
    EXPECT_EQ(d->getCountdown(), 10);
    EXPECT_EQ(d->getMask(), 0xFFFFu);
    vm->updateDisplayChain();
    EXPECT_EQ(vm->getDisplayChain(), d);
    // Becoming visible binds the core module's version parameter.
    ASSERT_NE(d->getPort(0)->parameter, nullptr);
    EXPECT_EQ(d->getPort(0)->parameter, host.param(kVersion));
    EXPECT_TRUE(trace.contains("Version Info is up!"));
    EXPECT_STREQ(d->getModeName(0), "Classic mode");
    EXPECT_STREQ(d->getModeName(2), "Current mode (native)");
    EXPECT_EQ(d->getModeName(3), nullptr);
}

TEST_F(InfoDisplayTest, InfoLinesShowForAHundredTicksWhenTheMaskSelectsThem)
{
    CountingInfo* first = counting();
    CountingInfo* second = counting();
    vm->updateDisplayChain();
    second->setProperty("infodisplaytype", 0, "1"); // parameter info only
    publish(1, "Edit", "Knob 3");
    EXPECT_EQ(first->getCurrentLine(), 1);
    EXPECT_EQ(first->getCountdown(), 100);
    EXPECT_EQ(second->getCountdown(), 10); // edit info is not its line
    publish(0, "Cutoff", "1.2 kHz");
    EXPECT_EQ(second->getCurrentLine(), 0);
    EXPECT_EQ(second->getCountdown(), 100);

    const int before = first->redraws;
    for (int i = 0; i < 99; ++i)
        first->onTimer();
    EXPECT_EQ(first->getCountdown(), 1);
    first->onTimer();
    EXPECT_EQ(first->getCountdown(), 0);
    EXPECT_GT(first->redraws, before);

    // A preset name ends a shown line at once, on every display of the chain.
    publish(0, "Cutoff", "1.2 kHz");
    char name[] = "Bright Pad";
    first->receiveMessage(vm.get(), AM_View_InfoDisplay::kMsgPresetName, 0, name);
    name[0] = 'X'; // the displays keep their own copy
    EXPECT_STREQ(first->getPresetName(), "Bright Pad");
    EXPECT_STREQ(second->getPresetName(), "Bright Pad");
    EXPECT_EQ(second->getCountdown(), 0);
}

TEST_F(InfoDisplayTest, ThePortIsPolledEveryFiftyOneTicksAndSoonerAfterAChoice)
{
    AM_View_InfoDisplay* d = info();
    host.engineSets(kVersion, 1);
    d->onTimer(); // the first tick polls
    EXPECT_EQ(d->getCurrentValue(), 1);
    host.engineSets(kVersion, 2);
    int ticks = 0;
    while (d->getCurrentValue() != 2 && ticks < 100) {
        d->onTimer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 51);

    menus->answer = (0 << 16) | 23;
    click(d, 2);
    EXPECT_EQ(host.value(kVersion), 0.0f);
    EXPECT_LE(d->getPollCountdown(), 10);
}

TEST_F(InfoDisplayTest, TheMenuListsPresetsOrTheChannelLayout)
{
    host.setPresets({"Bright Pad", "Deep Bass", "Soft Keys"}, "Deep Bass");
    AM_View_InfoDisplay* d = info();
    menus->answer = (2 << 16) | 5;
    click(d, 0);
    ASSERT_EQ(menus->items.size(), 3u);
    EXPECT_EQ(menus->items[1].text, "Deep Bass");
    EXPECT_EQ(menus->items[1].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(menus->items[0].flags, uint32_t(kMenuCheckable));
    // The preset menu opens on the current preset.
    EXPECT_EQ(menus->getMenuTable().initialItem(), 2u);
    EXPECT_EQ(host.loaded, (std::vector<std::string>{"Bright Pad"}));

    // The right button with a parameter: the modes instead of the presets.
    menus->answer = 0;
    click(d, 2);
    ASSERT_EQ(menus->items.size(), 3u);
    EXPECT_EQ(menus->items[0].text, "Classic mode");
    EXPECT_EQ(menus->getMenuTable().initialItem(), 0u);

    // Channel mode: the layouts, then the surround outputs.
    d->setProperty("channel", 0, "whatever");
    EXPECT_TRUE(d->getChannelMode());
    host.engineSets(kChannelLayout, 2);
    menus->answer = (207 << 16) | 5;
    click(d, 2);
    ASSERT_GE(menus->items.size(), 13u);
    EXPECT_EQ(menus->items[2].text, "stereo 1+2");
    EXPECT_EQ(menus->items[2].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(menus->items[9].text, "-");
    EXPECT_EQ(menus->items[10].text, "all channels");
    EXPECT_EQ(menus->items[10].command, (300 << 16) | 5);
    EXPECT_EQ(host.value(kChannelLayout), 7.0f);
    menus->answer = (302 << 16) | 5;
    click(d, 2);
    EXPECT_EQ(host.value(kSurround), 2.0f);
}

TEST_F(InfoDisplayTest, WithNothingToOfferAPressIsNotTaken)
{
    AM_View_InfoDisplay* d = info();
    d->setPortParameter(0, nullptr);
    const float point[2] = {20, 20};
    EXPECT_FALSE(d->onMouseDown(point, 0));
    EXPECT_EQ(menus->menusBegun, 0);
    d->setEditMode(true);
    host.setPresets({"One"}, "One");
    EXPECT_FALSE(d->onMouseDown(point, 0));
    EXPECT_EQ(menus->menusBegun, 0);
}

TEST_F(InfoDisplayTest, ChannelModeReachesTwelveUnitsBelow)
{
    AM_View_InfoDisplay* d = info({10, 10, 200, 24});
    const float below[2] = {50, 44};
    EXPECT_EQ(d->getControlInPoint(below, 0), nullptr);
    d->setProperty("channel", 0, "YES");
    EXPECT_EQ(d->getControlInPoint(below, 0), d);
    const float further[2] = {50, 47};
    EXPECT_EQ(d->getControlInPoint(further, 0), nullptr);
}

TEST_F(InfoDisplayTest, TheEditMenuTogglesTheMaskAndChannelMode)
{
    AM_View_InfoDisplay* d = info();
    d->setName("Status");
    d->setEditMode(true);
    vm->setEditMode(true);
    const float point[2] = {0, 0};
    d->buildEditMenu(point, true, 0);
    ASSERT_NE(menus->find("parameter info"), nullptr);
    EXPECT_TRUE(menus->find("edit info")->isChecked());
    EXPECT_FALSE(menus->find("channel info")->isChecked());
    const AM_MenuItem edit{"edit info", 0, (2 << 16) | 5, nullptr, 0};
    const AM_MenuItem channel{"channel info", 0, (100 << 16) | 5, nullptr, 0};
    EXPECT_TRUE(d->handleMenuCommand(point, kEditMenuId, true, &edit));
    EXPECT_TRUE(d->handleMenuCommand(point, kEditMenuId, true, &channel));
    EXPECT_EQ(d->getMask(), 0xFFFDu);
    EXPECT_TRUE(d->getChannelMode());

    std::string script;
    d->writeProperties(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Status' name='infodisplaytype' id='0' value='FFFD'"),
              std::string::npos);
    EXPECT_NE(script.find("\nPROPERTY control='Status' name='channel' id='0' value='YES'"),
              std::string::npos);
    AM_View_InfoDisplay* copy = info();
    copy->setProperty("infodisplaytype", 0, "FFFD");
    EXPECT_EQ(copy->getMask(), 0xFFFDu);
    copy->setProperty("infodisplaytype", 0, "zz"); // not a number: kept
    EXPECT_EQ(copy->getMask(), 0xFFFDu);
}

TEST_F(InfoDisplayTest, ValueTextsAndPresetNamesTakeTheirSizes)
{
    AM_View_InfoDisplay* d = info();
    vm->updateDisplayChain();
    struct Case {
        const char* text;
        float size;
        float y;
    };
    const Case cases[] = {{"1234567890123", 20.0f, 10.0f}, {"12345678901234", 9.0f, 23.0f}};
    for (const Case& c : cases) {
        publish(0, "Cutoff", c.text);
        TraceContext context;
        d->draw(&context);
        ASSERT_EQ(context.texts.size(), 3u) << c.text;
        EXPECT_EQ(context.texts[1].text, "Cutoff");
        EXPECT_EQ(context.texts[2].text, c.text);
        EXPECT_EQ(context.texts[2].align, 2);
        EXPECT_EQ(context.texts[2].size, c.size) << c.text;
        EXPECT_FLOAT_EQ(context.texts[2].rect.y, c.y) << c.text;
    }
    struct Name {
        const char* name;
        size_t texts;
        float size;
    };
    host.engineSets(kVersion, 2); // the top value: no mode drawn
    d->pollValue();
    const Name names[] = {{"initialize", 0, 0},
                          {"Fifteen chars..", 1, 20},
                          {"Sixteen chars...", 1, 14},
                          {"twenty-seven characters....", 1, 10}};
    for (const Name& n : names) {
        char text[64];
        std::snprintf(text, sizeof text, "%s", n.name);
        d->receiveMessage(vm.get(), AM_View_InfoDisplay::kMsgPresetName, 0, text);
        TraceContext context;
        d->draw(&context);
        ASSERT_EQ(context.texts.size(), n.texts) << n.name;
        if (n.texts > 0) {
            EXPECT_EQ(context.texts[0].size, n.size) << n.name;
        }
    }
    // Below the top value the mode is drawn faintly behind, cut at its space.
    host.engineSets(kVersion, 1);
    d->pollValue();
    TraceContext context;
    d->draw(&context);
    ASSERT_EQ(context.texts.size(), 2u);
    EXPECT_EQ(context.texts[0].text, "Modern");
}

TEST_F(InfoDisplayTest, InfoDisplaysMatchTheirReferencePictures)
{
    AM_Colour* back = colour("InfoBack", 0x181B20FF);
    AM_Colour* edge = colour("InfoEdge", 0x4A505AFF);
    AM_Colour* ink = colour("InfoText", 0xE8E8E8FF);
    AM_View_InfoDisplay* line = info({6, 6, 200, 24});
    AM_View_InfoDisplay* preset = info({6, 36, 200, 24});
    for (AM_View_InfoDisplay* d : {line, preset}) {
        d->setColour(back, 0);
        d->setColour(edge, 1);
        d->setColour(ink, 2);
    }
    host.engineSets(kVersion, 1);
    char name[] = "Warm Strings";
    preset->receiveMessage(vm.get(), AM_View_InfoDisplay::kMsgPresetName, 0, name);
    vm->updateDisplayChain();
    line->setProperty("infodisplaytype", 0, "1");
    AM_InfoLine* record = vm->getInfoLine(0);
    record->subject = host.getModuleInfoByIndex(1);
    std::snprintf(record->title, sizeof record->title, "Attack Time");
    std::snprintf(record->text, sizeof record->text, "12.5 ms");
    preset->setProperty("infodisplaytype", 0, "0");
    vm->showInfoLine(0, true);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(line, 212, 66, "info_displays", zoom), "") << zoom;
}

} // namespace
