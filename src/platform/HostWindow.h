#pragma once
// A top-level window as a plug-in host makes one to embed a plug-in's
// editor in: for the test host and the tests. The X11 one is made by
// platform/x11/X11HostWindow.h.
//
// GUI thread only.

#include <cstdint>
#include <vector>

namespace platform {

class HostWindow {
public:
    virtual ~HostWindow() = default;

    // The window id handed to the plug-in as the editor's parent.
    virtual uintptr_t nativeHandle() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Resizes the window (the plug-in asked the host); false when it failed.
    virtual bool resize(int width, int height) = 0;
    // Serves the window's own events; false once the window was closed.
    virtual bool pump() = 0;
    // Waits until the server has handled every request so far.
    virtual void sync() = 0;
    // The window's pixels as shown, the embedded editor included: top-down
    // BGRA with opaque alpha. False when they cannot be read.
    virtual bool capture(std::vector<uint8_t>& bgra, int& width, int& height) = 0;
};

} // namespace platform
