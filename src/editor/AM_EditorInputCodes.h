#pragma once
// How the editor window's events become the view manager's input: the
// mouse-button word, the modifier bits of wheel and drag events, the host's
// key records and the key codes the GUI takes. Pure functions.
//
// Any thread (no state).

#include "platform/WindowEvent.h"
#include "plugin/vst/VstEditorTypes.h"

#include <cstdint>

// The button word of "no button down".
inline constexpr int32_t kAM_NoButton = -1;
inline constexpr int32_t kAM_ButtonLeft = 0;
inline constexpr int32_t kAM_ButtonRight = 2;
inline constexpr int32_t kAM_ModifierShift = 1;
inline constexpr int32_t kAM_ModifierControl = 4;
inline constexpr int32_t kAM_ModifierAlt = 8;

// The button word of a press: 0 for the primary button, 2 for the secondary
// one, ORed with 1 Shift, 4 Control, 8 Alt; kAM_NoButton for no button.
int32_t AM_mouseButtonWord(platform::PointerButton button, int modifiers);
// The modifier bits alone (1 Shift, 4 Control, 8 Alt), as wheel and drag
// events carry them.
uint32_t AM_modifierBits(int modifiers);
// The host's modifier bits of a key record (shift, alternate, command,
// control) as the editor's bits.
uint32_t AM_modifiersOfKey(const VstKeyCode& key);

// The key code handed to the GUI: the character when the virtual key is 0
// or beyond the table; otherwise the table's code (27 Escape, 28-31 the
// arrows, 8 Delete, 'g' 'c' 's' 'i' 'h' for F1-F5), 0 for a key the GUI does
// not use.
uint32_t AM_guiKeyCode(const VstKeyCode& key);

// The key record of a key event of the window: the virtual key when the
// event has one, else the character with virtual key 0.
VstKeyCode AM_keyCodeOfEvent(const platform::WindowEvent& event);
