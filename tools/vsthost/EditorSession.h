#pragma once
// The plug-in's editor in a window of the host's, as a host shows it: a
// top-level window at the editor's size, effEditOpen with its id, effEditIdle
// at 60 Hz, audioMasterSizeWindow answered by resizing the window. Tests
// drive it idle by idle and read the window's pixels back.
//
// User-interface thread only (the thread that loaded the plug-in).

#include "HostedPlugin.h"

#include "platform/HostWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace vsthost {

class EditorSession {
public:
    static constexpr double kIdleRate = 60.0;

    explicit EditorSession(HostedPlugin& plugin);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    // Opens the window and the editor in it; false with a reason.
    bool open(std::string& error);
    // effEditClose, then the window goes.
    void close();
    bool isOpen() const { return open_; }

    // One idle: the window's events, then effEditIdle. False once the
    // window was closed.
    bool idle();
    // n idles, paced at kIdleRate when paced.
    bool idle(int count, bool paced);
    // Idles at kIdleRate until the window is closed.
    void run();

    // The editor's rectangle as effEditGetRect answers it (width, height).
    bool editorSize(int& width, int& height);
    // The window's pixels (top-down BGRA) and a PNG of them.
    bool capture(std::vector<uint8_t>& bgra, int& width, int& height);
    bool screenshot(const std::string& path, std::string& error);

    platform::HostWindow* window() const { return window_.get(); }
    // Sizes the plug-in asked for, "WxH", in order.
    const std::vector<std::string>& sizeRequests() const { return sizeRequests_; }

private:
    HostedPlugin& plugin_;
    std::unique_ptr<platform::HostWindow> window_;
    std::vector<std::string> sizeRequests_;
    bool open_ = false;
};

} // namespace vsthost
