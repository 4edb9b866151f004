#pragma once
// The editor's child window inside the host's window, as the editor sees it:
// its size, the surface its frame is shown on, the events it reports, and
// drag and drop. The X11 window (platform/x11/X11EditorWindow.h) implements
// it; HeadlessEditorWindow keeps everything in memory for tests.
//
// GUI thread only (the host's user-interface thread).

#include "platform/DragDrop.h"
#include "platform/PopupHost.h"
#include "platform/Surface.h"
#include "platform/WindowEvent.h"

#include <cstdint>
#include <memory>

namespace platform {

class EditorWindow {
public:
    // Destroying the object destroys the window and closes its connection.
    virtual ~EditorWindow() = default;

    // The window's size in pixels.
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Resizes the window (and its surface); false when it failed.
    virtual bool resize(int width, int height) = 0;
    // Hands every event that arrived since the last call to the sink (pointer
    // motion compressed to the latest position), then returns. Called from the
    // host's idle call; nothing runs between calls.
    virtual void pumpEvents(WindowEventSink& sink) = 0;
    // Where the editor's frame is presented.
    virtual Surface& surface() = 0;
    // Drags bytes out of this window.
    virtual DragSource& dragSource() = 0;
    // Who is told about drops on this window (null: drops are refused).
    virtual void setDropTarget(DropTarget* target) = 0;
    // Popup windows for the editor's menus, whose input this window's pump
    // gathers (null when there are none). One at a time; it must go before
    // the window.
    virtual std::unique_ptr<PopupHost> openPopupHost() = 0;
    // Hands the key event the sink is being told of back to the host's
    // window (call it from the sink, for keys the editor does not take).
    virtual void leaveKeyToHost() = 0;
    // Gives the window the keyboard focus.
    virtual void takeFocus() = 0;
    // The native window id (for the host and for tests).
    virtual uintptr_t nativeHandle() const = 0;
    // False once the window was destroyed from outside (its parent went away).
    virtual bool alive() const = 0;
};

} // namespace platform
