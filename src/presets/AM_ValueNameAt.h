#pragma once
// The one way into a table of value names: the names of the whole values of
// a list parameter, the first entry naming the parameter's minimum. Both
// the value and the minimum are taken as whole numbers (truncated toward
// zero); a value whose entry (value - minimum) falls outside the table, or
// that is not a number, has no name.
//
// Any thread: a plain function of its arguments.

#include "engine/module/AM_AudioObject.h"

#include <cstdint>

// The name of value in names (count entries, the first for minimum); null
// when there is none.
const char* AM_valueNameAt(AM_ValueNames names, int32_t count, float value, float minimum);
