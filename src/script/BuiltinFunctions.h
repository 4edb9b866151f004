#pragma once
// The 17 built-in functions of the script language, in a read-only table
// ended by a record without a routine. A call is one "f()" instruction
// whose routine is the built-in's own: float parameter k is float register
// destination + k, int parameter k int register source + k, and the result
// replaces float register destination. Everything is computed in single
// precision.

#include "script/AM_FunctionRecord.h"

namespace script {

// The first record of the table; the table ends at the record whose routine
// is null. Any thread.
const AM_FunctionRecord* builtinFunctions();

// The built-in of that name, or null. Any thread.
const AM_FunctionRecord* findBuiltin(const char* name);

} // namespace script
