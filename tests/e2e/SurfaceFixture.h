#pragma once
// The instrument's surface end to end: the plug-in from the module's entry
// with the real editor, its data folder a copy of the project's data folder
// (the GUI scripts, the factory presets, the default face), opened in a host
// window on a real X server. Controls are found by the parameter they are
// bound to; the pointer and keys are driven with XTest.
//
// gtest before Xlib: Xlib's macros would break gtest's headers.
#include "EditorFixture.h"
#include "TraceCapture.h"

#include "gui/graphics/AM_AGG_Context.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "platform/x11/X11HostWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace surfacetest {

using namespace editortest;

inline void sleepMs(int ms)
{
    ::poll(nullptr, 0, ms);
}

// The surface the tests open: the data folder's own, or, while the data
// folder holds none, the small stand-in of the tests' folder.
inline std::string surfaceScriptSource()
{
    const std::string own = std::string(KK_SOURCE_DATA) + "/Scripts/KestanK4.txt";
    if (std::filesystem::exists(own))
        return own;
    const char* folder = std::getenv("KK_TEST_DATA");
    return std::string(folder != nullptr ? folder : ".") + "/StandInSurface.txt";
}

inline bool usingStandIn()
{
    return surfaceScriptSource().find("StandInSurface.txt") != std::string::npos;
}

// Copies the project's data folder into a plug-in's data folder, with the
// surface script and the default face.
inline void populateDataFolder(const std::string& data)
{
    namespace fs = std::filesystem;
    fs::create_directories(data);
    fs::copy(KK_BUILD_DATA, data,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::create_directories(data + "/Scripts");
    fs::copy_file(surfaceScriptSource(), data + "/Scripts/KestanK4.txt",
                  fs::copy_options::overwrite_existing);
    fs::create_directories(data + "/Fonts");
    fs::copy_file(KK_VERA_TTF, data + "/Fonts/Vera.ttf", fs::copy_options::overwrite_existing);
}

// The default preset every new instance starts with: here it only carries
// switches ("!EDITOR=YES" opens the GUI for editing).
inline void writeDefaultPreset(const std::string& data, const std::string& switches)
{
    std::ofstream out(data + "/Presets/KestanK4/default.h2p");
    out << "#AM=KestanK4\n" << switches;
}

class SurfaceTest : public EditorTest {
protected:
    void SetUp() override
    {
        // The default face is chosen once a process: from this test's folder.
        AM_FontSettings::reset();
        EditorTest::SetUp();
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
        populateDataFolder(dataFolder());
    }
    void TearDown() override
    {
        EditorTest::TearDown();
        AM_FontSettings::reset();
        hosts_.clear();
        if (display_ != nullptr)
            XCloseDisplay(display_);
        display_ = nullptr;
    }

    std::string dataFolder() const { return dir.file("KestanK4.data"); }

    // A plug-in whose editor is open on the display inside a host window at
    // (x, y), idled until it has drawn.
    // The patch's GUI scale (PCore:GScale, -3 to 3) is set before the
    // window opens, as a host's saved state sets it.
    AEffect* openSurface(int gscale = 0, int x = 0, int y = 0)
    {
        AEffect* e = openWithEditor();
        EXPECT_NE(e, nullptr);
        if (e == nullptr)
            return nullptr;
        if (gscale != 0) {
            const AM_ParamInfo* scale = ui(e).findParameter("PCore", "GScale");
            EXPECT_NE(scale, nullptr);
            const float v = float(gscale);
            if (scale != nullptr)
                ui(e).setParameterValue(scale->index, &v);
        }
        dispatch(e, effEditClose);
        // What the start-up files set reaches the engine with the first block.
        process(e);
        AM_setEditorWindowOpener(nullptr);
        auto host = platform::openX11HostWindow("surface test", 320, 240);
        EXPECT_NE(host, nullptr);
        if (!host)
            return nullptr;
        XMoveWindow(display_, static_cast<Window>(host->nativeHandle()), x, y);
        XSync(display_, False);
        EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, reinterpret_cast<void*>(host->nativeHandle())),
                  1);
        hosts_.push_back(std::move(host));
        // The host's window follows the editor's size, as a host's does.
        const ERect r = rect(e);
        hosts_.back()->resize(r.right - r.left, r.bottom - r.top);
        idleFor(e, 80);
        return e;
    }
    Window child(AEffect* e) { return reinterpret_cast<Window>(ed(e).getWindow()); }

    void idleFor(AEffect* e, int ms)
    {
        for (int t = 0; t < ms; t += 5) {
            idle(e);
            sleepMs(5);
        }
    }

    // --- Finding controls.

    // Every control of the GUI whose port is bound to the parameter.
    std::vector<AM_ViewControl*> controlsBoundTo(AEffect* e, const AM_ParamInfo* parameter)
    {
        std::vector<AM_ViewControl*> found;
        std::function<void(AM_ViewControl*)> walk = [&](AM_ViewControl* c) {
            for (; c != nullptr; c = c->getNextControl()) {
                for (int32_t p = 0; p < c->getNumPorts(); ++p) {
                    const AM_PortRecord* port = c->getPort(p);
                    if (port != nullptr && port->parameter == parameter) {
                        found.push_back(c);
                        break;
                    }
                }
                walk(c->getFirstChildControl());
            }
        };
        if (AM_ViewControl* root = vm(e).getRootView())
            walk(root->getFirstChildControl());
        return found;
    }
    // The first visible control of the given type bound to the parameter.
    AM_ViewControl* controlFor(AEffect* e, const char* module, const char* parameter,
                               const char* type = nullptr)
    {
        const AM_ParamInfo* info = ui(e).findParameter(module, parameter);
        if (info == nullptr)
            return nullptr;
        for (AM_ViewControl* c : controlsBoundTo(e, info))
            if (c->isVisible() && (type == nullptr || std::string(c->getTypeName()) == type))
                return c;
        return nullptr;
    }
    // The control's centre in the editor window's pixels.
    void centreOf(AEffect* e, AM_ViewControl* c, int& x, int& y)
    {
        const AM_Rect b = c->getBounds();
        const float zoom = vm(e).getZoom();
        x = int((b.x + b.w * 0.5f) * zoom);
        y = int((b.y + b.h * 0.5f) * zoom);
    }

    // --- Input through the X server.

    void movePointer(Window window, int x, int y)
    {
        Window unused = 0;
        int rootX = 0, rootY = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), x, y, &rootX, &rootY,
                              &unused);
        XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
        XSync(display_, False);
    }
    void button(unsigned int which, bool press)
    {
        XTestFakeButtonEvent(display_, which, press ? True : False, CurrentTime);
        XSync(display_, False);
    }
    void click(AEffect* e, int x, int y, unsigned int which = Button1)
    {
        movePointer(child(e), x, y);
        idleFor(e, 20);
        button(which, true);
        idleFor(e, 30);
        button(which, false);
        idleFor(e, 40);
    }
    // A vertical drag from (x, y) by dy pixels in steps.
    void drag(AEffect* e, int x, int y, int dy)
    {
        movePointer(child(e), x, y);
        idleFor(e, 20);
        button(Button1, true);
        idleFor(e, 30);
        const int steps = 6;
        for (int i = 1; i <= steps; ++i) {
            movePointer(child(e), x, y + dy * i / steps);
            idleFor(e, 15);
        }
        button(Button1, false);
        idleFor(e, 40);
    }
    // Wheel steps up (button 4) or down (button 5) at (x, y); the gesture
    // ends when the wheel rests.
    void wheel(AEffect* e, int x, int y, int steps)
    {
        movePointer(child(e), x, y);
        idleFor(e, 20);
        const unsigned int which = steps > 0 ? Button4 : Button5;
        for (int i = 0; i < std::abs(steps); ++i) {
            button(which, true);
            button(which, false);
            idleFor(e, 15);
        }
        idleFor(e, 500);
    }
    // Keys typed by another connection after a pause: for the editor's
    // menus, whose own loop holds the thread while they are up.
    std::thread typeLater(std::vector<KeySym> keys, int pauseMs = 300)
    {
        return std::thread([keys, pauseMs] {
            Display* d = XOpenDisplay(nullptr);
            if (d == nullptr)
                return;
            sleepMs(pauseMs);
            for (KeySym k : keys) {
                const KeyCode code = XKeysymToKeycode(d, k);
                XTestFakeKeyEvent(d, code, True, CurrentTime);
                XTestFakeKeyEvent(d, code, False, CurrentTime);
                XSync(d, False);
                sleepMs(60);
            }
            XCloseDisplay(d);
        });
    }
    void typeKeys(AEffect* e, const std::vector<KeySym>& keys)
    {
        for (KeySym k : keys) {
            const KeyCode code = XKeysymToKeycode(display_, k);
            XTestFakeKeyEvent(display_, code, True, CurrentTime);
            XTestFakeKeyEvent(display_, code, False, CurrentTime);
            XSync(display_, False);
            idleFor(e, 30);
        }
    }

    // --- What the window shows.

    // The host window's pixels, top-down BGRA.
    bool capture(size_t host, std::vector<uint8_t>& bgra, int& width, int& height)
    {
        XSync(display_, False);
        return hosts_[host]->capture(bgra, width, height);
    }
    // The engine's value of a parameter as the interface hands it out.
    static float engineValue(AEffect* e, const AM_ParamInfo* info)
    {
        return value(e, info->index);
    }

    Display* display_ = nullptr;
    std::vector<std::unique_ptr<platform::HostWindow>> hosts_;
};

} // namespace surfacetest
