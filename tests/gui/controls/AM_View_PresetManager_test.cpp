#include "ControlFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Pane.h"
#include "gui/controls/AM_View_PresetManager.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlMessages.h"
#include "presets/folders/PresetFolder.h"

#include <memory>

namespace {

using namespace controltest;

// An interface with a folder chain of its own that records what the view
// asks of the preset library.
class FolderInterface : public NamedInterface {
public:
    PresetFolder* getPresetFolders(const char* list) override
    {
        lists.emplace_back(list != nullptr ? list : "(main)");
        return chain.get();
    }
    PresetFolder* getCurrentFolder(const char*) override { return current; }
    void setCurrentFolder(PresetFolder* folder, const char*) override { current = folder; }
    void rescanPresets(const char*) override { ++rescans; }
    bool createPresetFolder(const char* name, const char*) override
    {
        created.emplace_back(name);
        return true;
    }
    void refreshCurrentFolder(const char*) override { ++refreshes; }
    ModulePresetList* getModulePresetList(const char*) override
    {
        ++importLists;
        return nullptr;
    }

    // Appends a folder of the depth; answers it.
    PresetFolder* add(const char* name, uint8_t depth)
    {
        auto folder = std::make_unique<PresetFolder>(nullptr, depth, name);
        PresetFolder* raw = folder.get();
        if (chain == nullptr)
            chain = std::move(folder);
        else
            chain->append(std::move(folder));
        return raw;
    }

    std::unique_ptr<PresetFolder> chain;
    PresetFolder* current = nullptr;
    std::vector<std::string> lists;
    std::vector<std::string> created;
    int rescans = 0;
    int refreshes = 0;
    int importLists = 0;
};

class PresetManagerTest : public ::testing::Test {
protected:
    PresetManagerTest()
    {
        ControlTestAccess::reset();
        AM_View_PresetManager::resetNewFolderName();
        vm = std::make_unique<MenuViewMan>(&folders, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
    }
    ~PresetManagerTest() override
    {
        vm.reset();
        AM_View_PresetManager::resetNewFolderName();
        ControlTestAccess::reset();
    }
    AM_View_PresetManager* view(AM_Rect bounds = {0, 0, 200, 96})
    {
        AM_ViewControl* control = vm->createControl("PresetManager", &bounds);
        vm->registerControl(control, nullptr);
        control->setVisible(true, kAllLayers, false);
        control->setEditMode(false);
        return dynamic_cast<AM_View_PresetManager*>(control);
    }
    // "Local" with Pads (Warm, Cold), Leads, Bass (Sub).
    void smallTree()
    {
        folders.add("Local", 0);
        folders.add("Pads", 1);
        folders.add("Warm", 2);
        folders.add("Cold", 2);
        folders.add("Leads", 1);
        folders.add("Bass", 1);
        folders.add("Sub", 2);
        folders.current = folders.chain->findByName("Leads");
    }
    static const float* at(float x, float y)
    {
        static float point[2];
        point[0] = x;
        point[1] = y;
        return point;
    }
    std::string rowName(AM_View_PresetManager* v, int row)
    {
        PresetFolder* f = v->folderAtPoint(at(40, v->getBounds().y + 16.0f * float(row) + 4));
        return f != nullptr ? f->name() : "";
    }

    FolderInterface folders;
    std::unique_ptr<MenuViewMan> vm;
};

TEST_F(PresetManagerTest, RowsFollowTheChainAndCollapsedBranchesHide)
{
    smallTree();
    AM_View_PresetManager* v = view({0, 0, 200, 160});
    EXPECT_EQ(v->getVisibleRows(), 10);
    EXPECT_EQ(rowName(v, 2), "Warm");
    EXPECT_EQ(rowName(v, 7), "") << "past the last folder";

    // A press on the box before "Pads" closes it; the press makes nothing current.
    EXPECT_FALSE(v->onMouseDown(at(5, 16 + 4), 0));
    EXPECT_TRUE(folders.chain->findByName("Pads")->isCollapsed());
    EXPECT_EQ(folders.current, folders.chain->findByName("Leads"));
    EXPECT_EQ(rowName(v, 2), "Leads");

    // A press on a name makes its folder current.
    EXPECT_FALSE(v->onMouseDown(at(80, 48 + 4), 0));
    EXPECT_EQ(folders.current, folders.chain->findByName("Bass"));

    // A double click opens it again.
    v->onDoubleClick(at(80, 16 + 4), 0);
    EXPECT_FALSE(folders.chain->findByName("Pads")->isCollapsed());
}

TEST_F(PresetManagerTest, ALongChainOpensWithOnlyTheCurrentBranch)
{
    folders.add("Local", 0);
    for (const char* branch : {"Pads", "Leads", "Bass"}) {
        folders.add(branch, 1);
        for (int k = 0; k < 6; ++k)
            folders.add((std::string(branch) + std::to_string(k)).c_str(), 2);
    }
    ASSERT_EQ(folders.chain->countFolders(true), 22);
    folders.current = folders.chain->findByName("Leads3");
    AM_View_PresetManager* v = view({0, 0, 200, 96});
    v->receiveMessage(nullptr, kPaneMsgGuiLoaded, 0, nullptr);
    EXPECT_TRUE(folders.chain->findByName("Pads")->isCollapsed());
    EXPECT_FALSE(folders.chain->findByName("Leads")->isCollapsed());
    EXPECT_TRUE(folders.chain->findByName("Bass")->isCollapsed());
    // Local, Pads, Leads, Leads0..5, Bass: the branch head is shown with the current folder.
    EXPECT_EQ(v->getFirstRow(), 2);
    EXPECT_EQ(rowName(v, 0), "Leads");

    // Without folders the view says so.
    FolderInterface empty;
    MenuViewMan other(&empty, nullptr, nullptr);
    const AM_PluginInfo info = pluginInfo("OtherSynth");
    other.setProcessDescription(&info);
    other.init(nullptr);
    other.registerDefaults();
    AM_installStandardControls(&other);
    std::unique_ptr<AM_ViewControl> lone(other.createControl("PresetManager", nullptr));
    testsupport::TraceCapture trace;
    lone->receiveMessage(nullptr, kPaneMsgGuiLoaded, 0, nullptr);
    EXPECT_TRUE(trace.contains("presetFolders is NULL\n"));
}

TEST_F(PresetManagerTest, TheFolderMenuRescansAndCreatesFolders)
{
    smallTree();
    folders.add("L2", 2);
    folders.add("L3", 3);
    folders.add("L4", 4);
    PresetFolder* deep = folders.add("L5", 5);
    AM_View_PresetManager* v = view({0, 0, 200, 400});

    struct Case {
        PresetFolder* folder;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {folders.chain->findByName("Pads"), {"Refresh Folder List", "-", "Create New Folder"}},
        {folders.chain->findByName("L4"), {"Refresh Folder List", "-", "Create New Folder"}},
        {deep, {"Refresh Folder List"}},
        {nullptr, {"Refresh Folder List"}},
    };
    for (const Case& c : cases) {
        v->buildFolderMenu(at(5, 5), c.folder);
        std::vector<std::string> texts;
        for (const auto& i : vm->items)
            texts.push_back(i.text);
        EXPECT_EQ(texts, c.items) << (c.folder != nullptr ? c.folder->name() : "none");
    }

    AM_MenuItem refresh;
    refresh.command = AM_menuCommand(AM_View_PresetManager::kCmdRefresh, kMenuCodeOwnCommand);
    EXPECT_TRUE(v->handleMenuCommand(at(5, 5), kRunMenuId, true, &refresh));
    EXPECT_EQ(folders.rescans, 1);

    AM_MenuItem create;
    create.command = AM_menuCommand(AM_View_PresetManager::kCmdCreateFolder, kMenuCodeOwnCommand);
    EXPECT_TRUE(v->handleMenuCommand(at(5, 5), kRunMenuId, true, &create));
    ASSERT_TRUE(vm->isTextEntryOpen());
    EXPECT_EQ(vm->entries.back().text, "new");
    std::snprintf(AM_View_PresetManager::newFolderName(), 64, "Keys");
    testsupport::TraceCapture trace;
    vm->endTextEntry();
    EXPECT_EQ(folders.created, std::vector<std::string>{"Keys"});
    EXPECT_TRUE(trace.contains("New folder 'Keys'"));

    EXPECT_TRUE(v->handleMenuCommand(at(5, 5), kRunMenuId, true, &create));
    AM_View_PresetManager::newFolderName()[0] = '\0';
    vm->endTextEntry();
    EXPECT_EQ(folders.created.size(), 1u);
    EXPECT_TRUE(trace.contains("zero length - preset folder creation discarted"));
}

TEST_F(PresetManagerTest, DropsWaitForTheNextTickAndCopyOnlyWithTheKeyFlag)
{
    smallTree();
    AM_View_PresetManager* v = view({0, 0, 200, 160});
    v->onDragOver(at(80, 16 * 4 + 4), 0, kDragStateOver);
    ASSERT_NE(v->getHoverFolder(), nullptr);
    EXPECT_STREQ(v->getHoverFolder()->name(), "Leads");

    struct Case {
        uint32_t flags;
        bool copies;
    };
    for (const Case c : {Case{4, true}, Case{0, false}, Case{4 | 1, true}}) {
        const char files[] = "/tmp/a.preset\n/tmp/b.preset\nrest-not-sent";
        v->dropData(at(80, 16 * 4 + 4), c.flags, AM_View_PresetManager::kDropKindFiles, 28, files);
        EXPECT_EQ(v->getHoverFolder(), nullptr);
        ASSERT_TRUE(v->hasPendingDrop());
        EXPECT_EQ(v->dropCopies(), c.copies) << c.flags;
        EXPECT_TRUE(v->hasTimer());
        EXPECT_EQ(vm->getDropOutcome(), kDropPending) << "decided on the tick";
        const int before = folders.refreshes;
        v->onTimer();
        EXPECT_EQ(folders.refreshes, before + 1);
        EXPECT_EQ(vm->getDropOutcome(), kDropRefused) << "nothing was imported";
        EXPECT_FALSE(v->hasPendingDrop());
        EXPECT_FALSE(v->hasTimer());
    }
    EXPECT_EQ(folders.importLists, 3);

    // Outside the folders, or of another kind, a drop is ignored.
    v->dropData(at(80, 150), 0, AM_View_PresetManager::kDropKindFiles, 5, "x.fxp");
    EXPECT_FALSE(v->hasPendingDrop());
    v->dropData(at(80, 4), 0, 2, 5, "x.fxp");
    EXPECT_FALSE(v->hasPendingDrop());
}

TEST_F(PresetManagerTest, ADragShowsItsTargetFolderAndWhetherItMovesOrCopies)
{
    smallTree();
    AM_View_PresetManager* v = view({0, 0, 200, 160});
    struct Case {
        float y;
        uint32_t modifiers;
        const char* target;
        bool copies;
    };
    for (const Case c : {Case{16 * 4 + 4, 0, "Leads", false}, Case{16 * 4 + 4, 4, "Leads", true},
                         Case{16 * 1 + 4, 4 | 1, "Pads", true}, Case{16 * 1 + 4, 8, "Pads", false},
                         Case{150, 0, "", false}}) {
        vm->handleDragOver(80, c.y, c.modifiers, kDragStateOver);
        PresetFolder* target = v->getHoverFolder();
        EXPECT_EQ(target != nullptr ? target->name() : "", std::string(c.target)) << c.y;
        if (target != nullptr) {
            EXPECT_EQ(v->hoverCopies(), c.copies) << c.modifiers;
        }
    }
    // Leaving the window, or the drop, clears the target.
    vm->handleDragOver(80, 16 * 4 + 4, 4, kDragStateOver);
    vm->handleDragOver(0, 0, 0, kDragStateLeft);
    EXPECT_EQ(v->getHoverFolder(), nullptr);
    EXPECT_FALSE(v->hoverCopies());
    vm->handleDragOver(80, 16 * 4 + 4, 4, kDragStateOver);
    ASSERT_NE(v->getHoverFolder(), nullptr);
    EXPECT_TRUE(vm->handleDrop(80, 16 * 4 + 4, 4, 1, 10, "/tmp/a.h2p"));
    EXPECT_EQ(v->getHoverFolder(), nullptr);
    EXPECT_TRUE(v->dropCopies());
    v->onTimer();
}

TEST_F(PresetManagerTest, ThumbAndTrackScrollAListThatDoesNotFit)
{
    // Eleven folders in ten rows: the first folder a user adds pushed the
    // last one out of sight, with no bar shown (the script gave no colours).
    for (int k = 0; k < 11; ++k)
        folders.add(("F" + std::to_string(k)).c_str(), k == 0 ? 0 : 1);
    folders.current = folders.chain.get();
    AM_View_PresetManager* v = view({0, 0, 176, 164});
    AM_Colour* back = new AM_Colour(vm.get(), "Back", 0x16181DFF);
    AM_Colour* text = new AM_Colour(vm.get(), "Words", 0xD5DBE3FF);
    vm->addColour(back);
    vm->addColour(text);
    v->setColour(back, 0);
    v->setColour(text, 1);
    testsupport::HeadlessCanvas canvas(176, 164, 1.0f);
    canvas.begin();
    v->draw(&canvas.context());
    EXPECT_EQ(v->getVisibleRows(), 10);
    // The thumb is drawn in the text colour, dimmed: not the background.
    EXPECT_NE(canvas.pixel(176 - 8, 20) & 0xFFFFFF, 0x16181Du) << "no thumb to be seen";
    EXPECT_EQ(canvas.pixel(176 - 8, 155) & 0xFFFFFF, 0x16181Du)
        << "the thumb ends above the last row";

    EXPECT_FALSE(v->onMouseDown(at(170, 150), 0)) << "below the thumb: a page down";
    EXPECT_EQ(v->getFirstRow(), 1);
    EXPECT_EQ(rowName(v, 9), "F10");
    EXPECT_FALSE(v->onMouseDown(at(170, 1), 0)) << "above it: a page up";
    EXPECT_EQ(v->getFirstRow(), 0);
    // The thumb follows the pointer and stops at the last row.
    EXPECT_TRUE(v->onMouseDown(at(170, 20), 0));
    v->onMouseDrag(at(170, 400), 0);
    EXPECT_EQ(v->getFirstRow(), 1);
    v->onMouseDrag(at(170, -400), 0);
    EXPECT_EQ(v->getFirstRow(), 0);
}

TEST_F(PresetManagerTest, TheViewManagersDropCarriesTheCopyKeyAndTheKind)
{
    // The view manager's drop path once lost the key flags: every drop moved.
    smallTree();
    AM_View_PresetManager* v = view({0, 0, 200, 160});
    const char files[] = "/tmp/a.h2p";
    struct Case {
        uint32_t modifiers;
        uint32_t kind;
        bool pending;
        bool copies;
    };
    for (const Case c : {Case{4, 1, true, true}, Case{0, 1, true, false}, Case{1, 1, true, false},
                         Case{4, 2, false, false}}) {
        EXPECT_TRUE(vm->handleDrop(80, 16 * 4 + 4, c.modifiers, c.kind, sizeof files, files));
        EXPECT_EQ(v->hasPendingDrop(), c.pending) << c.modifiers << " kind " << c.kind;
        EXPECT_EQ(v->dropCopies(), c.copies) << c.modifiers << " kind " << c.kind;
        v->onTimer();
    }
}

TEST_F(PresetManagerTest, WheelAndThumbKeepTheFirstRowInRange)
{
    for (int k = 0; k < 12; ++k)
        folders.add(("F" + std::to_string(k)).c_str(), k == 0 ? 0 : 1);
    folders.current = folders.chain.get();
    AM_View_PresetManager* v = view({0, 0, 200, 64});
    v->onMouseWheel(3);
    EXPECT_EQ(v->getFirstRow(), 0);
    v->onMouseWheel(-5);
    EXPECT_EQ(v->getFirstRow(), 5);
    AM_Colour* bar = new AM_Colour(vm.get(), "Bar", 0xE9A23BFF);
    vm->addColour(bar);
    v->setColour(bar, 5);
    testsupport::HeadlessCanvas canvas(200, 64, 1.0f);
    canvas.begin();
    v->draw(&canvas.context());
    EXPECT_EQ(v->getFirstRow(), 5);
    // The thumb: (64 - 5 - 1) x 4 / 12 high, 34.67 / 8 per row; it starts 5 rows down.
    const float thumbTop = 2.5f + 0.5f + 5 * ((59.0f - 1 - 58.0f * 4 / 12) / 8);
    EXPECT_TRUE(v->onMouseDown(at(190, thumbTop + 1), 0));
    v->onMouseDrag(at(190, thumbTop + 200), 0);
    EXPECT_EQ(v->getFirstRow(), 8) << "held at the last page";
    v->onMouseDrag(at(190, -500), 0);
    EXPECT_EQ(v->getFirstRow(), 0);
}

TEST_F(PresetManagerTest, ScriptLinesRoundTrip)
{
    AM_View_PresetManager* v = view();
    v->setName("Folders");
    v->setText("Banks");
    v->setTextAlignment(1);
    v->setTextVAlignment(0);
    v->setTextSize(12.5f);
    v->setTextVOffset(-1);
    std::string text;
    v->writeControl(&text);
    const std::string lines =
        "\nPROPERTY control='Folders' name='labeltext' id='0' value='Banks'"
        "\nPROPERTY control='Folders' name='labelTextAlignment' id='0' value='1'"
        "\nPROPERTY control='Folders' name='labelTextVAlignment' id='0' value='0'"
        "\nPROPERTY control='Folders' name='labelTextSize' id='0' value='12.50'"
        "\nPROPERTY control='Folders' name='labelTextVOffset' id='0' value='-1.00'";
    EXPECT_NE(text.find(lines), std::string::npos) << text;

    AM_View_PresetManager* again = view();
    again->setName("Again");
    again->setProperty("labeltext", 0, "Banks");
    again->setProperty("labelTextAlignment", 0, "1");
    again->setProperty("labelTextVAlignment", 0, "0");
    again->setProperty("labelTextSize", 0, "12.50");
    again->setProperty("labelTextVOffset", 0, "-1.00");
    again->setProperty("labelTextSize", 0, "nonsense");
    std::string copy;
    again->writeControl(&copy);
    std::string expected = lines;
    for (size_t at = expected.find("Folders"); at != std::string::npos;
         at = expected.find("Folders"))
        expected.replace(at, 7, "Again");
    EXPECT_NE(copy.find(expected), std::string::npos) << copy;

    AM_View_PresetManager* clone = view();
    v->copyProperties(clone);
    EXPECT_EQ(clone->getTextSize(), 12.5f);
    EXPECT_STRNE(clone->getText(), "Banks") << "the label text is not copied";
}

TEST_F(PresetManagerTest, TheFolderTreeIsDrawn)
{
    smallTree();
    folders.chain->findByName("Bass")->setCollapsed(true);
    AM_View_PresetManager* v = view({0, 0, 180, 96});
    const auto colour = [this](const char* name, uint32_t rgba) {
        auto* c = new AM_Colour(vm.get(), name, rgba);
        vm->addColour(c);
        return c;
    };
    v->setColour(colour("FolderBack", 0x23262BFF), 0);
    v->setColour(colour("FolderText", 0xC8CCD2FF), 1);
    v->setColour(colour("FolderLit", 0xE9A23BFF), 2);
    v->setColour(colour("FolderLitText", 0x1C1E22FF), 3);
    v->setColour(colour("FolderTrack", 0x5A606BFF), 4);
    v->setColour(colour("FolderThumb", 0x8A919CFF), 5);
    v->onDragOver(at(60, 16 * 2 + 4), 0, kDragStateOver);
    for (float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(180, 96, zoom);
        canvas.begin();
        const AM_Rect clip{0, 0, 180, 96};
        v->paintTree(&canvas.context(), &clip);
        EXPECT_EQ(canvas.compare("preset_folders_z" + std::to_string(int(zoom)), 1), "") << zoom;
    }
}

} // namespace
