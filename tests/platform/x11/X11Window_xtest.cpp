#include "X11TestDisplay.h"

#include "platform/x11/X11EditorWindow.h"
#include "platform/x11/X11Surface.h"
#include "platform/x11/X11Window.h"

#include "TraceCapture.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <dirent.h>

#include <algorithm>
#include <memory>
#include <vector>

#ifdef KK_HAVE_XRES
#include <X11/extensions/XRes.h>
#endif

namespace {

using namespace platform;
using x11test::RecordingSink;

constexpr int kHostWidth = 640;
constexpr int kHostHeight = 480;

// A BGRA frame whose pixels tell their position.
struct TestFrame {
    TestFrame(int w, int h) : width(w), height(h), pixels(size_t(w) * h * 4)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                set(x, y, expected(x, y));
    }
    static uint32_t expected(int x, int y)
    {
        return uint32_t((x * 7) & 0xff) << 16 | uint32_t((y * 5) & 0xff) << 8 |
               uint32_t((x + y) & 0xff);
    }
    void set(int x, int y, uint32_t rgb)
    {
        uint8_t* p = pixels.data() + (size_t(y) * width + x) * 4;
        p[0] = uint8_t(rgb);
        p[1] = uint8_t(rgb >> 8);
        p[2] = uint8_t(rgb >> 16);
        p[3] = 0xff;
    }
    uint32_t at(int x, int y) const
    {
        const uint8_t* p = pixels.data() + (size_t(y) * width + x) * 4;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    FrameView view() const { return FrameView{pixels.data(), width, height, width * 4}; }
    int width;
    int height;
    std::vector<uint8_t> pixels;
};

class X11WindowTest : public x11test::X11TestDisplay {
protected:
    void SetUp() override
    {
        X11TestDisplay::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        host_ = makeHostWindow(10, 10, kHostWidth, kHostHeight);
    }
    void TearDown() override
    {
        window_.reset();
        X11TestDisplay::TearDown();
    }
    void open(int w, int h, bool shared = true)
    {
        X11WindowOptions options;
        options.allowSharedMemory = shared;
        window_ = openX11EditorWindow(host_, w, h, options);
        ASSERT_NE(window_, nullptr);
        // Mapped and ready for input.
        XWindowAttributes a{};
        pumpUntil(*window_, sink_, [&] {
            XGetWindowAttributes(display_, Window(window_->nativeHandle()), &a);
            return a.map_state == IsViewable;
        });
        ASSERT_EQ(a.map_state, IsViewable);
    }
    Window child() const { return Window(window_->nativeHandle()); }
    std::vector<WindowEvent> eventsOf(WindowEventKind kind) const
    {
        std::vector<WindowEvent> out;
        for (const WindowEvent& e : sink_.events)
            if (e.kind == kind)
                out.push_back(e);
        return out;
    }
    bool waitFor(WindowEventKind kind, size_t count = 1)
    {
        return pumpUntil(*window_, sink_, [&] { return eventsOf(kind).size() >= count; });
    }

    Window host_ = 0;
    std::unique_ptr<EditorWindow> window_;
    RecordingSink sink_;
};

TEST_F(X11WindowTest, ChildIsMappedAtItsSizeInTheHostWindowWithTheParentsVisual)
{
    open(320, 200);
    XWindowAttributes attributes{}, hostAttributes{};
    ASSERT_TRUE(XGetWindowAttributes(display_, child(), &attributes));
    ASSERT_TRUE(XGetWindowAttributes(display_, host_, &hostAttributes));
    EXPECT_EQ(attributes.width, 320);
    EXPECT_EQ(attributes.height, 200);
    EXPECT_EQ(attributes.x, 0);
    EXPECT_EQ(attributes.y, 0);
    EXPECT_EQ(attributes.depth, hostAttributes.depth);
    EXPECT_EQ(attributes.visual, hostAttributes.visual);
    const long wanted = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                        KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
    EXPECT_EQ(attributes.all_event_masks & wanted, wanted);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(display_, child(), &root, &parent, &children, &count));
    if (children)
        XFree(children);
    EXPECT_EQ(parent, host_);
    EXPECT_EQ(window_->width(), 320);
    EXPECT_EQ(window_->height(), 200);

    // It says it takes drops of XDND version 5.
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(display_, child(), XInternAtom(display_, "XdndAware", False), 0, 1,
                                 False, XA_ATOM, &type, &format, &items, &after, &data),
              Success);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(*reinterpret_cast<long*>(data), 5);
    XFree(data);
}

TEST_F(X11WindowTest, AParentThatIsNoWindowIsRefused)
{
    testsupport::TraceCapture trace;
    EXPECT_EQ(openX11EditorWindow(0x7ffffff0, 100, 100), nullptr);
    EXPECT_TRUE(trace.contains("the parent is not a window"));
    X11WindowOptions options;
    options.displayName = ":4711";
    EXPECT_EQ(openX11EditorWindow(host_, 100, 100, options), nullptr);
    EXPECT_TRUE(trace.contains("can't open the display"));
}

class X11SurfacePaths : public X11WindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(X11SurfacePaths, PresentedFrameIsWhatTheWindowShowsAlsoAfterAnExpose)
{
    const bool shared = GetParam();
    constexpr int kW = 200, kH = 120;
    open(kW, kH, shared);
    auto& surface = static_cast<x11::X11Window&>(*window_).x11Surface();
    if (shared && !surface.usesSharedMemory())
        GTEST_SKIP() << "the server offers no shared memory";
    EXPECT_EQ(surface.usesSharedMemory(), shared);

    TestFrame frame(kW, kH);
    window_->surface().present(frame.view(), PixelRect{0, 0, kW, kH}, 0, 0);
    auto shown = grab(child(), kW, kH);
    ASSERT_EQ(shown.size(), size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(shown[size_t(y) * kW + x], frame.at(x, y)) << x << "," << y;

    // Only the dirty rectangle is sent: the rest of a changed frame stays.
    TestFrame changed(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            changed.set(x, y, 0x123456);
    window_->surface().present(changed.view(), PixelRect{10, 20, 30, 40}, 10, 20);
    shown = grab(child(), kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool inside = x >= 10 && x < 40 && y >= 20 && y < 60;
            ASSERT_EQ(shown[size_t(y) * kW + x], inside ? 0x123456u : frame.at(x, y))
                << x << "," << y;
        }

    // Cleared by the server (to black) and exposed: shown again from what was
    // presented, without the editor drawing.
    XClearArea(display_, child(), 0, 0, 0, 0, True);
    ASSERT_TRUE(waitFor(WindowEventKind::Exposed));
    pumpFor(*window_, sink_, 50);
    const auto again = grab(child(), kW, kH);
    EXPECT_EQ(again, shown);
}

INSTANTIATE_TEST_SUITE_P(PlainAndShared, X11SurfacePaths, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Shared" : "Plain"; });

TEST_F(X11WindowTest, PresentOutsideTheFrameOrWindowIsClipped)
{
    open(50, 40, false);
    TestFrame frame(30, 30);
    // Source partly outside the frame, destination partly outside the window.
    window_->surface().present(frame.view(), PixelRect{-10, -10, 100, 100}, 30, 25);
    const auto shown = grab(child(), 50, 40);
    // The part of the source outside the frame is dropped, moving the
    // destination with it: frame (0, 0) lands at (40, 35).
    EXPECT_EQ(shown[size_t(35) * 50 + 40], frame.at(0, 0));
    EXPECT_EQ(shown[size_t(39) * 50 + 49], frame.at(9, 4));
    EXPECT_EQ(shown[size_t(34) * 50 + 40], 0u);
    EXPECT_EQ(shown[size_t(35) * 50 + 39], 0u);
    window_->surface().present(FrameView{}, PixelRect{0, 0, 10, 10}, 0, 0);
}

TEST_F(X11WindowTest, ClicksWheelAndDragsArriveAsPlatformEvents)
{
    open(300, 200);
    movePointer(child(), 50, 60);
    click(Button1);
    ASSERT_TRUE(waitFor(WindowEventKind::ButtonUp));
    auto downs = eventsOf(WindowEventKind::ButtonDown);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].button, PointerButton::Primary);
    EXPECT_EQ(downs[0].x, 50);
    EXPECT_EQ(downs[0].y, 60);
    EXPECT_EQ(downs[0].modifiers, 0);

    // A second click at once: a double click.
    click(Button1);
    ASSERT_TRUE(waitFor(WindowEventKind::ButtonDown, 2));
    EXPECT_TRUE(eventsOf(WindowEventKind::ButtonDown)[1].doubleClick);

    // The secondary button with Shift held.
    movePointer(child(), 70, 80);
    key(XK_Shift_L, true);
    click(Button3);
    key(XK_Shift_L, false);
    ASSERT_TRUE(waitFor(WindowEventKind::ButtonDown, 3));
    const WindowEvent secondary = eventsOf(WindowEventKind::ButtonDown)[2];
    EXPECT_EQ(secondary.button, PointerButton::Secondary);
    EXPECT_EQ(secondary.modifiers, kModifierShift | kModifierSecondaryButton);
    EXPECT_FALSE(secondary.doubleClick);

    // The middle button means nothing; wheel steps come at the point.
    sink_.events.clear();
    click(Button2);
    click(Button4);
    click(Button5);
    ASSERT_TRUE(waitFor(WindowEventKind::Wheel, 2));
    pumpFor(*window_, sink_, 50);
    const auto wheels = eventsOf(WindowEventKind::Wheel);
    EXPECT_EQ(wheels[0].wheel, +1);
    EXPECT_EQ(wheels[1].wheel, -1);
    EXPECT_EQ(wheels[1].x, 70);
    EXPECT_EQ(wheels[1].y, 80);
    EXPECT_TRUE(eventsOf(WindowEventKind::ButtonDown).empty());
    EXPECT_TRUE(eventsOf(WindowEventKind::ButtonUp).empty());

    // A drag: moves with the button held, compressed, ending where the
    // pointer ended.
    sink_.events.clear();
    movePointer(child(), 100, 100);
    button(Button1, true);
    for (int i = 1; i <= 20; ++i)
        movePointer(child(), 100 + i * 5, 100 + i * 2);
    button(Button1, false);
    ASSERT_TRUE(waitFor(WindowEventKind::ButtonUp));
    const auto moves = eventsOf(WindowEventKind::PointerMove);
    ASSERT_FALSE(moves.empty());
    EXPECT_LE(moves.size(), 21u);
    EXPECT_EQ(moves.back().x, 200);
    EXPECT_EQ(moves.back().y, 140);
    EXPECT_EQ(eventsOf(WindowEventKind::ButtonUp)[0].x, 200);
}

TEST_F(X11WindowTest, KeysArriveAsVirtualKeysOrCharacters)
{
    open(300, 200);
    movePointer(child(), 20, 20);
    click(Button1); // the window takes the focus
    ASSERT_TRUE(waitFor(WindowEventKind::ButtonUp));
    sink_.events.clear();
    const unsigned long keys[] = {XK_Escape, XK_Left, XK_Up, XK_Right, XK_Down,
                                  XK_Delete, XK_F1,   XK_F5, XK_a,     XK_5};
    for (unsigned long k : keys)
        tap(k);
    ASSERT_TRUE(waitFor(WindowEventKind::KeyDown, std::size(keys)));
    const auto downs = eventsOf(WindowEventKind::KeyDown);
    const int expectedKeys[] = {kVirtualKeyEscape,
                                kVirtualKeyLeft,
                                kVirtualKeyUp,
                                kVirtualKeyRight,
                                kVirtualKeyDown,
                                kVirtualKeyDelete,
                                kVirtualKeyF1,
                                kVirtualKeyF5,
                                0,
                                0};
    for (size_t i = 0; i < std::size(keys); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(downs[i].virtualKey, expectedKeys[i]);
    }
    EXPECT_EQ(downs[8].character, uint32_t('a'));
    EXPECT_EQ(downs[9].character, uint32_t('5'));
    key(XK_Shift_L, true);
    tap(XK_a);
    key(XK_Shift_L, false);
    ASSERT_TRUE(waitFor(WindowEventKind::KeyDown, std::size(keys) + 1));
    const WindowEvent shifted = eventsOf(WindowEventKind::KeyDown).back();
    EXPECT_EQ(shifted.character, uint32_t('A'));
    EXPECT_EQ(shifted.modifiers, kModifierShift);
}

// Leaves every key but F1 to the host.
struct KeyDeclining : RecordingSink {
    explicit KeyDeclining(EditorWindow& w) : window(w) {}
    void onWindowEvent(const WindowEvent& event) override
    {
        if (event.kind == WindowEventKind::KeyDown) {
            ++keys;
            if (event.virtualKey != kVirtualKeyF1)
                window.leaveKeyToHost();
        }
    }
    EditorWindow& window;
    int keys = 0;
};

TEST_F(X11WindowTest, KeysTheEditorLeavesReachTheHostsWindow)
{
    open(300, 200);
    XSelectInput(display_, host_, KeyPressMask | StructureNotifyMask);
    movePointer(child(), 20, 20);
    click(Button1);
    ASSERT_TRUE(waitFor(WindowEventKind::ButtonUp));
    KeyDeclining declining(*window_);
    tap(XK_F1);
    tap(XK_b);
    ASSERT_TRUE(pumpUntil(*window_, declining, [&] { return declining.keys >= 2; }));
    // Only the key left to the host arrives there.
    XSync(display_, False);
    std::vector<KeySym> arrived;
    XEvent e;
    while (XCheckTypedWindowEvent(display_, host_, KeyPress, &e))
        arrived.push_back(XLookupKeysym(&e.xkey, 0));
    EXPECT_EQ(arrived, (std::vector<KeySym>{XK_b}));
    // Outside a key's dispatch nothing is sent.
    window_->leaveKeyToHost();
    XSync(display_, False);
    EXPECT_FALSE(XCheckTypedWindowEvent(display_, host_, KeyPress, &e));
}

// Keysyms put on a spare key code for one test, and taken off again.
class SpareKey {
public:
    explicit SpareKey(Display* display) : display_(display)
    {
        int first = 0, last = 0;
        XDisplayKeycodes(display_, &first, &last);
        int perCode = 0;
        KeySym* map =
            XGetKeyboardMapping(display_, KeyCode(first), last - first + 1, &perCode);
        for (int code = last; code >= first && code_ == 0; --code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i)
                empty = empty && map[(code - first) * perCode + i] == NoSymbol;
            if (empty)
                code_ = KeyCode(code);
        }
        XFree(map);
    }
    ~SpareKey() { put(NoSymbol); }
    KeyCode code() const { return code_; }
    void put(KeySym keysym)
    {
        if (code_ == 0)
            return;
        KeySym syms[2] = {keysym, keysym};
        XChangeKeyboardMapping(display_, code_, 2, syms, 1);
        XSync(display_, False);
    }

private:
    Display* display_;
    KeyCode code_ = 0;
};

TEST_F(X11WindowTest, KeysTypeAnyCharacterThroughTheInputMethod)
{
    open(300, 200);
    movePointer(child(), 20, 20);
    click(Button1);
    ASSERT_TRUE(waitFor(WindowEventKind::ButtonUp));
    SpareKey spare(display_);
    ASSERT_NE(spare.code(), 0) << "no free key code to type on";
    struct Row {
        KeySym keysym;
        uint32_t character;
    };
    // Latin-1, a legacy Cyrillic keysym, CJK and an emoji (Unicode keysyms).
    const Row rows[] = {
        {XK_adiaeresis, 0xE4},
        {XK_Cyrillic_ya, 0x44F},
        {0x1004E2D, 0x4E2D},
        {0x101F600, 0x1F600},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.character);
        sink_.events.clear();
        spare.put(row.keysym);
        // The window hears of the new mapping before the key comes.
        pumpFor(*window_, sink_, 20);
        XTestFakeKeyEvent(display_, spare.code(), True, CurrentTime);
        XTestFakeKeyEvent(display_, spare.code(), False, CurrentTime);
        XSync(display_, False);
        ASSERT_TRUE(waitFor(WindowEventKind::KeyDown));
        const WindowEvent typed = eventsOf(WindowEventKind::KeyDown).front();
        EXPECT_EQ(typed.virtualKey, kVirtualKeyNone);
        EXPECT_EQ(typed.character, row.character);
    }
}

TEST_F(X11WindowTest, ResizeChangesTheWindowAndItsSurface)
{
    open(100, 80);
    ASSERT_TRUE(window_->resize(400, 300));
    XSync(display_, False);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, child(), &attributes);
    EXPECT_EQ(attributes.width, 400);
    EXPECT_EQ(attributes.height, 300);
    EXPECT_EQ(window_->width(), 400);
    TestFrame frame(400, 300);
    window_->surface().present(frame.view(), PixelRect{0, 0, 400, 300}, 0, 0);
    const auto shown = grab(child(), 400, 300);
    EXPECT_EQ(shown[size_t(299) * 400 + 399], frame.at(399, 299));
    pumpFor(*window_, sink_, 30);
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
    if (children)
        XFree(children);
    return static_cast<int>(count);
}

int countClients(Display* display)
{
#ifdef KK_HAVE_XRES
    int count = 0;
    XResClient* clients = nullptr;
    if (XResQueryClients(display, &count, &clients) && clients)
        XFree(clients);
    return count;
#else
    (void)display;
    return 0;
#endif
}

TEST_F(X11WindowTest, OpeningAndClosingAHundredTimesLeaksNothing)
{
    // One open and close first, so that lazily made process state is there.
    open(200, 100);
    window_.reset();
    XSync(display_, False);
    const int files = countOpenFiles();
    const int clients = countClients(display_);
    for (int i = 0; i < 100; ++i) {
        X11WindowOptions options;
        options.allowSharedMemory = (i % 2) == 0;
        auto window = openX11EditorWindow(host_, 200 + i, 100, options);
        ASSERT_NE(window, nullptr);
        TestFrame frame(200, 100);
        window->surface().present(frame.view(), PixelRect{0, 0, 200, 100}, 0, 0);
        window->pumpEvents(sink_);
        window.reset();
        XSync(display_, False);
        ASSERT_EQ(countChildren(display_, host_), 0) << "cycle " << i;
    }
    EXPECT_EQ(countOpenFiles(), files);
    EXPECT_EQ(countClients(display_), clients);
    EXPECT_EQ(x11::X11Window::openWindowCount(), 0);
}

// Counts errors reaching the handler installed before the editor's window
// (the host's).
int hostErrors = 0;
int countingHandler(Display*, XErrorEvent*)
{
    ++hostErrors;
    return 0;
}

TEST_F(X11WindowTest, DestroyingTheParentFirstNeverReachesTheHostOrCrashes)
{
    hostErrors = 0;
    XErrorHandler before = XSetErrorHandler(countingHandler);
    for (bool pumpFirst : {true, false}) {
        SCOPED_TRACE(pumpFirst);
        const Window host = makeHostWindow(20, 20, 200, 200);
        X11WindowOptions options;
        auto window = openX11EditorWindow(host, 150, 100, options);
        ASSERT_NE(window, nullptr);
        destroyHostWindow(host);
        RecordingSink sink;
        if (pumpFirst) {
            pumpUntil(*window, sink, [&] { return !window->alive(); });
            EXPECT_FALSE(window->alive());
            ASSERT_FALSE(sink.events.empty());
            EXPECT_EQ(sink.events.back().kind, WindowEventKind::Destroyed);
        }
        TestFrame frame(150, 100);
        window->surface().present(frame.view(), PixelRect{0, 0, 150, 100}, 0, 0);
        window->resize(300, 300);
        window->takeFocus();
        window.reset();
    }
    EXPECT_EQ(hostErrors, 0);
    // The host's handler is back in place.
    EXPECT_EQ(XSetErrorHandler(before), countingHandler);
}

} // namespace
