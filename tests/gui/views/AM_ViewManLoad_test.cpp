// Loading GUI scripts into the root view: the whole init with themes, a
// theme chosen at run time and loaded on the next tick, the reload of the
// root menu, and fitting.

#include "TempDir.h"
#include "TraceCapture.h"
#include "ViewManFixture.h"

#include "foundation/AM_DataFolder.h"
#include "foundation/AM_Directory.h"
#include "gui/views/AM_RootView.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace viewtest;
namespace fs = std::filesystem;

std::string panelScript(const char* name, int width, int height)
{
    return "CONTROL type='Pane' name='" + std::string(name) + "' bounds='5 5 " +
           std::to_string(width) + " " + std::to_string(height) + "' parent='editRootControl'\n";
}

class LoadTest : public ViewManTest {
protected:
    LoadTest()
    {
        AM_Directory support;
        EXPECT_EQ(getSpecialFolder(support, kAM_FolderSupport, 0, "Orlen", "TestFolder"), 0);
        std::string base(size_t(support.path().getNarrowLength()) + 1, '\0');
        support.path().getNarrow(base.data(), int32_t(base.size()));
        base.resize(std::strlen(base.c_str()));
        themes = fs::path(base) / "Themes";
        fs::remove_all(themes);
    }
    ~LoadTest() override { fs::remove_all(themes); }

    void writeFile(const fs::path& file, const std::string& text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

    // Opens the editor through the whole init (the scripts folder holds the
    // default GUI).
    TestViewMan* openEditor()
    {
        scripts.writeFile("TestSynth.txt", panelScript("DefaultPanel", 320, 200));
        views.push_back(std::make_unique<TestViewMan>(&interface, nullptr, nullptr));
        auto* vm = static_cast<TestViewMan*>(views.back().get());
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->setPath(kPathScripts, (scripts.path() + "/").c_str());
        const AM_Rect editor{0, 0, 800, 600};
        EXPECT_TRUE(vm->init(&editor));
        return vm;
    }

    static const char* guiName(AM_ViewMan* vm)
    {
        AM_ViewControl* first = vm->getRootView()->getFirstChildControl();
        return first != nullptr ? first->getName() : "";
    }

    int32_t recordIndex(AM_ViewMan* vm, const std::string& name)
    {
        const auto& records = static_cast<TestViewMan*>(vm)->getScripts();
        for (size_t i = 0; i < records.size(); ++i)
            if (records[i].name == name)
                return int32_t(i);
        return -1;
    }

    fs::path themes;
    testsupport::TempDir scripts;
    testsupport::TraceCapture trace;
};

TEST_F(LoadTest, ChoosingTheSecondOfThreeThemesLoadsItsScriptOnTheNextTick)
{
    writeFile(themes / "Dark" / "Scripts" / "TestSynth.txt", panelScript("DarkPanel", 300, 200));
    writeFile(themes / "Light" / "Scripts" / "TestSynth.txt", panelScript("LightPanel", 500, 250));
    writeFile(themes / "Light" / "EditorSetup.txt", "# setup\n");
    writeFile(themes / "Plain" / "Scripts" / "Other.txt", panelScript("Nope", 10, 10));

    TestViewMan* vm = openEditor();
    EXPECT_STREQ(guiName(vm), "DefaultPanel");
    EXPECT_EQ(vm->getTopControl()->getBounds().w, 320.0f);
    ASSERT_EQ(vm->getScripts().size(), 2u) << "the theme without the script is not registered";
    const int32_t light = recordIndex(vm, "Light");
    ASSERT_GE(light, 0);
    const AM_ScriptRecord lightRecord = vm->getScripts()[size_t(light)];

    vm->setScriptIndex(light);
    EXPECT_STREQ(guiName(vm), "DefaultPanel") << "nothing before the tick";
    vm->onTimer();
    EXPECT_STREQ(guiName(vm), "LightPanel");
    EXPECT_EQ(vm->getAlternative(), lightRecord.alternative);
    EXPECT_EQ(vm->getLoadedScriptPath(), lightRecord.path);
    EXPECT_STREQ(vm->getPath(kPathCurrentScript), lightRecord.path.c_str());
    EXPECT_EQ(vm->getRootView()->getFirstChildControl()->getBounds().x, 0.0f) << "fitted";
    EXPECT_EQ(vm->getTopControl()->getBounds().w, 500.0f);
    EXPECT_EQ(vm->getRootView()->getBounds().h, 250.0f);
    EXPECT_EQ(interface.windowSizes.back(), std::make_pair(500, 250));
    EXPECT_TRUE(trace.standardOutput().find("done loading '" + lightRecord.path + "'") !=
                std::string::npos);
    EXPECT_FALSE(vm->isScriptLoading());

    // The root menu's reload reads the theme's script again, not the default.
    AM_MenuItem reload;
    reload.command = (uint32_t(AM_RootView::kCmdReload) << 16) | AM_RootView::kRootCommandCode;
    ASSERT_TRUE(vm->getRootView()->handleMenuCommand(nullptr, kEditMenuId, true, &reload));
    EXPECT_STREQ(guiName(vm), "LightPanel");
    EXPECT_EQ(vm->getLoadedScriptPath(), lightRecord.path);
    EXPECT_EQ(vm->getRootView()->getParentControl(), vm->getTopControl());
    EXPECT_EQ(vm->getTopControl()->getFirstChildControl(), vm->getRootView());
    EXPECT_EQ(vm->getRootView()->getNextControl(), nullptr) << "one root, one GUI";
}

TEST_F(LoadTest, ARecordWithoutAnAlternativeIsReadFromTheScriptsFolder)
{
    TestViewMan* vm = openEditor();
    scripts.writeFile("Plain.txt", panelScript("PlainPanel", 200, 120));
    vm->addScript("Plain.txt", "Plain", 0, 0);
    const int32_t plain = recordIndex(vm, "Plain");
    ASSERT_GE(plain, 0);
    EXPECT_TRUE(vm->loadScript(plain));
    EXPECT_STREQ(guiName(vm), "PlainPanel");
    EXPECT_EQ(vm->getAlternative(), 0u);
    EXPECT_EQ(std::string(vm->getPath(kPathCurrentScript)), scripts.path() + "/Plain.txt");
    EXPECT_EQ(vm->getTopControl()->getBounds().w, 200.0f);
}

TEST_F(LoadTest, AnIndexPastTheListLoadsNothingAndLeavesInputOpen)
{
    TestViewMan* vm = openEditor();
    AM_ViewControl* root = vm->getRootView();
    EXPECT_FALSE(vm->loadScript(7));
    EXPECT_FALSE(vm->loadScript(-1));
    EXPECT_FALSE(vm->isScriptLoading());
    EXPECT_EQ(vm->getRootView(), root);
    EXPECT_STREQ(guiName(vm), "DefaultPanel");
}

TEST_F(LoadTest, FittingCoversEveryControlUnderTheRoot)
{
    // Two panels side by side, the first not at the origin.
    scripts.writeFile("Two.txt", "CONTROL type='Pane' name='Left' bounds='20 30 100 80' "
                                 "parent='editRootControl'\n"
                                 "CONTROL type='Pane' name='Right' bounds='150 10 100 200' "
                                 "parent='root'\n");
    TestViewMan* vm = openEditor();
    vm->addScript("Two.txt", "Two", 0, 0);
    ASSERT_TRUE(vm->loadScript(recordIndex(vm, "Two")));
    AM_ViewControl* left = vm->getRootView()->getFirstChildControl();
    ASSERT_NE(left, nullptr);
    ASSERT_NE(left->getNextControl(), nullptr) << "both panels under the root";
    EXPECT_EQ(left->getBounds().x, 0.0f);
    EXPECT_EQ(left->getBounds().y, 20.0f);
    EXPECT_EQ(left->getNextControl()->getBounds().y, 0.0f);
    EXPECT_EQ(vm->getTopControl()->getBounds().w, 230.0f);
    EXPECT_EQ(vm->getTopControl()->getBounds().h, 200.0f);
    // What is left to paint lies inside the fitted GUI (the old, larger
    // one's area was dropped).
    for (int32_t i = 0; i < AM_ViewMan::kDirtyRectSlots; ++i) {
        const AM_Rect r = vm->getDirtyRect(i);
        if (r.w * r.h >= 1.0f) {
            EXPECT_LE(r.x + r.w, 230.0f);
            EXPECT_LE(r.y + r.h, 200.0f);
        }
    }
}

TEST_F(LoadTest, TheInitOrderBindsTheEditorAndCountsTheControls)
{
    TestViewMan* vm = openEditor();
    EXPECT_TRUE(trace.contains("GUI controls use"));
    EXPECT_STREQ(vm->getTopControl()->getName(), "editRootControl");
    EXPECT_EQ(vm->getTopControl()->getState(), 0u);
    EXPECT_TRUE(vm->getTopControl()->isVisible());
    EXPECT_TRUE(vm->getRootView()->isVisible());
    EXPECT_STREQ(vm->getPath(kPathCurrentScript), (scripts.path() + "/TestSynth.txt").c_str());
    // The defaults are registered once, by init.
    std::unique_ptr<AM_ViewControl> knob(vm->createControl("Knob", nullptr));
    EXPECT_NE(knob, nullptr);
    EXPECT_FALSE(trace.contains("Defaults registered already"));
}

TEST_F(LoadTest, GuiEditingLoadsTheEditorSetupThenTheGuiForEditing)
{
    scripts.writeFile("TestSynth.txt", "");
    scripts.writeFile("EditorSetup.txt",
                      "CONTROL type='Pane' name='*i*Inspector' bounds='0 0 100 300' "
                      "parent='editRootControl'\n"
                      "CONTROL type='Pane' name='*i*Tools' bounds='100 0 100 300' "
                      "parent='editRootControl'\n");
    views.push_back(std::make_unique<TestViewMan>(&interface, nullptr, nullptr));
    auto* vm = static_cast<TestViewMan*>(views.back().get());
    AM_PluginInfo info = pluginInfo("TestSynth");
    info.optionByte = 1;
    vm->setProcessDescription(&info);
    vm->setPath(kPathScripts, (scripts.path() + "/").c_str());
    const AM_Rect editor{0, 0, 800, 600};
    scripts.writeFile("TestSynth.txt", panelScript("EditedPanel", 300, 200));
    ASSERT_TRUE(vm->init(&editor));
    EXPECT_TRUE(vm->isEditMode());
    EXPECT_STREQ(vm->getPath(kPathEditorSetup), (scripts.path() + "/EditorSetup.txt").c_str());
    AM_ViewControl* top = vm->getTopControl();
    // The GUI under the editor's own panes: the root view is painted first.
    EXPECT_EQ(top->getFirstChildControl(), vm->getRootView());
    AM_ViewControl* inspector = vm->getRootView()->getNextControl();
    ASSERT_NE(inspector, nullptr);
    EXPECT_STREQ(inspector->getName(), "*i*Inspector");
    EXPECT_FALSE(inspector->isVisible()) << "the set-up's first child starts hidden";
    AM_ViewControl* tools = inspector->getNextControl();
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(tools->isVisible());
    EXPECT_STREQ(guiName(vm), "EditedPanel");
    EXPECT_NE(vm->getRootView()->getFirstChildControl()->getState() & kStateEditMode, 0u);
    EXPECT_EQ(top->getBounds().w, 800.0f) << "the editor set-up is not fitted";
    // A pane of the set-up lying over the GUI takes the pointer there.
    const float overBoth[2] = {150, 100};
    EXPECT_EQ(top->getControlInPoint(overBoth, 0), tools);

    // A reloaded GUI's new root view goes under the panes again.
    vm->newRootView();
    EXPECT_EQ(top->getFirstChildControl(), vm->getRootView());
}

TEST_F(LoadTest, AGuiEditedInASmallerEditorGrowsItWithoutMovingAControl)
{
    scripts.writeFile("EditorSetup.txt", "CONTROL type='Pane' name='*i*Inspector' "
                                         "bounds='0 0 100 300' parent='editRootControl'\n");
    scripts.writeFile("TestSynth.txt", panelScript("WidePanel", 1260, 734));
    views.push_back(std::make_unique<TestViewMan>(&interface, nullptr, nullptr));
    auto* vm = static_cast<TestViewMan*>(views.back().get());
    AM_PluginInfo info = pluginInfo("TestSynth");
    info.optionByte = 1;
    vm->setProcessDescription(&info);
    vm->setPath(kPathScripts, (scripts.path() + "/").c_str());
    const AM_Rect editor{0, 0, 1024, 800};
    ASSERT_TRUE(vm->init(&editor));
    AM_ViewControl* panel = vm->getRootView()->getFirstChildControl();
    ASSERT_NE(panel, nullptr);
    const AM_Rect before = panel->getBounds();
    // Wide enough for the whole GUI, never lower than the editor was.
    EXPECT_EQ(vm->getTopControl()->getBounds().w, 1265.0f);
    EXPECT_EQ(vm->getTopControl()->getBounds().h, 800.0f);
    EXPECT_EQ(vm->getRootView()->getBounds().w, 1265.0f);
    // A reload of the script in editing keeps the GUI where it was.
    vm->addScript("TestSynth.txt", "Edited", 0, 0);
    const int32_t edited = recordIndex(vm, "Edited");
    ASSERT_GE(edited, 0);
    ASSERT_TRUE(vm->loadScript(edited));
    panel = vm->getRootView()->getFirstChildControl();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->getBounds().x, before.x);
    EXPECT_EQ(panel->getBounds().y, before.y);
    EXPECT_EQ(vm->getTopControl()->getBounds().w, 1265.0f);
}

} // namespace
