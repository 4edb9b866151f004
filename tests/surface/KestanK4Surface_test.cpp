// The instrument's surface as a host opens it: the GUI script of the data
// folder read by the real editor over a headless window, at the normal and
// the "huge" GUI size.

#include "EditorFixture.h"
#include "GoldenImage.h"
#include "TempDir.h"
#include "TraceCapture.h"

#include "foundation/AM_DataFolder.h"
#include "params/object/AM_ParamInfo.h"
#include "gui/controls/AM_View_InfoDisplay.h"
#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_MenuTable.h"
#include "gui/controls/AM_View_PresetManager.h"
#include "gui/controls/AM_View_PresetSelector.h"
#include "platform/Module.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace editortest;
using platform::WindowEventKind;

// Trace texts that tell of a script naming something that is not there.
constexpr const char* kMissingTexts[] = {
    "no colour named", "no graphic named", "connectParameter", "CONSISTENCY ERROR",
    "Empty File", "no Label type"};

// Text is drawn with the pinned face; a few pixels may differ where the
// filtered images meet, never a whole control.
constexpr int kPictureTolerance = 6;
constexpr int kPictureOffPixels = 200;

class SurfaceTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        platform::overrideModulePath(dataRoot().file("plugin.so").c_str());
        resetDataFolderSearch();
    }

    // A data folder beside a stand-in module: the committed scripts, the
    // images and the font the build made. One for the whole program: the
    // text engine keeps the font file it found first for the process.
    static const testsupport::TempDir& dataRoot()
    {
        static const testsupport::TempDir dir;
        static const bool made = [] {
            dir.makeDir("KestanK4.data");
            // The factory library as a copy: the browser may write beside it.
            std::error_code copied;
            std::filesystem::copy(KK_SOURCE_DATA "/Presets", dir.file("KestanK4.data/Presets"),
                                  std::filesystem::copy_options::recursive, copied);
            EXPECT_FALSE(copied) << copied.message();
            for (const auto& [target, name] :
                 {std::pair<std::string, std::string>{KK_SOURCE_DATA "/Scripts", "Scripts"},
                  {KK_BUILD_DATA "/Images", "Images"},
                  {KK_BUILD_DATA "/Fonts", "Fonts"}}) {
                std::error_code ec;
                std::filesystem::create_directory_symlink(
                    target, dir.file("KestanK4.data/" + name), ec);
                EXPECT_FALSE(ec) << target << ": " << ec.message();
            }
            return true;
        }();
        (void)made;
        return dir;
    }

    // The engine's parameter index of module:name.
    static int32_t indexOf(AEffect* e, const char* module, const char* name)
    {
        const AM_ParamInfo* info = ui(e).findParameter(module, name);
        return info != nullptr ? int32_t(info->index) : -1;
    }

    // Every parameter bound to a port of a control of the tree below `c`,
    // with the name of (one of) its controls.
    static void collectBindings(AM_ViewControl* c, std::map<int32_t, std::string>& bound)
    {
        for (; c != nullptr; c = c->getNextControl()) {
            for (int32_t i = 0; i < c->getNumPorts(); ++i) {
                const AM_PortRecord* port = c->getPort(i);
                if (port != nullptr && port->parameter != nullptr)
                    bound[int32_t(port->parameter->index) + port->indexOffset] = c->getName();
            }
            collectBindings(c->getFirstChildControl(), bound);
        }
    }
};

struct Size {
    const char* name;
    float gscale;
    float zoom;
};

class SurfaceSizeTest : public SurfaceTest, public ::testing::WithParamInterface<Size> {};

TEST_P(SurfaceSizeTest, OpensAtItsSizeWithEveryColourGraphicAndParameterFound)
{
    const Size size = GetParam();
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    ASSERT_NE(ed(e).getViewManager(), nullptr);
    const AM_Rect normal = vm(e).getTopControl()->getBounds();
    EXPECT_GE(normal.w, 800.0f) << "the script's panel, not an empty editor";
    EXPECT_GE(normal.h, 500.0f);

    // The size is the patch's: set it, then open the editor again.
    const int32_t scale = indexOf(e, "PCore", "GScale");
    ASSERT_GE(scale, 0);
    ui(e).setParameterValue(scale, &size.gscale);
    process(e);
    dispatch(e, effEditClose);

    testsupport::TraceCapture trace;
    static int parent = 0;
    ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1);
    idle(e);
    idle(e);
    for (const char* text : kMissingTexts) {
        EXPECT_FALSE(trace.contains(text)) << text << "\n" << trace.text();
        EXPECT_EQ(trace.standardOutput().find(text), std::string::npos)
            << text << "\n" << trace.standardOutput();
    }
    EXPECT_EQ(vm(e).getZoom(), size.zoom);
    const ERect r = rect(e);
    EXPECT_EQ(r.right, int(normal.w * size.zoom));
    EXPECT_EQ(r.bottom, int(normal.h * size.zoom));
    EXPECT_EQ(win(e).width(), r.right);
    EXPECT_EQ(win(e).height(), r.bottom);

    // What the window shows after a full repaint (a changed surface is
    // looked at and its references rewritten, see GoldenImage.h).
    vm(e).repaintAll();
    idle(e);
    const platform::HeadlessSurface& shown = win(e).headlessSurface();
    EXPECT_EQ(testsupport::compareWithGolden(std::string("surface_") + size.name, shown.pixels(),
                                             shown.width(), shown.height(), shown.stride(),
                                             kPictureTolerance, kPictureOffPixels),
              "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, SurfaceSizeTest,
                         ::testing::Values(Size{"normal", 0.0f, 1.0f}, Size{"huge", 2.0f, 2.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SurfaceTest, EveryParameterAMusicianSeesIsBoundToAControl)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    std::map<int32_t, std::string> bound;
    collectBindings(vm(e).getTopControl(), bound);

    int32_t visible = 0;
    for (int32_t i = 0; i < ui(e).getNumParameters(); ++i) {
        const AM_ParamInfo* info = ui(e).getParameterInfo(i);
        // Engine outputs (meters) and data blocks are no settings; hidden
        // parameters are the engine's own.
        if (info == nullptr || (info->flags & k_paramHidden) != 0 || info->kind() == k_meter ||
            info->kind() == k_kindData)
            continue;
        ++visible;
        const AM_ModuleRecord* module = ui(e).getModuleInfoByIndex(int32_t(info->moduleIndex));
        EXPECT_TRUE(bound.count(i) == 1)
            << (module != nullptr ? module->shortName : "?") << ":" << info->shortName << " ("
            << info->longName << ") has no control";
    }
    EXPECT_GT(visible, 90) << "the instrument's parameters were listed";
}

// A control that can bind parameters but binds none shows something that
// does nothing (a keyboard without notes to play, a knob without a
// setting): the surface has none. Labels, panes, the info display and the
// preset browser serve without one.
TEST_F(SurfaceTest, EveryControlThatTakesParametersIsBoundToOne)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    idle(e);
    const std::set<std::string> servingWithout = {
        "Label", "Pane", "InfoDisplay", "PresetManager", "PresetSelector", "PresetSaver"};
    std::string unbound;
    std::function<void(AM_ViewControl*)> walk = [&](AM_ViewControl* c) {
        for (; c != nullptr; c = c->getNextControl()) {
            bool bound = false;
            for (int32_t i = 0; i < c->getNumPorts(); ++i) {
                const AM_PortRecord* port = c->getPort(i);
                bound = bound || (port != nullptr && port->parameter != nullptr);
            }
            if (c->getNumPorts() > 0 && !bound && servingWithout.count(c->getTypeName()) == 0)
                unbound += std::string(" ") + c->getTypeName() + " '" + c->getName() + "'";
            walk(c->getFirstChildControl());
        }
    };
    walk(vm(e).getRootView()->getFirstChildControl());
    EXPECT_EQ(unbound, "");
}

// At first open the info display names the sound the instrument holds: the
// default preset when the engine started from one, else the start-up sound.
TEST_F(SurfaceTest, AtFirstOpenTheInfoDisplayNamesTheSound)
{
    const std::string defaultPreset =
        dataRoot().file("KestanK4.data/Presets/KestanK4/default.h2p");
    struct Case {
        const char* what;
        bool withDefaultPreset;
        const char* shown;
    } cases[] = {{"the start-up sound", false, "Init Patch"},
                 {"a default preset", true, "default"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(defaultPreset);
        if (c.withDefaultPreset)
            std::filesystem::copy_file(KK_SOURCE_DATA "/Presets/KestanK4/Basses/Acid Line.h2p",
                                       defaultPreset);
        AEffect* e = openWithEditor();
        ASSERT_NE(e, nullptr);
        idle(e);
        const auto* info =
            dynamic_cast<const AM_View_InfoDisplay*>(vm(e).getTopControl()->findByName("Info"));
        ASSERT_NE(info, nullptr);
        EXPECT_STREQ(info->getPresetName(), c.shown);
        close(e);
    }
    std::filesystem::remove(defaultPreset);
}

// Every CONTROL line of the script makes a control (an unknown type makes
// none), under a name no other control has, so that the PROPERTY and
// PARAMETER lines after it reach it.
TEST_F(SurfaceTest, EveryControlLineMakesAControlOfItsOwnName)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    std::multiset<std::string> names;
    std::function<void(AM_ViewControl*)> walk = [&](AM_ViewControl* c) {
        for (; c != nullptr; c = c->getNextControl()) {
            names.insert(c->getName());
            walk(c->getFirstChildControl());
        }
    };
    walk(vm(e).getRootView()->getFirstChildControl());
    std::ifstream script(KK_SOURCE_DATA "/Scripts/KestanK4.txt");
    size_t controlLines = 0;
    for (std::string line; std::getline(script, line);)
        controlLines += line.rfind("CONTROL ", 0) == 0 ? 1 : 0;
    EXPECT_GT(controlLines, 100u);
    EXPECT_EQ(names.size(), controlLines);
    for (const std::string& name : names)
        EXPECT_EQ(names.count(name), 1u) << name;
}

// The browser down the left: a click on a folder lists its presets, a
// click on one of them loads it into the engine.
TEST_F(SurfaceTest, AFolderClickListsItsPresetsAndAPresetClickLoadsIt)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    idle(e);
    AM_ViewControl* top = vm(e).getTopControl();
    auto* folders = dynamic_cast<AM_View_PresetManager*>(top->findByName("PresetFolders"));
    auto* list = dynamic_cast<AM_View_PresetSelector*>(top->findByName("PresetList"));
    ASSERT_NE(folders, nullptr);
    ASSERT_NE(list, nullptr);

    const auto click = [&](float x, float y) {
        post(e, WindowEventKind::ButtonDown, int(x), int(y));
        post(e, WindowEventKind::ButtonUp, int(x), int(y));
        idle(e);
        idle(e);
    };
    // The root's first branch (the rows: the root, then its folders).
    const AM_Rect f = folders->getBounds();
    click(f.x + f.w / 2, f.y + AM_View_PresetManager::kRowHeight * 1.5f);
    ASSERT_GT(list->getItemCount(), 2) << "a factory folder holds several presets";

    std::vector<float> before;
    for (int32_t i = 0; i < ui(e).getNumParameters(); ++i)
        before.push_back(value(e, i));
    const AM_Rect l = list->getBounds();
    click(l.x + l.w / 3, l.y + 8);
    process(e);
    int changed = 0;
    for (int32_t i = 0; i < ui(e).getNumParameters(); ++i)
        changed += value(e, i) != before[size_t(i)] ? 1 : 0;
    EXPECT_GT(changed, 3) << "a factory preset sets many parameters";
}

// One line a control: type, name, parent, bounds, bound parameters, colour
// and graphic slots and, for a label, its text.
std::vector<std::string> describeTree(AM_ViewControl* first)
{
    std::vector<std::string> lines;
    std::function<void(AM_ViewControl*)> walk = [&](AM_ViewControl* c) {
        for (; c != nullptr; c = c->getNextControl()) {
            std::ostringstream line;
            const AM_Rect b = c->getBounds();
            const AM_ViewControl* parent = c->getParentControl();
            line << c->getTypeName() << " " << c->getName() << " in "
                 << (parent != nullptr ? parent->getName() : "-") << " " << b.x << "," << b.y
                 << "," << b.w << "," << b.h;
            for (int32_t i = 0; i < c->getNumPorts(); ++i)
                if (const AM_PortRecord* port = c->getPort(i); port && port->parameter)
                    line << " p" << i << "=" << port->parameter->index;
            for (int32_t i = 0; i < c->getColourCount(); ++i)
                line << " c" << i << "=" << (c->getColour(i) ? c->getColour(i)->getName() : "-");
            for (int32_t i = 0; i < c->getGraphicCount(); ++i)
                line << " g" << i << "=" << (c->getGraphic(i) ? c->getGraphic(i)->getName() : "-");
            if (const auto* label = dynamic_cast<const AM_View_Label*>(c))
                line << " '" << label->getText() << "'";
            lines.push_back(line.str());
            walk(c->getFirstChildControl());
        }
    };
    walk(first);
    return lines;
}

// Written back by the GUI-editing save and read again, the script makes
// the same surface as the committed one.
TEST_F(SurfaceTest, TheScriptReadsBackTheSameAfterTheEditorWritesIt)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const std::vector<std::string> shown = describeTree(vm(e).getRootView()->getFirstChildControl());
    ASSERT_GT(shown.size(), 100u);

    testsupport::TempDir copy;
    std::filesystem::copy_file(KK_SOURCE_DATA "/Scripts/KestanK4.txt", copy.file("KestanK4.txt"));
    vm(e).newRootView();
    ASSERT_TRUE(vm(e).loadScriptFile(copy.file("KestanK4.txt").c_str(), 1));
    const std::vector<std::string> editable =
        describeTree(vm(e).getRootView()->getFirstChildControl());
    EXPECT_EQ(editable, shown) << "opened for editing, the script makes the same controls";

    const std::string original = copy.readFile("KestanK4.txt");
    ASSERT_TRUE(vm(e).saveScript());
    const std::string written = copy.readFile("KestanK4.txt");
    EXPECT_NE(written, original) << "the writer's own layout and banners";

    vm(e).newRootView();
    ASSERT_TRUE(vm(e).loadScriptFile(copy.file("KestanK4.txt").c_str(), 1));
    const std::vector<std::string> reread =
        describeTree(vm(e).getRootView()->getFirstChildControl());
    ASSERT_EQ(reread.size(), editable.size());
    for (size_t i = 0; i < reread.size(); ++i)
        EXPECT_EQ(reread[i], editable[i]);
}

// The size switch's "huge" item zooms the open editor, grows the window,
// and is kept with the patch: the editor opens at that size again.
TEST_F(SurfaceTest, TheSizeSwitchZoomsTheEditorAndTheNextOpeningKeepsTheSize)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const AM_Rect normal = vm(e).getTopControl()->getBounds();
    auto* sizeSwitch = dynamic_cast<AM_ViewControl*>(vm(e).getTopControl()->findByName("GuiSize"));
    ASSERT_NE(sizeSwitch, nullptr);

    constexpr uint32_t kHugeItem = 6;
    AM_MenuItem huge;
    huge.command = AM_controlCommand(kHugeItem);
    const float point[2] = {sizeSwitch->getBounds().x + 4, sizeSwitch->getBounds().y + 4};
    EXPECT_TRUE(sizeSwitch->handleMenuCommand(point, 0, true, &huge));
    idle(e);
    process(e);
    EXPECT_EQ(vm(e).getZoom(), 2.0f);
    EXPECT_EQ(rect(e).right, int(normal.w * 2));
    EXPECT_EQ(win(e).height(), int(normal.h * 2));
    EXPECT_EQ(value(e, ui(e).findParameter("PCore", "GScale")->index), 2.0f);

    dispatch(e, effEditClose);
    static int parent = 0;
    ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(vm(e).getZoom(), 2.0f);
    EXPECT_EQ(rect(e).right, int(normal.w * 2));
}

// A knob has no value text of its own: turning it shows its parameter's
// name and value in the info display, and the knob follows the engine.
TEST_F(SurfaceTest, TurningAKnobShowsItsNameAndValueInTheInfoDisplay)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    idle(e);
    auto* knob = dynamic_cast<AM_View_Knob*>(vm(e).getTopControl()->findByName("Cutoff"));
    ASSERT_NE(knob, nullptr);
    const int32_t cutoff = int32_t(ui(e).findParameter("Kestan", "Cutoff")->index);
    const float before = value(e, cutoff);

    const AM_Rect b = knob->getBounds();
    const int x = int(b.x + b.w / 2);
    const int y = int(b.y + b.h / 2);
    post(e, WindowEventKind::ButtonDown, x, y);
    idle(e);
    post(e, WindowEventKind::PointerMove, x, y + 30);
    idle(e);
    post(e, WindowEventKind::ButtonUp, x, y + 30);
    idle(e);
    process(e);

    const float after = value(e, cutoff);
    EXPECT_LT(after, before) << "a drag downwards lowers the cutoff";
    EXPECT_EQ(knob->getValue(), after);
    const AM_InfoLine* line = vm(e).getInfoLine(0);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->shown);
    EXPECT_STREQ(line->title, ui(e).findParameter("Kestan", "Cutoff")->longName);
    EXPECT_NE(std::string(line->text), "") << "the value as text";
}

} // namespace
