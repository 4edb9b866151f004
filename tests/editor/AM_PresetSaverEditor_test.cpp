// The preset button in the editor over a headless window: a click on an
// unbound button opens the save form, and the name typed there saves the
// whole patch into the current folder of the patch list.

#include "EditorFixture.h"

#include "TraceCapture.h"
#include "gui/controls/AM_View_PresetManager.h"
#include "presets/folders/PresetFileFilters.h"

#include <unistd.h>

#include <string>

namespace {

using namespace editortest;

class PresetSaverEditorTest : public EditorTest {
protected:
    static constexpr const char* kPatches = "KestanK4.data/Presets/KestanK4";

    static void key(AEffect* e, int virtualKey, uint32_t character = 0)
    {
        platform::WindowEvent event;
        event.kind = platform::WindowEventKind::KeyDown;
        event.virtualKey = virtualKey;
        event.character = character;
        win(e).post(event);
        event.kind = platform::WindowEventKind::KeyUp;
        win(e).post(event);
    }
};

TEST_F(PresetSaverEditorTest, AClickOnTheButtonSavesThePatchThroughTheForm)
{
    dir.makeDir(std::string(kPatches) + "/Pads");
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    ui(e).addModulePresetList(PresetLibrary::kPatchListPath, PresetListType::kPatch);
    ui(e).rescanPresets(nullptr);
    ui(e).setCurrentFolder(ui(e).getPresetFolders(nullptr)->findByName("Pads"), nullptr);
    const AM_Rect bounds{100, 100, 60, 14};
    AM_ViewControl* button = vm(e).createControl("PresetSaver", &bounds);
    ASSERT_NE(button, nullptr);
    panel.pane->addControl(button, kAllLayers, false);
    button->setVisible(true, kAllLayers, false);
    button->setEditMode(false);
    idle(e);

    post(e, platform::WindowEventKind::ButtonDown, 110, 106);
    post(e, platform::WindowEventKind::ButtonUp, 110, 106);
    idle(e);
    // The name field starts with the current preset's name: cleared, then typed.
    for (int i = 0; i < 8; ++i)
        key(e, platform::kVirtualKeyBack);
    for (char c : std::string("Night"))
        key(e, platform::kVirtualKeyNone, uint32_t(c));
    key(e, platform::kVirtualKeyReturn);
    idle(e);
    EXPECT_TRUE(dir.exists(std::string(kPatches) + "/Pads/Night.h2p"));
    EXPECT_STREQ(ui(e).getCurrentPresetName(nullptr), "Night");
}

TEST_F(PresetSaverEditorTest, ADropThatBringsInNoPresetIsToldInTheNotice)
{
    dir.makeDir(std::string(kPatches) + "/Pads");
    dir.writeFile("secret", "root:x:0:0:secret\n");
    ASSERT_EQ(::symlink(dir.file("secret").c_str(), dir.file("shadow.h2p").c_str()), 0);
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    ui(e).addModulePresetList(PresetLibrary::kPatchListPath, PresetListType::kPatch);
    ui(e).rescanPresets(nullptr);
    const AM_Rect bounds{100, 0, 120, 200};
    auto* folders =
        dynamic_cast<AM_View_PresetManager*>(vm(e).createControl("PresetManager", &bounds));
    ASSERT_NE(folders, nullptr);
    panel.pane->addControl(folders, kAllLayers, false);
    folders->setVisible(true, kAllLayers, false);
    folders->setEditMode(false);
    const float onFirstFolder[2] = {140, 4};
    ASSERT_NE(folders->folderAtPoint(onFirstFolder), nullptr);

    testsupport::TraceCapture trace;
    const std::string files = dir.file("shadow.h2p") + "\n" + dir.file("secret");
    folders->dropData(onFirstFolder, 0, AM_View_PresetManager::kDropKindFiles,
                      uint32_t(files.size()), files.c_str());
    folders->onTimer();
    EXPECT_TRUE(trace.contains("Presets not imported: 2 of the 2 dropped files were not imported. "
                               "The first: \"shadow.h2p\" is a link; only files themselves are "
                               "taken."))
        << trace.text();
    EXPECT_FALSE(dir.exists(std::string(kPatches) + "/shadow.h2p"));
}

} // namespace
