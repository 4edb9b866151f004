#pragma once
// Windows that float above everything at screen positions, for the
// editor's popup menus: each panel shows a BGRA picture drawn by the menu
// code, and while the menu is up the pointer and the keyboard are grabbed
// so that every press, release, motion and key comes here, in screen
// pixels. Nothing here waits: the events of the panels are gathered by the
// editor window's own pump (on the host's idle call) and handed out by
// pollEvent. The X11 host (platform/x11/X11PopupWindow.h) uses override-
// redirect windows on the editor window's connection; HeadlessPopupHost
// plays back events a test scripted.
//
// GUI thread only.

#include "platform/Surface.h"
#include "platform/WindowEvent.h"

#include <cstdint>

namespace platform {

struct PopupEvent {
    enum class Kind : int {
        Pause,       // a wait went by without input (scripted hosts)
        PointerMove, // x, y
        ButtonDown,  // x, y, button
        ButtonUp,    // x, y, button
        KeyDown,     // virtualKey or character, modifiers
        Wheel,       // x, y, wheel: +1 a step up, -1 a step down
        Ended,       // the grab was taken away or the window went: dismiss
    };
    Kind kind = Kind::Pause;
    // Screen pixels.
    int x = 0;
    int y = 0;
    PointerButton button = PointerButton::NoButton;
    int virtualKey = kVirtualKeyNone;
    uint32_t character = 0;
    int modifiers = 0;
    int wheel = 0;
};

class PopupHost {
public:
    virtual ~PopupHost() = default;

    // The screen's area, in screen pixels (menus are kept inside it).
    virtual PixelRect screenArea() const = 0;
    // A point of the editor's window in screen pixels.
    virtual void windowToScreen(int x, int y, int& screenX, int& screenY) const = 0;

    // Opens a panel at a screen rectangle, shown above everything; 0 when
    // it cannot be made. Panels are closed with closePanel or when the host
    // goes.
    virtual int openPanel(const PixelRect& screenRect) = 0;
    // Shows the picture (the panel's size) in the panel.
    virtual void presentPanel(int panel, const FrameView& picture) = 0;
    virtual void closePanel(int panel) = 0;

    // Takes the pointer and the keyboard while a menu is up; false when
    // another program holds them now (the caller may try again later). One
    // try, no waiting.
    virtual bool grabInput() = 0;
    virtual void releaseInput() = 0;

    // The next event that arrived for the panels; false when there is none
    // now. Never waits.
    virtual bool pollEvent(PopupEvent& event) = 0;
};

} // namespace platform
