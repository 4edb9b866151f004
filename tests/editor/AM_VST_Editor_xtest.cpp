// gtest before Xlib: Xlib's macros would break gtest's headers.
#include "EditorFixture.h"

#include "editor/AM_PrivateDataFormat.h"
#include "presets/folders/PresetFileFilters.h"
#include "gui/graphics/AM_AGG_Context.h"
#include "gui/graphics/image/AM_PngWriter.h"
#include "platform/x11/X11HostWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#ifdef KK_HAVE_XRES
#include <X11/extensions/XRes.h>
#endif

#include <dirent.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace {

using namespace editortest;

constexpr uint32_t kRgbMask = 0xFFFFFF;

void sleepMs(int ms)
{
    ::poll(nullptr, 0, ms);
}

int countOpenFiles()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr)
            ++count;
        ::closedir(dir);
    }
    return count;
}

int countChildren(Display* display, Window window)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr)
        XFree(children);
    return static_cast<int>(count);
}

int countClients(Display* display)
{
#ifdef KK_HAVE_XRES
    int count = 0;
    XResClient* clients = nullptr;
    if (XResQueryClients(display, &count, &clients) && clients != nullptr)
        XFree(clients);
    return count;
#else
    (void)display;
    return 0;
#endif
}

class EditorDisplayTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        // The default face in the data folder, as the build places it.
        dir.makeDir("KestanK4.data/Fonts");
        std::ifstream face(KK_VERA_TTF, std::ios::binary);
        std::ofstream copy(dir.file("KestanK4.data/Fonts/Vera.ttf"), std::ios::binary);
        copy << face.rdbuf();
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr) {
            if (std::getenv("KK_REQUIRE_X11") != nullptr)
                FAIL() << "no X display reachable, though KK_REQUIRE_X11 asks for one";
            GTEST_SKIP() << "no X display reachable (DISPLAY unset or the server is down)";
        }
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
            GTEST_SKIP() << "the X server has no XTest extension";
        for (unsigned int b = Button1; b <= Button5; ++b)
            XTestFakeButtonEvent(display_, b, False, CurrentTime);
        XSync(display_, False);
    }
    void TearDown() override
    {
        // The editors close before their host windows go.
        EditorTest::TearDown();
        hosts_.clear();
        if (display_ != nullptr)
            XCloseDisplay(display_);
        display_ = nullptr;
    }

    // A plug-in whose editor is open on the display inside a host window at
    // (x, y).
    AEffect* openOnDisplay(int x, int y)
    {
        AEffect* e = openWithEditor();
        EXPECT_NE(e, nullptr);
        if (e == nullptr)
            return nullptr;
        dispatch(e, effEditClose);
        AM_setEditorWindowOpener(nullptr);
        auto host = platform::openX11HostWindow("editor test", 320, 240);
        EXPECT_NE(host, nullptr);
        if (!host)
            return nullptr;
        XMoveWindow(display_, static_cast<Window>(host->nativeHandle()), x, y);
        XSync(display_, False);
        EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, reinterpret_cast<void*>(host->nativeHandle())),
                  1);
        hosts_.push_back(std::move(host));
        return e;
    }
    Window child(AEffect* e) { return reinterpret_cast<Window>(ed(e).getWindow()); }
    Window hostOf(size_t i) { return static_cast<Window>(hosts_[i]->nativeHandle()); }

    void idleFor(AEffect* e, int ms)
    {
        for (int t = 0; t < ms; t += 5) {
            idle(e);
            sleepMs(5);
        }
    }
    // Idles every editor in turn, as a host's interface timer does.
    void idleAllFor(const std::vector<AEffect*>& editors, int ms)
    {
        for (int t = 0; t < ms; t += 5) {
            for (AEffect* e : editors)
                idle(e);
            sleepMs(5);
        }
    }
    // Idles the editors in turn, as a host's interface timer does, until
    // done() says so. The bound is far longer than anything takes even on a
    // loaded machine: it only ends a test that would otherwise wait for ever.
    static constexpr int kPatientMs = 60000;
    bool idleUntil(const std::vector<AEffect*>& editors, const std::function<bool()>& done)
    {
        for (int t = 0; t < kPatientMs; t += 5) {
            for (AEffect* e : editors)
                idle(e);
            if (done())
                return true;
            sleepMs(5);
        }
        return done();
    }
    void movePointer(Window window, int x, int y)
    {
        Window unused = 0;
        int rootX = 0, rootY = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), x, y, &rootX, &rootY,
                              &unused);
        XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
        XSync(display_, False);
    }
    void button(bool press)
    {
        XTestFakeButtonEvent(display_, Button1, press ? True : False, CurrentTime);
        XSync(display_, False);
    }
    std::vector<uint32_t> grab(Window window, int width, int height)
    {
        std::vector<uint32_t> pixels;
        XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return pixels;
        pixels.reserve(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & kRgbMask);
        XDestroyImage(image);
        return pixels;
    }
    // Positions where the window differs from the editor's back buffer.
    int differences(AEffect* e)
    {
        auto* context = static_cast<AM_AGG_Context*>(vm(e).getContext());
        const int width = ed(e).editorWindow()->width();
        const int height = ed(e).editorWindow()->height();
        EXPECT_EQ(context->bufferWidth(), width);
        EXPECT_EQ(context->bufferHeight(), height);
        const std::vector<uint32_t> shown = grab(child(e), width, height);
        if (shown.size() != static_cast<size_t>(width) * height)
            return -1;
        int count = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = context->pixels() + static_cast<size_t>(y) * context->bufferStride() + x * 4;
                const uint32_t drawn = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
                if (drawn != shown[static_cast<size_t>(y) * width + x])
                    ++count;
            }
        }
        return count;
    }
    // With KK_EDITOR_SCREENSHOTS set to a folder, the host window as PNG.
    void screenshot(size_t host, const std::string& name)
    {
        const char* folder = std::getenv("KK_EDITOR_SCREENSHOTS");
        if (folder == nullptr)
            return;
        std::vector<uint8_t> bgra;
        int width = 0, height = 0;
        ASSERT_TRUE(hosts_[host]->capture(bgra, width, height));
        const std::string path = std::string(folder) + "/" + name + ".png";
        EXPECT_TRUE(AM_writePngFile(path.c_str(), bgra.data(), width, height, width * 4));
    }

    Display* display_ = nullptr;
    std::vector<std::unique_ptr<platform::HostWindow>> hosts_;
};

TEST_F(EditorDisplayTest, TheEditorMapsAtTheGuiSizeAndShowsTheBackBuffer)
{
    AEffect* e = openOnDisplay(20, 20);
    ASSERT_NE(e, nullptr);
    buildPanel(vm(e), ui(e));
    idleFor(e, 60);
    // A child of the host's window, at the GUI's size.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display_, child(e), &root, &parent, &children, &count);
    if (children != nullptr)
        XFree(children);
    EXPECT_EQ(parent, hostOf(0));
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display_, child(e), &attributes));
    EXPECT_EQ(attributes.width, 300);
    EXPECT_EQ(attributes.height, 200);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_NE(std::find(host.sizes.begin(), host.sizes.end(), "300x200"), host.sizes.end())
        << "the host was asked for the GUI's size";
    // The editor's connection and the test's are served in their own order.
    EXPECT_TRUE(idleUntil({e}, [&] { return differences(e) == 0; }));

    // After an Expose.
    XClearArea(display_, child(e), 0, 0, 0, 0, True);
    XSync(display_, False);
    idleFor(e, 60);
    EXPECT_TRUE(idleUntil({e}, [&] { return differences(e) == 0; }));

    // After a zoom change.
    ed(e).invalidateAllWithAlert();
    idleFor(e, 30);
    screenshot(0, "editor_z1");
    vm(e).setZoom(2.0f);
    // The host's window follows the size asked for, as a host's does.
    hosts_[0]->resize(600, 400);
    ed(e).invalidateAllWithAlert();
    EXPECT_TRUE(idleUntil({e}, [&] {
        return XGetWindowAttributes(display_, child(e), &attributes) && attributes.width == 600 &&
               attributes.height == 400;
    }));
    EXPECT_EQ(attributes.width, 600);
    EXPECT_EQ(attributes.height, 400);
    idleFor(e, 40);
    screenshot(0, "editor_z2");
    // The notice lies over the frame; closed, the window is the back buffer again.
    const platform::PixelRect notice = ed(e).editorSurface().noticeArea();
    movePointer(child(e), notice.x + 4, notice.y + 4);
    button(true);
    button(false);
    EXPECT_TRUE(idleUntil({e}, [&] { return !ed(e).editorSurface().noticeUp(); }));
    EXPECT_TRUE(idleUntil({e}, [&] { return differences(e) == 0; }));
}

TEST_F(EditorDisplayTest, DraggingAKnobGivesTheHostBeginAutomateAndEnd)
{
    AEffect* e = openOnDisplay(20, 20);
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    ASSERT_GE(panel.published, 0);
    idleFor(e, 60);
    host.edits.clear();
    host.automations.clear();
    const float before = value(e, panel.parameter);

    movePointer(child(e), 54, 54);
    button(true);
    idleFor(e, 40);
    for (int y = 50; y >= 20; y -= 10) {
        movePointer(child(e), 54, y);
        idleFor(e, 20);
    }
    button(false);
    const std::string end = "end " + std::to_string(panel.published);
    EXPECT_TRUE(idleUntil({e}, [&] { return !host.edits.empty() && host.edits.back() == end; }));

    EXPECT_NE(value(e, panel.parameter), before);
    ASSERT_GE(host.edits.size(), 2u);
    EXPECT_EQ(host.edits.front(), "begin " + std::to_string(panel.published));
    EXPECT_EQ(host.edits.back(), "end " + std::to_string(panel.published));
    EXPECT_FALSE(host.automations.empty());
    EXPECT_TRUE(idleUntil({e}, [&] { return differences(e) == 0; }))
        << "the captured drag repainted";
}

TEST_F(EditorDisplayTest, APatchListDraggedToAnotherEditorArrivesWhole)
{
    AEffect* source = openOnDisplay(10, 10);
    AEffect* target = openOnDisplay(400, 10);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    buildPanel(vm(source), ui(source));
    buildPanel(vm(target), ui(target));
    idleFor(source, 30);
    idleFor(target, 30);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 2u);

    testsupport::TraceCapture trace;
    movePointer(child(source), 40, 40);
    button(true);
    idleFor(source, 30);
    movePointer(child(target), 55, 65);
    movePointer(child(target), 60, 70);
    button(false);
    const std::string list = "Bank/Lead.preset\nBank/Pad.preset";
    EXPECT_FALSE(vm(source).startDragDrop(nullptr, kAM_DragKindPatchList, kAM_DragLengthOfText,
                                          list.c_str()));
    EXPECT_TRUE(idleUntil({source, target}, [&] { return trace.contains("DragDrop: the drag was"); }));
    // Nothing on the plain panel takes a patch list: the source hears so.
    EXPECT_TRUE(trace.contains("DragDrop: the drag was refused")) << trace.text();
    EXPECT_TRUE(trace.contains("it is a patch list!"));
    EXPECT_TRUE(trace.contains("Drop of kind 1, " + std::to_string(list.size() + 1) +
                               " bytes at 60 70"))
        << trace.text();
}

TEST_F(EditorDisplayTest, OpenAndCloseAHundredTimesLeavesNothingBehind)
{
    AEffect* e = openOnDisplay(20, 20);
    ASSERT_NE(e, nullptr);
    idleFor(e, 20);
    dispatch(e, effEditClose);
    XSync(display_, False);
    const int files = countOpenFiles();
    const int clients = countClients(display_);
    const void* parent = reinterpret_cast<void*>(hosts_[0]->nativeHandle());
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, const_cast<void*>(parent)), 1);
        idle(e);
        dispatch(e, effEditClose);
    }
    XSync(display_, False);
    EXPECT_EQ(countOpenFiles(), files);
    // The server notices closed connections in its own time: on a loaded
    // machine that may take a while.
    constexpr int kSliceMs = 5;
    constexpr int kPatientMs = 60000;
    for (int waited = 0; waited < kPatientMs && countClients(display_) != clients;
         waited += kSliceMs)
        sleepMs(kSliceMs);
    EXPECT_EQ(countClients(display_), clients);
    EXPECT_EQ(countChildren(display_, hostOf(0)), 0);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
}

TEST_F(EditorDisplayTest, TheHostDestroyingTheParentBeforeClosingIsSafe)
{
    AEffect* e = openOnDisplay(20, 20);
    ASSERT_NE(e, nullptr);
    buildPanel(vm(e), ui(e));
    idleFor(e, 30);
    hosts_[0].reset();
    idleFor(e, 30);
    dispatch(e, effEditClose);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
}

// A preset tree in the data root and a browser on the panel: the folder
// view at the left, the list view of the current folder ("Pads") beside it.
class PresetBrowserDisplayTest : public EditorDisplayTest {
protected:
    static constexpr const char* kPatches = "KestanK4.data/Presets/KestanK4";
    // Rows: "Local", "Leads", "Pads" in the folder view.
    static constexpr int kLeadsY = 16 + 8;
    static constexpr int kFolderX = 40;
    static constexpr int kListX = 170;

    void writeTree()
    {
        dir.makeDir(std::string(kPatches) + "/Leads");
        dir.makeDir(std::string(kPatches) + "/Pads");
        dir.writeFile(std::string(kPatches) + "/Pads/Cold.aupreset", "<plist>cold</plist>");
        dir.writeFile(std::string(kPatches) + "/Pads/Warm.aupreset", "<plist>warm</plist>");
    }
    std::string preset(const std::string& relative) { return std::string(kPatches) + "/" + relative; }
    void buildBrowser(AEffect* e)
    {
        const Panel panel = buildPanel(vm(e), ui(e));
        ui(e).addModulePresetList(PresetLibrary::kPatchListPath, PresetListType::kPatch);
        ui(e).rescanPresets(nullptr);
        PresetFolder* pads = ui(e).getPresetFolders(nullptr)->findByName("Pads");
        ASSERT_NE(pads, nullptr);
        ui(e).setCurrentFolder(pads, nullptr);
        const AM_Rect folderBounds{0, 0, 120, 200};
        const AM_Rect listBounds{130, 0, 170, 200};
        for (auto [type, bounds] : {std::pair{"PresetManager", folderBounds},
                                    std::pair{"PresetSelector", listBounds}}) {
            AM_ViewControl* control = vm(e).createControl(type, &bounds);
            panel.pane->addControl(control, kAllLayers, false);
            control->setVisible(true, kAllLayers, false);
            control->setEditMode(false);
        }
        // The knob of the panel lies under the folder view: moved out of the way.
        const float away[2] = {400, 400};
        panel.knob->moveTo(away, false);
        idleFor(e, 40);
    }
    // Presses on the list's "Warm", moves onto the folder "Leads" of the
    // window and lets go there (Control held with copy); all of it is queued
    // before the editor sees the press, as a quick hand would do it.
    // The middle of the list row that shows the preset (listing order).
    static int rowOf(AEffect* e, const char* name)
    {
        int row = 0;
        for (PresetListItem* i = ui(e).getPresetItems(nullptr); i != nullptr; i = i->next(), ++row)
            if (std::strcmp(i->name(), name) == 0)
                return 16 * row + 8;
        return -100;
    }
    void dragWarmTo(AEffect* from, AEffect* to, bool copy)
    {
        const int listY = rowOf(from, "Warm");
        const KeyCode control = XKeysymToKeycode(display_, XK_Control_L);
        if (copy)
            XTestFakeKeyEvent(display_, control, True, CurrentTime);
        movePointer(child(from), kListX, listY);
        button(true);
        movePointer(child(from), kListX - 20, listY + 2);
        movePointer(child(to), kFolderX + 10, kLeadsY);
        movePointer(child(to), kFolderX, kLeadsY);
        button(false);
        // The source hears the outcome only once the target has done the drop.
        bool seen = false;
        EXPECT_TRUE(idleUntil(to != from ? std::vector<AEffect*>{from, to} : std::vector<AEffect*>{from},
                              [&] {
                                  const bool on = ed(from).editorWindow()->dragSource().dragging();
                                  seen = seen || on;
                                  return seen && !on;
                              }));
        if (copy) {
            XTestFakeKeyEvent(display_, control, False, CurrentTime);
            XSync(display_, False);
        }
        idleFor(to, 60);
    }
    // The tree, and two editors side by side showing its browser.
    bool openTwoBrowsers(AEffect*& source, AEffect*& target)
    {
        writeTree();
        source = openOnDisplay(10, 10);
        target = openOnDisplay(400, 10);
        if (source == nullptr || target == nullptr)
            return false;
        buildBrowser(source);
        buildBrowser(target);
        return true;
    }
    static std::vector<std::string> listed(AEffect* e)
    {
        std::vector<std::string> names;
        for (PresetListItem* i = ui(e).getPresetItems(nullptr); i != nullptr; i = i->next())
            names.emplace_back(i->name());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(PresetBrowserDisplayTest, APresetDraggedOntoAFolderMovesAndWithControlCopies)
{
    writeTree();
    AEffect* e = openOnDisplay(20, 20);
    ASSERT_NE(e, nullptr);
    buildBrowser(e);
    ASSERT_EQ(listed(e), (std::vector<std::string>{"Cold", "Warm"}));
    screenshot(0, "preset_browser");

    dragWarmTo(e, e, false);
    EXPECT_FALSE(dir.exists(preset("Pads/Warm.aupreset")));
    EXPECT_EQ(dir.readFile(preset("Leads/Warm.aupreset")), "<plist>warm</plist>");
    EXPECT_EQ(listed(e), std::vector<std::string>{"Cold"}) << "the list was refreshed";

    // "Leads" made current, to copy the preset from there.
    ui(e).setCurrentFolder(ui(e).getPresetFolders(nullptr)->findByName("Leads"), nullptr);
    ASSERT_EQ(dir.exists(preset("Leads/Warm.aupreset")), true);
    idleFor(e, 30);
    ASSERT_EQ(listed(e), std::vector<std::string>{"Warm"});
    // Copied onto its own folder it gets a number.
    dragWarmTo(e, e, true);
    EXPECT_EQ(dir.readFile(preset("Leads/Warm.aupreset")), "<plist>warm</plist>");
    EXPECT_EQ(dir.readFile(preset("Leads/Warm 1.aupreset")), "<plist>warm</plist>");
    EXPECT_EQ(listed(e), (std::vector<std::string>{"Warm", "Warm 1"}));
}

TEST_F(PresetBrowserDisplayTest, AClickLoadsAPresetAndTheArrowKeysStepOn)
{
    writeTree();
    AEffect* e = openOnDisplay(20, 20);
    ASSERT_NE(e, nullptr);
    buildBrowser(e);
    // A click starts a drag that ends where it began; then the preset loads.
    PresetListItem* items = ui(e).getPresetItems(nullptr);
    ASSERT_TRUE(items != nullptr && items->next() != nullptr);
    const std::string first = items->name();
    const std::string second = items->next()->name();
    movePointer(child(e), kListX, 8);
    button(true);
    button(false);
    const auto current = [&] {
        const char* name = ui(e).getCurrentPresetName(nullptr);
        return std::string(name != nullptr ? name : "");
    };
    EXPECT_TRUE(idleUntil({e}, [&] { return current() == first; }));
    EXPECT_EQ(current(), first);
    const auto tap = [this](KeySym key) {
        const KeyCode code = XKeysymToKeycode(display_, key);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        XSync(display_, False);
    };
    tap(XK_Down);
    EXPECT_TRUE(idleUntil({e}, [&] { return current() == second; }));
    tap(XK_Up);
    EXPECT_TRUE(idleUntil({e}, [&] { return current() == first; }));
}

TEST_F(PresetBrowserDisplayTest, APresetDroppedFromAnotherEditorIsImported)
{
    AEffect* source = nullptr;
    AEffect* target = nullptr;
    ASSERT_TRUE(openTwoBrowsers(source, target));
    testsupport::TraceCapture trace;
    dragWarmTo(source, target, true);
    EXPECT_TRUE(trace.contains("it is a patch list!")) << trace.text();
    EXPECT_EQ(dir.readFile(preset("Leads/Warm.aupreset")), "<plist>warm</plist>");
    EXPECT_EQ(dir.readFile(preset("Pads/Warm.aupreset")), "<plist>warm</plist>")
        << "copied: the source stays";
}

// The source hears whether the folder took the drop: a file the folder's
// filters do not take is refused, a preset is taken (moved here).
TEST_F(PresetBrowserDisplayTest, ADropOfAFileTheFolderDoesNotTakeIsRefusedToItsSource)
{
    AEffect* source = nullptr;
    AEffect* target = nullptr;
    ASSERT_TRUE(openTwoBrowsers(source, target));
    dir.writeFile("notes.txt", "words");
    struct Row {
        std::string path;
        const char* outcome;
    };
    const Row rows[] = {{dir.file("notes.txt"), "refused"},
                        {dir.file(preset("Pads/Cold.aupreset")), "dropped"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        testsupport::TraceCapture trace;
        // Pressed between the two views of the source, let go over "Leads".
        movePointer(child(source), 125, 100);
        button(true);
        movePointer(child(target), kFolderX + 10, kLeadsY);
        movePointer(child(target), kFolderX, kLeadsY);
        button(false);
        EXPECT_FALSE(vm(source).startDragDrop(nullptr, kAM_DragKindPatchList,
                                              kAM_DragLengthOfText, row.path.c_str()));
        EXPECT_TRUE(idleUntil({source, target},
                              [&] { return trace.contains("DragDrop: the drag was"); }));
        EXPECT_TRUE(trace.contains(std::string("DragDrop: the drag was ") + row.outcome))
            << trace.text();
    }
    EXPECT_TRUE(dir.exists(preset("Leads/Cold.aupreset")));
    EXPECT_FALSE(dir.exists(preset("Leads/notes.txt")));
}

} // namespace
