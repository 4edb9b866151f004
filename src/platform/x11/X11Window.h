#pragma once
// The editor's X11 child window: its own connection, the child of the host's
// window with the parent's visual and depth, the surface, the event pump and
// the two directions of drag and drop.
//
// GUI thread only.

#include "platform/DoubleClickDetector.h"
#include "platform/EditorWindow.h"
#include "platform/x11/X11Atoms.h"
#include "platform/x11/X11EditorWindow.h"

#include <X11/Xlib.h>

#include <memory>
#include <vector>

namespace platform::x11 {

class X11Surface;
class X11DropReceiver;
class X11DragSender;

// Windows of ours on the window's connection other than the editor window
// (the menus' popups): the pump hands their events over.
class X11SideWindows {
public:
    virtual ~X11SideWindows() = default;
    // True when the event is addressed to one of them (it is taken).
    virtual bool takeEvent(const XEvent& event) = 0;
};

class X11Window final : public EditorWindow {
public:
    static std::unique_ptr<X11Window> open(uintptr_t parent, int width, int height,
                                           const X11WindowOptions& options);
    ~X11Window() override;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    int width() const override { return width_; }
    int height() const override { return height_; }
    bool resize(int width, int height) override;
    void pumpEvents(WindowEventSink& sink) override;
    Surface& surface() override;
    DragSource& dragSource() override;
    void setDropTarget(DropTarget* target) override;
    std::unique_ptr<PopupHost> openPopupHost() override;
    void takeFocus() override;
    void leaveKeyToHost() override;
    uintptr_t nativeHandle() const override { return window_; }
    bool alive() const override { return alive_; }

    Display* display() const { return display_; }
    Window window() const { return window_; }
    const X11Atoms& atoms() const { return atoms_; }
    X11Surface& x11Surface() { return *surface_; }
    X11DropReceiver& dropReceiver() { return *receiver_; }
    X11DragSender& dragSender() { return *sender_; }
    // Who takes the events of our other windows (null: nobody).
    void setSideWindows(X11SideWindows* side) { side_ = side; }

    // Drag-and-drop and selection traffic of this window: true when the event
    // is one (handled or not).
    bool isTransferEvent(const XEvent& event) const;
    void handleTransferEvent(XEvent& event);

    // Open X11 windows of the process.
    static int openWindowCount();

private:
    X11Window() = default;
    void close();
    // True once the connection broke; the first time, the sink hears of it.
    bool connectionLost(WindowEventSink& sink);
    // Typed text comes through the display's input method as UTF-8 where
    // there is one; without it keys go through XLookupString.
    void openInputMethod();
    void closeInputMethod();

    Display* display_ = nullptr;
    Window parent_ = 0;
    Window window_ = 0;
    X11Atoms atoms_;
    std::unique_ptr<X11Surface> surface_;
    std::unique_ptr<X11DropReceiver> receiver_;
    std::unique_ptr<X11DragSender> sender_;
    X11SideWindows* side_ = nullptr;
    DoubleClickDetector doubleClicks_;
    int width_ = 0;
    int height_ = 0;
    bool alive_ = true;
    bool lostReported_ = false;
    XIM inputMethod_ = nullptr;
    XIC inputContext_ = nullptr;
    // The events of the X event being dispatched.
    std::vector<WindowEvent> translated_;
    // The key event being dispatched (type 0 when none).
    XEvent currentKey_{};
};

} // namespace platform::x11
