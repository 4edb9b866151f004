#pragma once
// Turns X events into the platform's WindowEvent: one table of buttons, one
// of keysyms, the modifier bits of the event state, and the double-click
// decision. Nothing else in the program sees an XEvent.
//
// GUI thread only.

#include "platform/DoubleClickDetector.h"
#include "platform/WindowEvent.h"

#include <X11/Xlib.h>

#include <string>
#include <vector>

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

// A key: its virtual key, or else the character it types (a Unicode code
// point, 0 when none).
struct KeyMeaning {
    int virtualKey = kVirtualKeyNone;
    uint32_t character = 0;
};
// keysym and the UTF-8 text looked up for it (length bytes): a key of the
// table, or the one character the text holds. Control characters and text
// that is not one whole character mean nothing.
KeyMeaning meaningOfKey(unsigned long keysym, const char* text, int length);

// The characters a piece of UTF-8 text types, in order: control characters
// and bytes that are no valid UTF-8 are left out.
std::vector<uint32_t> charactersOfText(const char* text, int length);

// What a key event says: its keysym (NoSymbol when none) and the text it
// types as UTF-8. A press goes through the input context when there is one
// (an input method may commit several characters, or none while it
// composes); without one, and for releases, XLookupString's Latin-1 text is
// turned into UTF-8.
struct KeyText {
    unsigned long keysym = NoSymbol;
    std::string utf8;
};
KeyText lookUpKey(XKeyEvent& key, XIC inputContext);

// Translates one event of the editor's window into out (emptied first):
// nothing when the event means nothing to the editor (button 2, the release
// of a wheel step, events of other kinds); one event in most cases; for a
// key press that commits several characters through the input context, one
// key-down per character. Presses go through the double-click detector.
void translateEvent(XEvent& event, DoubleClickDetector& doubleClicks, XIC inputContext,
                    std::vector<WindowEvent>& out);
// The same without an input context, for an event that gives at most one:
// false when it means nothing.
bool translateEvent(XEvent& event, DoubleClickDetector& doubleClicks, WindowEvent* out);

} // namespace platform::x11
