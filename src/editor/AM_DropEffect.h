#pragma once
// What a drop over the editor does, from the modifier keys held and the
// effects the drag's source allows: Control prefers a copy, Shift or no key
// a move; an effect the source does not allow gives way to the other one.
//
// Any thread (no state).

#include <cstdint>

// Effect bits (a source allows a set of them; a drop has one or none).
inline constexpr uint32_t kAM_DropEffectNone = 0;
inline constexpr uint32_t kAM_DropEffectCopy = 1;
inline constexpr uint32_t kAM_DropEffectMove = 2;

// modifiers: the editor's bits (1 Shift, 4 Control, 8 Alt). accepted: the
// drag carries data the editor takes; none otherwise.
uint32_t AM_dropEffect(int modifiers, uint32_t allowed, bool accepted);
