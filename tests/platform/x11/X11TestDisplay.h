#pragma once
// The tests' side of an X server: a connection of their own, a top-level
// window standing in for the host's, pointer and keys injected with XTest,
// and a pump that idles editor windows until something has arrived.
//
// Without a reachable display the fixture skips the test (it fails instead
// when KK_REQUIRE_X11 is set, as in CI).

// gtest before Xlib: Xlib's macros (None, Bool) would break gtest's headers.
#include <gtest/gtest.h>

#include "platform/EditorWindow.h"

#include <X11/Xlib.h>

#include <functional>
#include <vector>

namespace x11test {

// Records every event a pump hands over.
struct RecordingSink : platform::WindowEventSink {
    void onWindowEvent(const platform::WindowEvent& event) override { events.push_back(event); }
    std::vector<platform::WindowEvent> events;
};

class X11TestDisplay : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A mapped top-level window at (x, y) of the given size: the host's window.
    Window makeHostWindow(int x, int y, int width, int height);
    // Destroys one of those windows now.
    void destroyHostWindow(Window window);
    // Pumps the window until done() says so or timeoutMs passed. The default
    // is far longer than anything takes even on a loaded machine: it only
    // ends a test that would otherwise wait for ever.
    static constexpr int kPatientMs = 60000;
    bool pumpUntil(platform::EditorWindow& window, RecordingSink& sink,
                   const std::function<bool()>& done, int timeoutMs = kPatientMs);
    // Pumps for a while (lets everything in flight arrive).
    void pumpFor(platform::EditorWindow& window, RecordingSink& sink, int ms);

    // Injected input, at window coordinates of window.
    void movePointer(Window window, int x, int y);
    void button(unsigned int xButton, bool press);
    void click(unsigned int xButton) { button(xButton, true), button(xButton, false); }
    void key(unsigned long keysym, bool press);
    void tap(unsigned long keysym) { key(keysym, true), key(keysym, false); }

    // The window's pixels as 0xRRGGBB.
    std::vector<uint32_t> grab(Window window, int width, int height);

    Display* display_ = nullptr;
    std::vector<Window> hostWindows_;
};

} // namespace x11test
