#pragma once
// What the editor's window reports: pointer, wheel, keys, exposure, focus and
// size, in the window's own pixel coordinates. The windowing code translates
// its native events into these, so nothing above the platform sees them.
//
// GUI thread only.

#include "platform/Surface.h"

#include <cstdint>

namespace platform {

// Modifier bits of a pointer or key event (the same bits as the editor's
// mouse-button word).
inline constexpr int kModifierShift = 1;
inline constexpr int kModifierSecondaryButton = 2;
inline constexpr int kModifierControl = 4;
inline constexpr int kModifierAlt = 8;

// Keys by the numbers the host's key opcodes use for them; a key without one
// of these is a character key (virtualKey 0).
enum VirtualKey : int {
    kVirtualKeyNone = 0,
    kVirtualKeyBack = 1,
    kVirtualKeyTab = 2,
    kVirtualKeyReturn = 5,
    kVirtualKeyEscape = 6,
    kVirtualKeyEnd = 9,
    kVirtualKeyHome = 10,
    kVirtualKeyLeft = 11,
    kVirtualKeyUp = 12,
    kVirtualKeyRight = 13,
    kVirtualKeyDown = 14,
    kVirtualKeyPageUp = 15,
    kVirtualKeyPageDown = 16,
    kVirtualKeyDelete = 22,
    kVirtualKeyF1 = 40,
    kVirtualKeyF2 = 41,
    kVirtualKeyF3 = 42,
    kVirtualKeyF4 = 43,
    kVirtualKeyF5 = 44,
};

enum class PointerButton : int { NoButton, Primary, Secondary };

enum class WindowEventKind : int {
    ButtonDown,  // button, modifiers, doubleClick
    ButtonUp,    // button, modifiers
    PointerMove, // modifiers (buttons held among them)
    Wheel,       // wheel (+1 or -1) at the point, modifiers
    KeyDown,     // virtualKey or character, modifiers
    KeyUp,
    Exposed, // area: window pixels that were shown again
    FocusGained,
    FocusLost,
    Resized,   // area: the window's new size at (0, 0)
    Destroyed, // the window went away under us (its parent was destroyed)
    Lost,      // the connection to the display broke: nothing can be shown any more
};

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::PointerMove;
    int x = 0;
    int y = 0;
    PointerButton button = PointerButton::NoButton;
    int modifiers = 0;
    bool doubleClick = false;
    int wheel = 0;
    int virtualKey = kVirtualKeyNone;
    // The character a key gives (a Unicode code point), 0 for none. An input
    // method that commits several characters at once gives one key-down each.
    uint32_t character = 0;
    PixelRect area;
    // The windowing system's time stamp in milliseconds (wraps).
    uint32_t time = 0;
};

// Receives the events of one pump.
class WindowEventSink {
public:
    virtual ~WindowEventSink() = default;
    virtual void onWindowEvent(const WindowEvent& event) = 0;
};

} // namespace platform
