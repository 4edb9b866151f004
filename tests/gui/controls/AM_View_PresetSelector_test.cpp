#include "ControlFixture.h"
#include "TempDir.h"
#include "TraceCapture.h"

#include "foundation/AM_Directory.h"
#include "gui/controls/AM_View_PresetSelector.h"
#include "gui/graphics/AM_Colour.h"
#include "presets/folders/PresetFolder.h"
#include "presets/folders/PresetListItem.h"
#include "presets/library/ModulePresetList.h"
#include "presets/library/PresetTagger.h"

#include <memory>
#include <sys/stat.h>

namespace {

using namespace controltest;

// A view manager whose drags are recorded: the source's drag data, and
// whether the drag counts as performed.
class DragViewMan : public MenuViewMan {
public:
    using MenuViewMan::MenuViewMan;
    bool startDragDrop(AM_ViewControl* source, uint32_t kind, uint32_t length,
                       const char* text) override
    {
        (void)length;
        const char* own = source != nullptr ? source->getDragData() : nullptr;
        drags.push_back({kind, own != nullptr ? own : (text != nullptr ? text : "")});
        return dragPerformed;
    }
    struct Drag {
        uint32_t kind;
        std::string text;
    };
    void invalidateRect(const AM_Rect* rect) override
    {
        ++invalidations;
        MenuViewMan::invalidateRect(rect);
    }
    std::vector<Drag> drags;
    bool dragPerformed = false;
    int invalidations = 0;
};

// The whole-patch list of the real preset library over a temporary tree:
// "Pads" holds the presets the test writes, "Leads" one more.
class PresetSelectorTest : public ControlTest {
protected:
    PresetSelectorTest()
    {
        vm.reset();
        resetTagRegistry();
        auto drag = std::make_unique<DragViewMan>(&interface, nullptr, nullptr);
        drags = drag.get();
        vm = std::move(drag);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
        // The top control, which hands the preset library's news to the others.
        make<AM_ViewControl>("Pane", {0, 0, 8, 8});
        dir.makeDir("Pads");
        dir.makeDir("Leads");
        dir.writeFile("Leads/Solo.fxp", "x");
    }
    ~PresetSelectorTest() override
    {
        vm.reset();
        resetTagRegistry();
    }
    // The list with its folders in the temporary tree, "Pads" current.
    void openList(std::initializer_list<std::string> presets)
    {
        for (const std::string& p : presets)
            dir.writeFile("Pads/" + p, "preset");
        list = interface.addModulePresetList("Presets", 0);
        ASSERT_NE(list, nullptr);
        auto root = std::make_unique<PresetFolder>(
            std::make_unique<AM_Directory>(AM_String((dir.path() + "/").c_str())), 0, "Local");
        root->scanSubFolderTree(root->directory(), root.get(), 1);
        list->setFolders(std::move(root));
        list->attachTaggers();
        interface.setCurrentFolder(list->folders()->findByName("Pads"), "Presets");
    }
    void manyPresets(int count)
    {
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Pads/P%02d.aupreset", i);
            dir.writeFile(name, "preset");
        }
        openList({});
    }
    AM_View_PresetSelector* view(AM_Rect bounds = {0, 0, 200, 160})
    {
        auto* v = make<AM_View_PresetSelector>("PresetSelector", bounds);
        v->setPresetListName("Presets");
        draw(v);
        return v;
    }
    void draw(AM_View_PresetSelector* v)
    {
        const AM_Rect b = v->getBounds();
        testsupport::HeadlessCanvas canvas(b.x + b.w, b.y + b.h, 1.0f);
        canvas.begin();
        v->draw(&canvas.context());
    }
    static const float* at(float x, float y)
    {
        static float point[2];
        point[0] = x;
        point[1] = y;
        return point;
    }
    // The name of the item under the point ("" for none).
    static std::string nameAt(AM_View_PresetSelector* v, float x, float y)
    {
        PresetListItem* item = v->itemAtPoint(at(x, y));
        return item != nullptr ? item->name() : "";
    }
    std::vector<std::string> selected()
    {
        std::vector<std::string> names;
        for (PresetListItem* i = list->items(); i != nullptr; i = i->next())
            if (i->isSelected())
                names.emplace_back(i->name());
        return names;
    }
    std::vector<std::string> menuTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& i : vm->items)
            texts.push_back(i.text);
        return texts;
    }
    std::string current() { return interface.getCurrentPresetName("Presets"); }
    // The centre of row `row` (from the top of the view).
    static float rowY(int row) { return 16.0f * float(row) + 8.0f; }

    testsupport::TempDir dir;
    DragViewMan* drags = nullptr;
    ModulePresetList* list = nullptr;
};

TEST_F(PresetSelectorTest, ColumnsScrollAndHitTestsFollowTheDrawnLayout)
{
    manyPresets(30);
    AM_View_PresetSelector* v = view({0, 0, 200, 160});
    v->setColumns(2);
    draw(v);
    EXPECT_EQ(v->getItemCount(), 30);
    EXPECT_EQ(v->getVisibleRows(), 10);
    EXPECT_EQ(v->getRowsPerColumn(), 15);
    EXPECT_TRUE(v->hasScrollBar());

    // Columns are (200 - 16) / 2 = 92 wide, whether or not a scroll bar is drawn.
    struct Case {
        float x, y;
        const char* name;
    };
    const Case cases[] = {
        {20, rowY(0), "P00"},  {91, rowY(9), "P09"}, {92, rowY(0), "P15"},
        {183, rowY(3), "P18"}, {184, rowY(3), ""},   {195, rowY(3), ""},
        {-1, rowY(0), ""},     {20, 200, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nameAt(v, c.x, c.y), c.name) << c.x << "," << c.y;

    // The thumb dragged to the bottom stops at the last page.
    ASSERT_TRUE(v->onMouseDown(at(190, 4), 0));
    v->onMouseDrag(at(190, 1000), 0);
    EXPECT_EQ(v->getFirstRow(), 5);
    EXPECT_EQ(nameAt(v, 20, rowY(0)), "P05");
    EXPECT_EQ(nameAt(v, 20, rowY(9)), "P14");
    EXPECT_EQ(nameAt(v, 100, rowY(9)), "P29");
    v->onMouseWheel(100);
    EXPECT_EQ(v->getFirstRow(), 0);

    // The same geometry on one column without a scroll bar: the last 16
    // units stay outside the list.
    AM_View_PresetSelector* wide = view({0, 200, 200, 600});
    EXPECT_FALSE(wide->hasScrollBar());
    EXPECT_EQ(nameAt(wide, 183, 200 + rowY(29)), "P29");
    EXPECT_EQ(nameAt(wide, 190, 200 + rowY(29)), "");
    EXPECT_EQ(nameAt(wide, 20, 200 + rowY(30)), "");
}

TEST_F(PresetSelectorTest, ClicksSelectLoadAndDragThePaths)
{
    openList({"Air.aupreset", "Bell.aupreset", "Choir.aupreset", "Drone.aupreset", "Echo.aupreset"});
    AM_View_PresetSelector* v = view();
    testsupport::TraceCapture trace;

    // A plain click selects and loads; the drag that starts carries the path.
    v->onMouseDown(at(40, rowY(1)), 0);
    EXPECT_EQ(selected(), std::vector<std::string>{"Bell"});
    EXPECT_EQ(current(), "Bell");
    ASSERT_EQ(drags->drags.size(), 1u);
    EXPECT_EQ(drags->drags[0].kind, 1u);
    EXPECT_EQ(drags->drags[0].text, dir.file("Pads/Bell.aupreset"));

    // Alt toggles without loading; Shift extends from the first selected one.
    v->onMouseDown(at(40, rowY(3)), 8);
    EXPECT_EQ(selected(), (std::vector<std::string>{"Bell", "Drone"}));
    v->onMouseDown(at(40, rowY(3)), 8);
    EXPECT_EQ(selected(), std::vector<std::string>{"Bell"});
    EXPECT_EQ(current(), "Bell");
    v->onMouseDown(at(40, rowY(4)), 1);
    EXPECT_EQ(selected(), (std::vector<std::string>{"Bell", "Choir", "Drone", "Echo"}));
    EXPECT_EQ(current(), "Bell") << "a Shift click loads nothing";
    // None selected before the clicked one: up to the next selected one.
    v->onMouseDown(at(40, rowY(1)), 8);
    v->onMouseDown(at(40, rowY(2)), 8);
    v->onMouseDown(at(40, rowY(0)), 1);
    EXPECT_EQ(selected(), (std::vector<std::string>{"Air", "Bell", "Choir", "Drone", "Echo"}));

    // Dragging the selection gives every path, one a line, no line feed after the last.
    v->onMouseDown(at(40, rowY(2)), 8);
    v->onMouseDown(at(40, rowY(2)), 8);
    EXPECT_EQ(drags->drags.back().text, dir.file("Pads/Air.aupreset") + "\n" + dir.file("Pads/Bell.aupreset") +
                                            "\n" + dir.file("Pads/Choir.aupreset") + "\n" +
                                            dir.file("Pads/Drone.aupreset") + "\n" +
                                            dir.file("Pads/Echo.aupreset"));
    EXPECT_TRUE(trace.contains("done AM_View_PresetSelector::getDragData( UInt32 &outSize )"));

    // A drag that was performed refreshes the folder and loads nothing.
    drags->dragPerformed = true;
    v->onMouseDown(at(40, rowY(4)), 0);
    EXPECT_EQ(current(), "Bell");
    EXPECT_EQ(selected(), std::vector<std::string>{"Bell"}) << "listed again: the current one";
    drags->dragPerformed = false;

    // The arrow keys step through the folder and load.
    v->onMouseDown(at(40, rowY(2)), 0);
    EXPECT_EQ(current(), "Choir");
    EXPECT_TRUE(v->onKeyDown(AM_View_PresetSelector::kKeyNext, 0));
    EXPECT_EQ(current(), "Drone");
    EXPECT_EQ(selected(), std::vector<std::string>{"Drone"});
    EXPECT_TRUE(v->onKeyDown(AM_View_PresetSelector::kKeyPrevious, 0));
    EXPECT_TRUE(v->onKeyDown(AM_View_PresetSelector::kKeyPrevious, 0));
    EXPECT_EQ(current(), "Bell");
    EXPECT_FALSE(v->onKeyDown('a', 0));
}

TEST_F(PresetSelectorTest, LongUtf8PathsAreDraggedWhole)
{
    // Each path goes whole, however many bytes its characters take.
    const std::string name = "Gl\xC3\xB6" "ckchen \xE2\x9C\x93 " + std::string(40, 'z');
    openList({name + ".aupreset"});
    AM_View_PresetSelector* v = view();
    v->onMouseDown(at(40, rowY(0)), 8);
    ASSERT_NE(v->getDragData(), nullptr);
    EXPECT_EQ(std::string(v->getDragData()), dir.file("Pads/" + name + ".aupreset"));
}

TEST_F(PresetSelectorTest, TagsAreWrittenToTheTagFileAndJunkHidesEverywhere)
{
    openList({"Air.aupreset", "Bell.aupreset", "Choir.aupreset"});
    AM_View_PresetSelector* v = view();

    // An unselected item offers its own tags; choosing one writes the tag file.
    vm->answerText = "make Favourite";
    v->onMouseDown(at(40, rowY(0)), 2);
    EXPECT_EQ(menuTexts(), (std::vector<std::string>{"make Favourite", "mark as Junk", "-",
                                                     "select all", "deselect", "-", "show Junk"}));
    ASSERT_TRUE(list->items()->isFavourite());
    ASSERT_TRUE(list->favouritesTagger()->writeBack());
    EXPECT_EQ(dir.readFile("Favourites.db.txt"), "/Pads/\nAir.aupreset\n");

    // A selected favourite offers the selection's tags.
    v->onMouseDown(at(40, rowY(0)), 0);
    vm->answerText = "";
    v->onMouseDown(at(40, rowY(0)), 2);
    EXPECT_EQ(menuTexts()[0], "Un-Favourite selected");
    EXPECT_EQ(menuTexts()[1], "mark selected as Junk");
    // The selection's commands share numbers with MIDI learn: they start none.
    vm->answerText = "Un-Favourite selected";
    v->onMouseDown(at(40, rowY(0)), 2);
    EXPECT_FALSE(list->items()->isFavourite());
    vm->answerText = "make selected Favourite";
    v->onMouseDown(at(40, rowY(0)), 2);
    EXPECT_TRUE(list->items()->isFavourite());
    EXPECT_TRUE(interface.learned.empty());

    // Junk is left out of drawing, hit tests, counts and drag data alike.
    vm->answerText = "mark as Junk";
    v->onMouseDown(at(40, rowY(1)), 2);
    vm->answerText = "select all";
    v->onMouseDown(at(40, rowY(2)), 2);
    draw(v);
    EXPECT_EQ(v->getItemCount(), 2);
    EXPECT_EQ(nameAt(v, 40, rowY(1)), "Choir");
    EXPECT_EQ(std::string(v->getDragData()),
              dir.file("Pads/Air.aupreset") + "\n" + dir.file("Pads/Choir.aupreset"));
    vm->answerText = "show Junk";
    v->onMouseDown(at(40, rowY(5)), 2);
    EXPECT_TRUE(v->showsJunk());
    draw(v);
    EXPECT_EQ(v->getItemCount(), 3);
    EXPECT_EQ(nameAt(v, 40, rowY(1)), "Bell");

    // Without items the menu holds only the junk toggle.
    vm->answerText = "";
    v->onMouseDown(at(40, rowY(5)), 2);
    EXPECT_EQ(menuTexts().size(), 5u) << "an empty row of a listed folder";
    interface.setCurrentFolder(list->folders()->findByName("Local"), "Presets");
    v->onMouseDown(at(40, rowY(0)), 2);
    EXPECT_EQ(menuTexts(), std::vector<std::string>{"hide Junk"});
}

// A tag the tag file cannot keep is not shown, and the user reads why on
// the info display's first line.
TEST_F(PresetSelectorTest, ATagThatCannotBeKeptIsRefusedOnTheInfoLine)
{
    openList({"\\odd.aupreset", "Bell.aupreset"});
    AM_View_PresetSelector* v = view();
    PresetListItem* odd = list->items();
    ASSERT_STREQ(odd->name(), "\\odd"); // '\\' sorts before letters
    PresetListItem* bell = odd->next();
    vm->answerText = "make Favourite";
    v->onMouseDown(at(40, rowY(0)), 2);
    EXPECT_FALSE(odd->isFavourite());
    const AM_InfoLine* line = vm->getInfoLine(0);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->shown, 1);
    EXPECT_EQ(line->subject, nullptr);
    EXPECT_STREQ(line->title, "Favourites not changed");
    EXPECT_STREQ(line->text, "name can't be tagged");

    // A tag that is kept tells nothing.
    vm->showInfoLine(0, false);
    v->onMouseDown(at(40, rowY(1)), 2);
    EXPECT_TRUE(bell->isFavourite());
    EXPECT_EQ(line->shown, 0);

    // A read-only tag file takes no tag: the selection's command says so too.
    dir.writeFile("Junk.db.txt", "");
    ASSERT_EQ(::chmod(dir.file("Junk.db.txt").c_str(), 0444), 0);
    vm->answerText = "select all";
    v->onMouseDown(at(40, rowY(0)), 2);
    vm->answerText = "mark selected as Junk";
    v->onMouseDown(at(40, rowY(0)), 2);
    ::chmod(dir.file("Junk.db.txt").c_str(), 0644);
    EXPECT_FALSE(bell->isJunk());
    EXPECT_TRUE(bell->isFavourite());
    EXPECT_EQ(line->shown, 1);
    EXPECT_STREQ(line->title, "Junk not changed");
    EXPECT_STREQ(line->text, "tag file can't be written");
}

TEST_F(PresetSelectorTest, ALoadedPresetIsSelectedAndScrolledIntoView)
{
    manyPresets(40);
    AM_View_PresetSelector* v = view({0, 0, 200, 96});
    PresetListItem* item = interface.doesPresetExist("P30", "aupreset", "Presets");
    ASSERT_NE(item, nullptr);
    interface.loadPreset(item, "Presets");
    EXPECT_EQ(selected(), std::vector<std::string>{"P30"});
    EXPECT_EQ(v->getFirstRow(), 27) << "the row in the middle of the view";
    // News of another list changes nothing.
    list->items()->selectAll(false, true);
    v->receiveMessage(nullptr, AM_ViewManServices::kMsgPresetLoaded, 0,
                      const_cast<char*>("Other"));
    EXPECT_TRUE(selected().empty());
}

TEST_F(PresetSelectorTest, AFolderWithoutPresetsEmptiesTheList)
{
    // The list once kept showing the rows of the folder left behind.
    dir.makeDir("Empty");
    openList({"Warm.aupreset", "Cold.aupreset"});
    AM_View_PresetSelector* v = view();
    ASSERT_EQ(v->getItemCount(), 2);
    const int before = drags->invalidations;
    interface.setCurrentFolder(list->folders()->findByName("Empty"), "Presets");
    EXPECT_GT(drags->invalidations, before);
    draw(v);
    EXPECT_EQ(v->getItemCount(), 0);
    EXPECT_EQ(nameAt(v, 40, rowY(0)), "");
    EXPECT_FALSE(v->hasScrollBar());
}

TEST_F(PresetSelectorTest, ScriptLinesRoundTripAndColumnsStayInRange)
{
    AM_View_PresetSelector* v = make<AM_View_PresetSelector>("PresetSelector", {0, 0, 100, 100});
    v->setName("Presets");
    v->setText("Bank");
    v->setColumns(3);
    std::string text;
    v->writeControl(&text);
    EXPECT_NE(text.find("\nPROPERTY control='Presets' name='labeltext' id='0' value='Bank'"),
              std::string::npos);
    EXPECT_NE(text.find("\nPROPERTY control='Presets' name='Columns' id='1' value='3'"),
              std::string::npos)
        << text;

    struct Case {
        const char* value;
        int32_t columns;
    };
    for (const Case c : {Case{"2", 2}, Case{"0", 1}, Case{"-3", 1}, Case{"9", 4}, Case{"x", 4}}) {
        v->setProperty("Columns", 1, c.value);
        EXPECT_EQ(v->getColumns(), c.columns) << c.value;
    }
    v->setColumns(1);
    text.clear();
    v->writeControl(&text);
    EXPECT_EQ(text.find("Columns"), std::string::npos);

    // The edit menu's column items.
    vm->setEditMode(true);
    vm->answerText = "2 Cols";
    v->buildEditMenu(at(5, 5), true, 0);
    EXPECT_EQ(v->getColumns(), 2);
}

TEST_F(PresetSelectorTest, TheListIsDrawn)
{
    openList({"Airy Pad.aupreset", "Bell Tower.aupreset", "Choir of Glass.aupreset", "Drone.aupreset",
              "Echo Chamber.aupreset", "Frost.aupreset", "Glass Harp.aupreset", "Hollow.aupreset"});
    AM_View_PresetSelector* v = view({0, 0, 220, 96});
    const auto colour = [this](const char* name, uint32_t rgba) {
        auto* c = new AM_Colour(vm.get(), name, rgba);
        vm->addColour(c);
        return c;
    };
    v->setColour(colour("ListBack", 0x23262BFF), 0);
    v->setColour(colour("ListText", 0xC8CCD2FF), 1);
    v->setColour(colour("ListLit", 0xE9A23BFF), 2);
    v->setColour(colour("ListLitText", 0x1C1E22FF), 3);
    v->setColour(colour("ListTrack", 0x5A606BFF), 4);
    v->setColour(colour("ListThumb", 0x8A919CFF), 5);
    v->setColour(colour("ListFav", 0xF2C14EFF), 6);
    v->setColour(colour("ListJunk", 0x6B7079FF), 10);
    list->setTag(interface.doesPresetExist("Bell Tower", "aupreset", "Presets"), "Favourites", true);
    list->setTag(interface.doesPresetExist("Drone", "aupreset", "Presets"), "Junk", true);
    v->onMouseDown(at(40, rowY(2)), 0);
    vm->answerText = "show Junk";
    v->onMouseDown(at(40, rowY(0)), 2);
    for (float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(v, 220, 96, "preset_list", zoom), "") << zoom;
}

} // namespace
