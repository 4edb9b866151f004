// The instrument's surface in a host window on a real X server: it opens at
// the script's size at every zoom without a word about a missing resource,
// shows what the reference pictures show, and every section's controls
// reach the engine and the host through the pointer, and follow the host.
#include "SurfaceFixture.h"

#include "GoldenImage.h"

#include "gui/controls/AM_View_EditMenus.h"
#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_PresetManager.h"
#include "gui/controls/AM_View_PresetSelector.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace surfacetest;

// Trace and output texts that tell of a script naming what is not there.
constexpr const char* kMissingResourceTexts[] = {
    "no colour named",   "no graphic named",         "GR_PROPERTY line skipped",
    "no target ->",      "CONSISTENCY ERROR",        "skipped: unknown type",
    "not built yet",     "Can't open",               "problem reading",
    "wants clientpane",  "Empty File",               "wrong parameter type",
    "PARAMETER line of", "out of range, ignored",    "doesn't exist",
};

std::string missingResourceLines(const testsupport::TraceCapture& trace)
{
    std::string found;
    const std::string all = trace.text() + trace.standardOutput();
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string line = all.substr(start, end - start);
        for (const char* text : kMissingResourceTexts)
            if (line.find(text) != std::string::npos) {
                found += line + "\n";
                break;
            }
        start = end + 1;
    }
    return found;
}

// The union of the bounds of the GUI's controls (the script's own size).
AM_Rect guiExtent(AM_ViewControl* root)
{
    AM_Rect all{0, 0, 0, 0};
    AM_ViewControl* first = root != nullptr ? root->getFirstChildControl() : nullptr;
    if (first != nullptr) {
        all = first->getBounds();
        first->getUnionBounds(&all, true);
    }
    return all;
}

struct Zoom {
    const char* name;
    int gscale;
    float factor;
};

class SurfaceOpenTest : public SurfaceTest, public ::testing::WithParamInterface<Zoom> {};

TEST_P(SurfaceOpenTest, OpensAtTheScriptsSizeWithEveryResourceFound)
{
    const Zoom zoom = GetParam();
    testsupport::TraceCapture trace;
    AEffect* e = openSurface(zoom.gscale);
    ASSERT_NE(e, nullptr);
    EXPECT_FLOAT_EQ(vm(e).getZoom(), zoom.factor);

    // The GUI fitted to its controls, the editor and the window at the zoom.
    const AM_Rect extent = guiExtent(vm(e).getRootView());
    EXPECT_EQ(extent.x, 0.0f);
    EXPECT_EQ(extent.y, 0.0f);
    const AM_Rect top = vm(e).getTopControl()->getBounds();
    EXPECT_EQ(top.w, extent.w);
    EXPECT_EQ(top.h, extent.h);
    const int width = int(extent.w * zoom.factor);
    const int height = int(extent.h * zoom.factor);
    const ERect r = rect(e);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display_, child(e), &attributes));
    EXPECT_EQ(attributes.width, width);
    EXPECT_EQ(attributes.height, height);
    EXPECT_EQ(attributes.map_state, IsViewable);

    EXPECT_EQ(missingResourceLines(trace), "");
}

INSTANTIATE_TEST_SUITE_P(Zooms, SurfaceOpenTest,
                         ::testing::Values(Zoom{"normal", 0, 1.0f}, Zoom{"huge", 2, 2.0f}),
                         [](const ::testing::TestParamInfo<Zoom>& info) {
                             return std::string(info.param.name);
                         });

// The window's pixels inside the screen, top-down BGRA.
std::vector<uint8_t> grabVisible(Display* display, Window window, int width, int height)
{
    std::vector<uint8_t> bgra;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return bgra;
    bgra.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            uint8_t* to = bgra.data() + (static_cast<size_t>(y) * width + x) * 4;
            to[0] = uint8_t(pixel & 0xFF);
            to[1] = uint8_t((pixel >> 8) & 0xFF);
            to[2] = uint8_t((pixel >> 16) & 0xFF);
            to[3] = 0xFF;
        }
    XDestroyImage(image);
    return bgra;
}

struct Picture {
    const char* name;
    int gscale;
    // The part of the window compared (all of it at zoom 1; a corner at
    // zoom 2, whose window is larger than the test screen).
    int width;
    int height;
};

class SurfacePictureTest : public SurfaceTest, public ::testing::WithParamInterface<Picture> {};

TEST_P(SurfacePictureTest, TheWindowShowsTheReferencePicture)
{
    const Picture p = GetParam();
    AEffect* e = openSurface(p.gscale);
    ASSERT_NE(e, nullptr);
    const ERect r = rect(e);
    const int width = p.width > 0 ? std::min<int>(p.width, r.right - r.left) : r.right - r.left;
    const int height =
        p.height > 0 ? std::min<int>(p.height, r.bottom - r.top) : r.bottom - r.top;
    idleFor(e, 100);
    const std::vector<uint8_t> shown = grabVisible(display_, child(e), width, height);
    ASSERT_EQ(shown.size(), size_t(width) * height * 4);
    // The stand-in surface and the data folder's own have references of
    // their own. A surface just made has none until one is written
    // (KK_UPDATE_GOLDEN) and looked at.
    const std::string name = std::string(usingStandIn() ? "standin_" : "surface_") + p.name;
    if (!usingStandIn() && std::getenv("KK_UPDATE_GOLDEN") == nullptr &&
        !std::filesystem::exists(testsupport::goldenPath(name)))
        GTEST_SKIP() << "no reference picture of this surface yet: " << name;
    // Small differences of text edges are allowed; a moved or missing
    // control is not.
    constexpr int kTolerance = 24;
    const int offPixels = width * height / 400;
    EXPECT_EQ(testsupport::compareWithGolden(name, shown.data(), width, height, width * 4,
                                             kTolerance, offPixels),
              "");
}

INSTANTIATE_TEST_SUITE_P(Zooms, SurfacePictureTest,
                         ::testing::Values(Picture{"z1", 0, 0, 0},
                                           Picture{"z2_corner", 2, 640, 400}),
                         [](const ::testing::TestParamInfo<Picture>& info) {
                             return std::string(info.param.name);
                         });

// --- One control of every section, driven through the X server.

enum class Gesture { DragUp, WheelUp, Click, MenuLast };

struct SectionCase {
    const char* section;
    const char* module;
    const char* parameter;
    Gesture gesture;
};

const SectionCase kSections[] = {
    {"oscillators", "Kestan", "Tune2", Gesture::DragUp},
    {"noise and ring modulation", "Kestan", "NseVol", Gesture::WheelUp},
    {"filter", "Kestan", "Cutoff", Gesture::DragUp},
    {"envelope 1", "ENV1", "Atk", Gesture::DragUp},
    {"envelope 2", "ENV2", "Rel", Gesture::WheelUp},
    {"LFO 1", "LFO1", "Dly", Gesture::DragUp},
    {"LFO 2", "LFO2", "Sync", Gesture::Click},
    {"voice mixer", "Kestan", "OscVol1", Gesture::WheelUp},
    {"voice mode", "VCC", "Mode", Gesture::MenuLast},
    {"glide and tuning", "VCC", "Porta", Gesture::DragUp},
    {"modulation assignments", "PCore", "MMD1", Gesture::DragUp},
    {"global settings", "main", "CcOp", Gesture::WheelUp},
};

TEST_F(SurfaceTest, OneControlOfEverySectionReachesTheEngineAndTheHost)
{
    AEffect* e = openSurface();
    ASSERT_NE(e, nullptr);
    for (const SectionCase& c : kSections) {
        SCOPED_TRACE(c.section);
        const AM_ParamInfo* info = ui(e).findParameter(c.module, c.parameter);
        ASSERT_NE(info, nullptr) << c.module << ":" << c.parameter;
        AM_ViewControl* control = controlFor(e, c.module, c.parameter);
        ASSERT_NE(control, nullptr) << "no control on the surface for " << c.module << ":"
                                    << c.parameter;
        // Start from the minimum so every gesture has room to move.
        const float minimum = info->min;
        ui(e).setParameterValue(info->index, &minimum);
        process(e);
        idleFor(e, 40);
        host.edits.clear();
        host.automations.clear();
        const float before = engineValue(e, info);
        int x = 0, y = 0;
        centreOf(e, control, x, y);
        // A list shown by a display is chosen from its menu, whatever the
        // row asks.
        const Gesture gesture =
            std::string(control->getTypeName()) == "Display" ? Gesture::MenuLast : c.gesture;
        switch (gesture) {
        case Gesture::DragUp:
            drag(e, x, y, -60);
            break;
        case Gesture::WheelUp:
            wheel(e, x, y, 4);
            break;
        case Gesture::Click:
            click(e, x, y);
            break;
        case Gesture::MenuLast: {
            movePointer(child(e), x, y);
            idleFor(e, 20);
            std::thread keys = typeLater({XK_End, XK_Return});
            button(Button1, true);
            idleFor(e, 30);
            button(Button1, false);
            idleFor(e, 40);
            keys.join();
            idleFor(e, 40);
            break;
        }
        }
        process(e);
        EXPECT_NE(engineValue(e, info), before) << "the engine's value did not change";
        const std::string published = std::to_string(info->publishedIndex);
        ASSERT_GE(host.edits.size(), 2u);
        EXPECT_EQ(host.edits.front(), "begin " + published);
        EXPECT_EQ(host.edits.back(), "end " + published);
        EXPECT_TRUE(std::any_of(host.automations.begin(), host.automations.end(),
                                [&](const viewtest::RecordingHost::Automation& a) {
                                    return a.index == info->publishedIndex;
                                }))
            << "the host saw no automation";
    }
}

TEST_F(SurfaceTest, AutomationFromTheHostMovesTheControlOnTheNextIdle)
{
    AEffect* e = openSurface();
    ASSERT_NE(e, nullptr);
    const AM_ParamInfo* info = ui(e).findParameter("Kestan", "Cutoff");
    ASSERT_NE(info, nullptr);
    AM_ViewControl* control = controlFor(e, "Kestan", "Cutoff");
    ASSERT_NE(control, nullptr);
    ASSERT_GE(info->publishedIndex, 0);
    for (const float normalised : {0.0f, 1.0f, 0.25f}) {
        e->setParameter(e, info->publishedIndex, normalised);
        idle(e);
        auto* knob = dynamic_cast<AM_View_Knob*>(control);
        ASSERT_NE(knob, nullptr) << control->getTypeName();
        EXPECT_NEAR(knob->getValue(), info->min + normalised * (info->max - info->min),
                    1e-4f * (info->max - info->min))
            << normalised;
    }
    // The window shows the moved control: its pixels are the back buffer's.
    idleFor(e, 40);
    auto* context = static_cast<AM_AGG_Context*>(vm(e).getContext());
    const AM_Rect b = control->getBounds();
    const int x0 = int(b.x), y0 = int(b.y), w = int(b.w), h = int(b.h);
    std::vector<uint8_t> window = grabVisible(display_, child(e), x0 + w, y0 + h);
    ASSERT_FALSE(window.empty());
    int differing = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            const uint8_t* p = context->pixels() + size_t(y) * context->bufferStride() + x * 4;
            const uint8_t* q = window.data() + (size_t(y) * (x0 + w) + x) * 4;
            differing += (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) ? 1 : 0;
        }
    EXPECT_EQ(differing, 0);
}

} // namespace

namespace {

using namespace surfacetest;

AM_ViewControl* named(AM_EditorViewMan& vm, const char* name)
{
    AM_ViewControl* top = vm.getTopControl();
    return top != nullptr ? dynamic_cast<AM_ViewControl*>(top->findByName(name)) : nullptr;
}

TEST_F(SurfaceTest, GuiEditingOpensWithItsInspectorAndAMovedKnobIsSavedAndReopened)
{
    writeDefaultPreset(dataFolder(), "!EDITOR=YES\n");
    testsupport::TraceCapture trace;
    AEffect* e = openSurface();
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(vm(e).isEditMode());
    AM_ViewControl* inspector = named(vm(e), "*i*Inspector");
    ASSERT_NE(inspector, nullptr);
    EXPECT_TRUE(inspector->isVisible());
    for (const char* part : {"*i*CtrlName", "*i*ColoursRider", "*i*ParamsRider",
                             "*i*GraphicsRider", "UndoButton", "RedoButton", "*i*XFormTools"})
        EXPECT_NE(named(vm(e), part), nullptr) << part;
    auto* gridSize = dynamic_cast<AM_View_EditMenus*>(named(vm(e), "*i*GridMenu"));
    ASSERT_NE(gridSize, nullptr);
    EXPECT_STREQ(gridSize->displayText(), "20") << "bound to the root view's grid";

    // A click selects the cutoff knob and fills the inspector.
    AM_ViewControl* knob = controlFor(e, "Kestan", "Cutoff", "Knob");
    ASSERT_NE(knob, nullptr);
    const AM_Rect before = knob->getBounds();
    int x = 0, y = 0;
    centreOf(e, knob, x, y);
    click(e, x, y);
    auto* name = dynamic_cast<AM_View_EditMenus*>(named(vm(e), "*i*CtrlName"));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->getShownText(), knob->getName());
    auto* firstPort = dynamic_cast<AM_View_EditMenus*>(named(vm(e), "*i*CtrlParam0"));
    ASSERT_NE(firstPort, nullptr);
    EXPECT_EQ(firstPort->getOwner(), knob);

    // Dragged 40 pixels to the right (after the double-click time) and saved.
    idleFor(e, 500);
    movePointer(child(e), x, y);
    idleFor(e, 20);
    button(Button1, true);
    idleFor(e, 30);
    for (int step = 1; step <= 4; ++step) {
        movePointer(child(e), x + step * 10, y);
        idleFor(e, 15);
    }
    button(Button1, false);
    idleFor(e, 40);
    EXPECT_EQ(knob->getBounds().x, before.x + 40);
    EXPECT_EQ(knob->getBounds().y, before.y);
    const std::string knobName = knob->getName();
    vm(e).saveScript();
    close(e);

    // Reopened, the knob is where it was moved to.
    AEffect* again = openSurface();
    ASSERT_NE(again, nullptr);
    AM_ViewControl* reopened = named(vm(again), knobName.c_str());
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->getBounds().x, before.x + 40);
    EXPECT_EQ(reopened->getBounds().y, before.y);
    EXPECT_EQ(controlFor(again, "Kestan", "Cutoff", "Knob"), reopened) << "still bound";
}

} // namespace

namespace {

using namespace surfacetest;

std::vector<uint8_t> programChunk(AEffect* e)
{
    void* data = nullptr;
    const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
    if (size <= 0 || data == nullptr)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

TEST_F(SurfaceTest, TheFactoryLibraryIsListedByFolderLoadsAndASavedPresetLoadsBack)
{
    AEffect* e = openSurface();
    ASSERT_NE(e, nullptr);
    PresetFolder* folders = ui(e).getPresetFolders(nullptr);
    ASSERT_NE(folders, nullptr);
    std::vector<std::string> names;
    for (PresetFolder* f = folders; f != nullptr; f = f->next())
        names.push_back(f->name());
    for (const char* folder : {"Basses", "Leads", "Pads", "Keys", "Plucks", "Effects"})
        EXPECT_NE(std::find(names.begin(), names.end(), folder), names.end()) << folder;

    // Loading a factory preset changes the patch the host saves.
    const std::vector<uint8_t> before = programChunk(e);
    PresetFolder* pads = folders->findByName("Pads");
    ASSERT_NE(pads, nullptr);
    ui(e).setCurrentFolder(pads, nullptr);
    PresetListItem* item = ui(e).getPresetItems(nullptr);
    ASSERT_NE(item, nullptr) << "no presets listed in Pads";
    EXPECT_EQ(ui(e).loadPreset(item, nullptr), PresetLoadResult::kLoaded);
    process(e);
    idleFor(e, 40);
    const std::vector<uint8_t> loaded = programChunk(e);
    EXPECT_NE(loaded, before);

    // Saved under a new name, changed, and loaded back.
    const AM_ParamInfo* cutoff = ui(e).findParameter("Kestan", "Cutoff");
    ASSERT_NE(cutoff, nullptr);
    const float savedCutoff = engineValue(e, cutoff);
    char name[] = "End To End";
    ASSERT_EQ(ui(e).savePreset(name, nullptr, true), PresetSaveResult::kSaved);
    const std::string file = dataFolder() + "/Presets/KestanK4/Pads/End To End.h2p";
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
    const float other = cutoff->min + (cutoff->max - cutoff->min) * 0.5f == savedCutoff
                            ? cutoff->min
                            : cutoff->min + (cutoff->max - cutoff->min) * 0.5f;
    ui(e).setParameterValue(cutoff->index, &other);
    process(e);
    ASSERT_NE(engineValue(e, cutoff), savedCutoff);
    ui(e).rescanPresets(nullptr);
    PresetListItem* saved = ui(e).doesPresetExist("End To End", "h2p", nullptr);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(ui(e).loadPreset(saved, nullptr), PresetLoadResult::kLoaded);
    process(e);
    EXPECT_FLOAT_EQ(engineValue(e, cutoff), savedCutoff);
}

TEST_F(SurfaceTest, TheBrowserOpensOnPresetsAndListsWhatTheChosenFolderHolds)
{
    if (usingStandIn())
        GTEST_SKIP() << "the stand-in surface has no preset browser";
    AEffect* e = openSurface();
    ASSERT_NE(e, nullptr);
    AM_ViewControl* root = vm(e).getRootView();
    auto* folders = dynamic_cast<AM_View_PresetManager*>(vm(e).findControl(root, "PresetFolders"));
    auto* presets = dynamic_cast<AM_View_PresetSelector*>(vm(e).findControl(root, "PresetList"));
    ASSERT_NE(folders, nullptr);
    ASSERT_NE(presets, nullptr);

    // The first view: a folder with presets, listed (the root holds none).
    PresetFolder* opened = ui(e).getCurrentFolder(nullptr);
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened, ui(e).getPresetFolders(nullptr)) << "opened on the empty root";
    EXPECT_GT(presets->getItemCount(), 0);

    // Choosing the empty root empties the list on screen; a folder with
    // presets fills it again.
    const AM_Rect b = folders->getBounds();
    const float zoom = vm(e).getZoom();
    click(e, int((b.x + 40) * zoom), int((b.y + 8) * zoom));
    EXPECT_EQ(ui(e).getCurrentFolder(nullptr), ui(e).getPresetFolders(nullptr));
    EXPECT_EQ(presets->getItemCount(), 0) << "the rows of the folder left stay on screen";
    click(e, int((b.x + 40) * zoom), int((b.y + 8 + 16) * zoom));
    EXPECT_NE(ui(e).getCurrentFolder(nullptr), ui(e).getPresetFolders(nullptr));
    EXPECT_GT(presets->getItemCount(), 0);
}

} // namespace
