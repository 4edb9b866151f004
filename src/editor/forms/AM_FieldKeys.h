#pragma once
// The keys every entry field understands: caret moves (Shift extends the
// selection), Backspace and Delete, Control+A, and typed characters.
//
// GUI thread only.

#include "editor/forms/AM_TextField.h"
#include "platform/WindowEvent.h"

// True when the key was one of them (the field may have changed).
bool AM_applyFieldKey(AM_TextField& field, const platform::WindowEvent& event);
