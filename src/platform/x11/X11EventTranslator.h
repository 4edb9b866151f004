#pragma once
// Turns X events into the platform's WindowEvent: one table of buttons, one
// of keysyms, the modifier bits of the event state, and the double-click
// decision. Nothing else in the program sees an XEvent.
//
// GUI thread only.

#include "platform/DoubleClickDetector.h"
#include "platform/WindowEvent.h"

#include <X11/Xlib.h>

namespace platform::x11 {

// What an X button number means.
struct ButtonMeaning {
    PointerButton button = PointerButton::NoButton; // NoButton: not a button we take
    int wheel = 0;                                  // +1 or -1 for wheel steps
};
ButtonMeaning meaningOfButton(unsigned int xButton);

// The modifier bits of an X event state (Shift, the secondary button held,
// Control, Alt).
int modifiersOfState(unsigned int state);

// A key: its virtual key, or else the character it types (Latin-1, 0 when
// none).
struct KeyMeaning {
    int virtualKey = kVirtualKeyNone;
    uint32_t character = 0;
};
// keysym and the text XLookupString gave for it (length bytes).
KeyMeaning meaningOfKey(unsigned long keysym, const char* text, int length);

// Translates one event of the editor's window. False when the event means
// nothing to the editor (button 2, the release of a wheel step, events of
// other kinds). Presses go through the double-click detector.
bool translateEvent(XEvent& event, DoubleClickDetector& doubleClicks, WindowEvent* out);

} // namespace platform::x11
