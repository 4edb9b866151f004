#include "X11TestDisplay.h"

#include "platform/Clock.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>
#include <poll.h>

namespace x11test {

namespace {

constexpr uint32_t kRgbMask = 0xffffff;
constexpr int kPumpSliceMs = 5;
constexpr int kConnectAttempts = 10;
constexpr int kConnectRetryMs = 20;

void sleepMs(int ms)
{
    ::poll(nullptr, 0, ms);
}

} // namespace

void X11TestDisplay::SetUp()
{
    // Xvfb turns a connection away now and then when many come at once.
    display_ = XOpenDisplay(nullptr);
    for (int attempt = 1; display_ == nullptr && attempt < kConnectAttempts; ++attempt) {
        sleepMs(kConnectRetryMs);
        display_ = XOpenDisplay(nullptr);
    }
    if (display_ == nullptr) {
        if (std::getenv("KK_REQUIRE_X11") != nullptr)
            FAIL() << "no X display reachable, though KK_REQUIRE_X11 asks for one";
        GTEST_SKIP() << "no X display reachable (DISPLAY unset or the server is down)";
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
        GTEST_SKIP() << "the X server has no XTest extension";
    // Start with no button held from an earlier test.
    for (unsigned int b = Button1; b <= Button5; ++b)
        XTestFakeButtonEvent(display_, b, False, CurrentTime);
    XSync(display_, False);
}

void X11TestDisplay::TearDown()
{
    if (display_ == nullptr)
        return;
    for (Window w : hostWindows_)
        XDestroyWindow(display_, w);
    XSync(display_, False);
    XCloseDisplay(display_);
    display_ = nullptr;
}

Window X11TestDisplay::makeHostWindow(int x, int y, int width, int height)
{
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(display_, DefaultScreen(display_));
    attributes.event_mask = StructureNotifyMask;
    const Window w =
        XCreateWindow(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XMapRaised(display_, w);
    XEvent e;
    do
        XWindowEvent(display_, w, StructureNotifyMask, &e);
    while (e.type != MapNotify);
    hostWindows_.push_back(w);
    return w;
}

void X11TestDisplay::destroyHostWindow(Window window)
{
    XDestroyWindow(display_, window);
    XSync(display_, False);
    hostWindows_.erase(std::remove(hostWindows_.begin(), hostWindows_.end(), window),
                       hostWindows_.end());
}

bool X11TestDisplay::pumpUntil(platform::EditorWindow& window, RecordingSink& sink,
                               const std::function<bool()>& done, int timeoutMs)
{
    XSync(display_, False);
    const uint64_t start = platform::tickCount64();
    for (;;) {
        window.pumpEvents(sink);
        if (done())
            return true;
        if (platform::tickCount64() - start > uint64_t(timeoutMs))
            return false;
        sleepMs(kPumpSliceMs);
    }
}

void X11TestDisplay::pumpFor(platform::EditorWindow& window, RecordingSink& sink, int ms)
{
    pumpUntil(
        window, sink, [] { return false; }, ms);
}

void X11TestDisplay::movePointer(Window window, int x, int y)
{
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), x, y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
    XSync(display_, False);
}

void X11TestDisplay::button(unsigned int xButton, bool press)
{
    XTestFakeButtonEvent(display_, xButton, press ? True : False, CurrentTime);
    XSync(display_, False);
}

void X11TestDisplay::key(unsigned long keysym, bool press)
{
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    XTestFakeKeyEvent(display_, code, press ? True : False, CurrentTime);
    XSync(display_, False);
}

std::vector<uint32_t> X11TestDisplay::grab(Window window, int width, int height)
{
    XSync(display_, False);
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

} // namespace x11test
