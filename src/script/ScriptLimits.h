#pragma once
// Sizes and limits of the script machine and its compiler. Everything a
// script can make grow is bounded here; going past a bound is a compile
// error or stops the run, never an overrun.

#include <cstdint>

namespace script {

// Storage of one machine.
constexpr int32_t kScalarSlots = 256;        // float and int scalars each
constexpr int32_t kArraySlots = 16;          // float and int arrays each
constexpr int32_t kMaxArrayElements = 65536; // all arrays of one machine together
constexpr int32_t kCodeCapacity = 32768;     // instruction records
constexpr int32_t kCodeReserve = 2;          // the closing "end of line" and the guard
constexpr int32_t kRegisterCount = 128;      // registers a compiled statement may use, per bank
constexpr int32_t kRegisterStorage = 256;    // registers held per bank: every u8 number is valid
constexpr int32_t kNoRegister = 255;         // index slot naming no register

// Names.
constexpr int32_t kVariableNameChains = 31; // chain n holds names of n + 1 characters
constexpr int32_t kMaxVariableName = 31;
constexpr int32_t kMaxFunctionName = 63;
constexpr int32_t kNameCapacity = 32;       // variable name buffer, terminator included
constexpr int32_t kSymbolNameCapacity = 64; // function name buffer, terminator included
constexpr int32_t kMaxNameParts = 8;        // parts of a dotted name
constexpr int32_t kNamePartCapacity = 32;   // one part, its '@' and terminator included

// Functions.
constexpr int32_t kMaxParameters = 7;
constexpr int32_t kSignatureCapacity = 16;
constexpr int32_t kMaxCallDepth = 256; // nested script-function calls while running

// Compiler.
constexpr int32_t kPreCodeCapacity = 2048;    // operand records of a statement and its nesting
constexpr int32_t kMaxStatementRecords = 128; // operand records of one statement
constexpr int32_t kMaxNesting = 64;           // nested scopes, ifs, fors, parentheses, calls
constexpr int32_t kMaxForStep = 64;           // characters of a for-statement's step clause
constexpr int32_t kMaxSizeDigits = 8;         // digits of an array size

// Running.
constexpr int32_t kMaxChains = 100000;                      // chains of one block run
constexpr uint32_t kDefaultRunBudget = 20u * 1000u * 1000u; // instructions of one block run

} // namespace script
