// Popup menus: the item table, showing a control's menu through the
// platform presenter, delivery of the chosen item, the graphics and action
// menus and performAction.

#include "MenuFixture.h"
#include "TraceCapture.h"

#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ActionTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace viewtest;

namespace {

TEST(MenuTableTest, ItemsKeepTheirSubmenuFlagsAndOwnCopiesOfTheirTexts)
{
    AM_MenuTable table;
    const float point[2] = {5, 6};
    table.begin(nullptr, point, kEditMenuId);
    char text[16] = "first";
    int userData = 0;
    EXPECT_EQ(
        table.addItem(0, 0x50005, text, 7, kMenuChecked | 0xFF | kMenuSubMenuEntry, &userData), 1u);
    std::strcpy(text, "changed");
    const uint32_t sub = table.addSubMenu(0, "Layers", 0);
    EXPECT_EQ(sub, 1u);
    EXPECT_EQ(table.addItem(sub, 14, "Create New", 0, 0, nullptr), 3u);

    const AM_MenuItem* menu = table.item(0);
    EXPECT_EQ(menu->text, "MainMenu");
    EXPECT_EQ(menu->itemFlags, uint32_t(kMenuSubMenuEntry));
    EXPECT_EQ(menu->command, kEditMenuId);
    const AM_MenuItem* first = table.item(1);
    EXPECT_EQ(first->text, "first");
    // Flag bits of the submenu byte and the entry bit are not the caller's.
    EXPECT_EQ(first->itemFlags, uint32_t(kMenuChecked));
    EXPECT_EQ(first->command, 0x50005u);
    EXPECT_EQ(first->value, 7);
    EXPECT_EQ(first->userData, &userData);
    EXPECT_EQ(table.item(2)->itemFlags, uint32_t(kMenuSubMenuEntry));
    EXPECT_EQ(table.item(2)->command, sub);
    EXPECT_EQ(table.item(3)->subMenu(), sub);
    EXPECT_EQ(table.item(4), nullptr);
    EXPECT_EQ(table.point()[0], 5.0f);
}

TEST(MenuTableTest, TwoSeparatorsInARowGiveOne)
{
    AM_MenuTable table;
    table.begin(nullptr, nullptr, kRunMenuId);
    table.addItem(0, 1, "a", 0, 0, nullptr);
    EXPECT_NE(table.addItem(0, 0, "-", 0, 0, nullptr), 0u);
    EXPECT_EQ(table.addItem(0, 0, "", 0, kMenuSeparator, nullptr), 0u);
    EXPECT_EQ(table.addItem(0, 0, "-", 0, 0, nullptr), 0u);
    table.addItem(0, 2, "b", 0, 0, nullptr);
    EXPECT_NE(table.addItem(0, 0, "-", 0, 0, nullptr), 0u);
    EXPECT_EQ(table.itemCount(), 4u);
}

TEST(MenuTableTest, TheTableIsCappedAndWhatComesPastItIsDroppedWithATraceLine)
{
    testsupport::TraceCapture trace;
    AM_MenuTable table;
    table.begin(nullptr, nullptr, kRunMenuId);
    const uint32_t last = AM_MenuTable::kMaxItems - 1;
    for (uint32_t i = 1; i <= last; ++i) {
        ASSERT_EQ(table.addItem(0, i, "item", 0, 0, nullptr), i);
    }
    EXPECT_EQ(table.addItem(0, 9999, "late", 0, 0, nullptr), 0u);
    EXPECT_EQ(table.addItem(0, 9999, "later", 0, 0, nullptr), 0u);
    EXPECT_EQ(table.addSubMenu(0, "late menu", 0), AM_MenuTable::kNoSubMenu);
    EXPECT_EQ(trace.count("WARNING: more than max MenuItems!\n"), 3);
    EXPECT_EQ(table.itemCount(), last);
    // The last entry is what was added there, not overwritten.
    EXPECT_EQ(table.item(last)->command, last);

    table.begin(nullptr, nullptr, kRunMenuId);
    EXPECT_EQ(table.itemCount(), 0u);
    for (uint32_t i = 1; i < AM_MenuTable::kMaxSubMenus; ++i) {
        ASSERT_EQ(table.addSubMenu(i - 1, "sub", 0), i);
    }
    EXPECT_EQ(table.addSubMenu(0, "one too many", 0), AM_MenuTable::kNoSubMenu);
    EXPECT_EQ(trace.count("WARNING: more than max SubMenus!\n"), 1);
    // Items for a submenu that was not added are dropped.
    EXPECT_EQ(table.addItem(AM_MenuTable::kNoSubMenu, 1, "lost", 0, 0, nullptr), 0u);
    EXPECT_TRUE(trace.contains("menu item 'lost' dropped: there is no submenu 256"));
}

TEST_F(EditorTest, ARightPressInRunModeShowsTheValuesAndMidiLearnAtThePointer)
{
    vm->setZoom(2.0f);
    MenuControl* knob = addControl("Knob 1", 100, 50);
    knob->setEditMode(false);
    menus.choosePath({"MidiLearn"});
    knob->rightPress(110, 60);

    const auto* shown = menus.lastShown();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(platform::describeMenu(shown->menu), "[ ] Saw\n"
                                                   "[x] Square\n"
                                                   "[ ] Noise\n"
                                                   "-\n"
                                                   "MidiLearn\n"
                                                   "MidiUnLearn\n");
    EXPECT_EQ(shown->x, 220);
    EXPECT_EQ(shown->y, 120);
    ASSERT_EQ(knob->commands.size(), 1u);
    EXPECT_EQ(knob->commands[0].menuId, kRunMenuId);
    EXPECT_EQ(knob->commands[0].command, (200u << 16) | 5u);
    EXPECT_EQ(knob->commands[0].x, 110.0f);
    EXPECT_EQ(knob->commands[0].y, 60.0f);
}

TEST_F(EditorTest, ARightPressInEditModeShowsTheEditMenuWithItsSubmenus)
{
    MenuControl* knob = addControl("Knob 1", 10, 10);
    knob->setEditMode(true);
    knob->setLayerMask(0x5);
    menus.choosePath({"LayerMask", "Layer 2"});
    knob->rightPress(12, 14);

    const std::string text = platform::describeMenu(menus.lastShown()->menu);
    EXPECT_EQ(text.substr(0, text.find("  [ ] Layer 4")), "Knob 1\n"
                                                          "> LayerMask\n"
                                                          "  [x] Layer 1\n"
                                                          "  [ ] Layer 2\n"
                                                          "  [x] Layer 3\n");
    // The separator of the submenu stays in it.
    EXPECT_NE(text.find("  [ ] Layer 32\n  -\n  all layers\n-\nbring to front\n"
                        "send to back\n[ ] locked\nRename Control\n"),
              std::string::npos)
        << text;
    ASSERT_EQ(knob->commands.size(), 1u);
    EXPECT_EQ(knob->commands[0].menuId, kEditMenuId);
    EXPECT_EQ(knob->commands[0].command, (1u << 16) | 15u);
    EXPECT_EQ(knob->commands[0].text, "Layer 2");
}

TEST_F(EditorTest, ChoosingNothingChangesNothing)
{
    MenuControl* knob = addControl("Knob 1", 10, 10);
    knob->setEditMode(false);
    menus.dismiss();
    knob->rightPress(12, 14);
    EXPECT_EQ(menus.shown().size(), 1u);
    EXPECT_TRUE(knob->commands.empty());
    EXPECT_FALSE(vm->showMenu()); // nothing scripted: dismissed again
    EXPECT_TRUE(knob->commands.empty());
}

TEST_F(EditorTest, AControlThatWentAwayGetsNothingAndAControlWithoutMenusIsTraced)
{
    testsupport::TraceCapture trace;
    addControl("Top", 0, 0);
    MenuControl* knob = addControl("Knob 1", 10, 10);
    const float point[2] = {1, 1};
    vm->beginMenu(knob, point, kRunMenuId);
    vm->addMenuItem(0, 5, "item");
    knob->unlink();
    delete knob;
    menus.chooseNth(1);
    vm->showMenu();
    EXPECT_TRUE(trace.contains("menu item 'item' chosen, but no control takes no menu commands"));

    const AM_Rect bounds{0, 0, 10, 10};
    auto* plain = new RecordingControl(vm.get(), &bounds);
    plain->setName("Plain");
    vm->registerControl(plain, nullptr);
    vm->beginMenu(plain, point, kRunMenuId);
    vm->addMenuItem(0, 5, "item");
    menus.chooseNth(1);
    vm->showMenu();
    EXPECT_TRUE(trace.contains("but Plain takes no menu commands"));
}

// A menu that is up while the host goes on: a menu begun meanwhile neither
// shows nor changes what the first one answers, which reaches its control
// with the first menu's point, id and item; once it answered, menus show
// again.
TEST_F(EditorTest, AMenuUpLeavesLaterMenusAloneAndAnswersFromItsOwnItems)
{
    testsupport::TraceCapture trace;
    MenuControl* first = addControl("Knob 1", 10, 10);
    MenuControl* second = addControl("Knob 2", 60, 10);
    first->setEditMode(false);
    second->setEditMode(false);
    menus.hold();
    first->rightPress(12, 14);
    EXPECT_TRUE(vm->isMenuShown());
    second->valueNames = {"Up", "Down"};
    second->rightPress(62, 16);
    EXPECT_EQ(menus.shown().size(), 1u);
    EXPECT_TRUE(trace.contains("a menu is up already"));
    // The first menu's second item: "Square".
    ASSERT_TRUE(menus.answerHeld(2));
    EXPECT_FALSE(vm->isMenuShown());
    EXPECT_TRUE(second->commands.empty());
    ASSERT_EQ(first->commands.size(), 1u);
    EXPECT_EQ(first->commands[0].text, "Square");
    EXPECT_EQ(first->commands[0].x, 12.0f);
    EXPECT_EQ(first->commands[0].y, 14.0f);
    EXPECT_EQ(first->commands[0].menuId, kRunMenuId);

    menus.chooseNth(1);
    second->rightPress(62, 16);
    ASSERT_EQ(second->commands.size(), 1u);
    EXPECT_EQ(second->commands[0].text, "Up");
}

// The control of a menu that is up goes away: the menu goes down and
// nothing is delivered; the view manager going away takes its menu down.
TEST_F(EditorTest, AMenuGoesDownWithItsControlOrItsViewManager)
{
    MenuControl* knob = addControl("Knob 1", 10, 10);
    knob->setEditMode(false);
    menus.hold();
    knob->rightPress(12, 14);
    ASSERT_TRUE(menus.isOpen());
    knob->unlink();
    delete knob;
    EXPECT_FALSE(menus.isOpen());
    EXPECT_FALSE(vm->isMenuShown());
    EXPECT_FALSE(menus.answerHeld(1));

    MenuControl* other = addControl("Knob 2", 10, 10);
    other->setEditMode(false);
    menus.hold();
    other->rightPress(12, 14);
    ASSERT_TRUE(menus.isOpen());
    vm.reset();
    EXPECT_FALSE(menus.isOpen());
}

// The menu opens on the item its control names (the checked value).
TEST_F(EditorTest, TheMenuOpensOnTheItemItsControlNames)
{
    MenuControl* knob = addControl("Knob 1", 10, 10);
    const float point[2] = {1, 1};
    vm->beginMenu(knob, point, kRunMenuId);
    vm->addMenuItem(0, 5, "a");
    const uint32_t b = vm->addMenuItem(0, 6, "b", 0, kMenuChecked);
    vm->setMenuInitialItem(b);
    vm->showMenu();
    ASSERT_NE(menus.lastShown(), nullptr);
    EXPECT_EQ(menus.lastShown()->menu.initialId, b);
    // A new menu starts without one.
    vm->beginMenu(knob, point, kRunMenuId);
    vm->addMenuItem(0, 5, "a", 0, kMenuChecked);
    vm->showMenu();
    EXPECT_EQ(menus.lastShown()->menu.initialId, platform::kNoMenuChoice);
}

TEST_F(EditorTest, WithoutAPresenterNoMenuIsShown)
{
    testsupport::TraceCapture trace;
    vm->setDialogs({});
    MenuControl* knob = addControl("Knob 1", 10, 10);
    knob->setEditMode(false);
    knob->rightPress(1, 1);
    EXPECT_TRUE(knob->commands.empty());
    EXPECT_TRUE(trace.contains("no menu presenter"));
}

TEST_F(EditorTest, TheGraphicsMenuFilesMarkedGraphicsUnderTheirPathKinds)
{
    struct Row {
        const char* name;
        uint32_t kind;
        bool marked;
    };
    const Row rows[] = {{"Loose", 0, true},
                        {"Fader", 2, true},
                        {"Spinner", 4, true},
                        {"Hidden", 2, false},
                        {"Odd", 9, true}};
    for (const Row& row : rows) {
        auto* graphic = new AM_Graphic(vm.get(), 0);
        graphic->setName(row.name);
        graphic->setPathIndex(row.kind);
        graphic->setMarks(row.marked, false, false);
        vm->addGraphic(graphic);
    }
    MenuControl* knob = addControl("Knob 1", 10, 10);
    const float point[2] = {0, 0};
    vm->beginMenu(knob, point, kEditMenuId);
    const uint32_t graphics = vm->addSubMenu(0, "Graphics");
    vm->buildGraphicsMenu(graphics, (3u << 16) | 4u);
    menus.choosePath({"Graphics", "Controls", "Fader"});
    vm->showMenu();
    EXPECT_EQ(platform::describeMenu(menus.lastShown()->menu), "> Graphics\n"
                                                               "  > Shapes\n"
                                                               "  > Controls\n"
                                                               "    Fader\n"
                                                               "  > Panes\n"
                                                               "  > Animations\n"
                                                               "    Spinner\n"
                                                               "  > Icons\n"
                                                               "  > Other\n"
                                                               "  Loose\n"
                                                               "  Odd\n");
    ASSERT_EQ(knob->commands.size(), 1u);
    EXPECT_EQ(knob->commands[0].command, (3u << 16) | 4u);
    EXPECT_EQ(knob->commands[0].userData, vm->getGraphic("Fader"));
}

TEST_F(EditorTest, TheActionItemsFollowTheTableWithTheirRowsAsUserData)
{
    MenuControl* button = addControl("Button 1", 10, 10);
    const float point[2] = {0, 0};
    vm->beginMenu(button, point, kEditMenuId);
    vm->addActionMenuItems(0, 5);
    menus.choosePath({"redo"});
    vm->showMenu();
    EXPECT_EQ(platform::describeMenu(menus.lastShown()->menu),
              "next preset\nprev preset\nundo\nredo\ntransform\narray\nalign top\n"
              "align left\nalign right\nalign bottom\ngo website\n");
    ASSERT_EQ(button->commands.size(), 1u);
    const auto* row = static_cast<const AM_ActionTableEntry*>(button->commands[0].userData);
    EXPECT_EQ(row->code, 0x7265646Fu); // 'redo'
    EXPECT_EQ(AM_fourCC("undo"), 0x756E646Fu);
    EXPECT_EQ(AM_findAction(AM_fourCC("_web")), &AM_actionTable[10]);
    EXPECT_EQ(AM_findAction(AM_fourCC("nope")), nullptr);
    EXPECT_STREQ(AM_actionTable[11].label, "EOL");
}

class PresetStepInterface : public RecordingInterface {
public:
    void nextPreset(const char* list) override { steps.push_back(list ? list : "next"); }
    void previousPreset(const char* list) override { steps.push_back(list ? list : "previous"); }
    std::vector<std::string> steps;
};

TEST_F(EditorTest, UndoRedoAndThePresetStepsRunTheirOperations)
{
    PresetStepInterface presets;
    EditorViewMan stepping(&presets);
    EXPECT_TRUE(stepping.performAction(kActionUndo));
    EXPECT_TRUE(stepping.performAction(kActionRedo));
    EXPECT_TRUE(stepping.performAction(kActionNextPreset));
    EXPECT_TRUE(stepping.performAction(kActionPreviousPreset));
    EXPECT_FALSE(stepping.performAction(AM_fourCC("zzzz")));
    EXPECT_FALSE(stepping.performAction(0));
    EXPECT_EQ(stepping.calls, (std::vector<std::string>{"undo", "redo"}));
    EXPECT_EQ(presets.steps, (std::vector<std::string>{"next", "previous"}));
}

TEST_F(EditorTest, AlignmentLinesTheSelectionUpWithTheFocusedControl)
{
    struct Case {
        uint32_t code;
        AM_Rect expected; // of the second control
    };
    const Case cases[] = {
        {kActionAlignTop, {100, 20, 20, 10}},
        {kActionAlignLeft, {10, 200, 20, 10}},
        {kActionAlignRight, {30, 200, 20, 10}},
        {kActionAlignBottom, {100, 40, 20, 10}},
    };
    for (const Case& c : cases) {
        vm->calls.clear();
        MenuControl* focused = addControl("Focused", 10, 20, 40, 30);
        MenuControl* other = addControl("Other", 100, 200, 20, 10);
        focused->setNextSelected(other);
        vm->focused = focused;
        vm->multiSelection = false;
        EXPECT_FALSE(vm->performAction(c.code)); // needs a multiple selection
        vm->multiSelection = true;
        EXPECT_TRUE(vm->performAction(c.code));
        const AM_Rect b = other->getBounds();
        EXPECT_EQ(b.x, c.expected.x) << c.code;
        EXPECT_EQ(b.y, c.expected.y) << c.code;
        EXPECT_EQ(b.w, c.expected.w) << c.code;
        EXPECT_EQ(focused->getBounds().x, 10.0f);
        EXPECT_EQ(vm->calls.front(), "addUndo move");
        EXPECT_EQ(vm->calls.back(), "closeUndo");
        focused->setNextSelected(nullptr);
        vm->focused = nullptr;
    }
}

TEST_F(EditorTest, TransformMovesOrScalesTheFocusedControlByTheTransformBox)
{
    MenuControl* focused = addControl("Focused", 10, 20, 40, 30);
    EXPECT_FALSE(vm->performAction(kActionTransform)); // nothing focused
    vm->focused = focused;
    vm->setEditTransform({5, -10, 100, 100, 8});
    EXPECT_TRUE(vm->performAction(kActionTransform));
    AM_Rect b = focused->getBounds();
    EXPECT_EQ(b.x, 15.0f);
    EXPECT_EQ(b.y, 10.0f);
    EXPECT_EQ(b.w, 40.0f);
    EXPECT_EQ(vm->calls, (std::vector<std::string>{"addUndo move", "closeUndo"}));

    vm->calls.clear();
    vm->setEditTransform({0, 0, 200, 50, 8});
    EXPECT_TRUE(vm->performAction(kActionTransform));
    b = focused->getBounds();
    EXPECT_EQ(b.x, 15.0f);
    EXPECT_EQ(b.w, 80.0f);
    EXPECT_EQ(b.h, 15.0f);
    EXPECT_EQ(vm->calls, (std::vector<std::string>{"addUndo scale", "closeUndo"}));
}

std::vector<std::string>* openedPages = nullptr;
bool recordPage(const char* url)
{
    openedPages->push_back(url);
    return true;
}

TEST_F(EditorTest, TheWebActionOpensTheGivenPageOrTheProductSite)
{
    std::vector<std::string> pages;
    openedPages = &pages;
    vm->setUrlOpener(recordPage);
    EXPECT_TRUE(vm->performAction(kActionWebSite, "https://example.org/manual"));
    EXPECT_TRUE(vm->performAction(kActionWebSite));
    EXPECT_TRUE(vm->performAction(kActionWebSite, ""));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], "https://example.org/manual");
    EXPECT_EQ(pages[1], "https://example.org/kestank4/");
    EXPECT_EQ(pages[2], pages[1]);
    openedPages = nullptr;
}

} // namespace
