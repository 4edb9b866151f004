#pragma once
// The script engine's diagnostic channel: the compiler, the machine and the
// runtime report on the process's standard output, formatted like the C
// library's printf but independent of the locale (the decimal point is
// always '.').
//
// Supported: %d %i %u %x %X %c %s %f %% with the flags '-', '+', ' ', '0',
// a width and a precision (both decimal, '*' is not supported); length
// modifiers (l, h, z) are accepted and ignored. A line longer than
// kPrintCapacity - 1 characters is cut.

#include <cstdarg>
#include <cstddef>

namespace script {

constexpr size_t kPrintCapacity = 512;

// Formats into out (capacity bytes, terminator included) and returns the
// length written. Any thread.
size_t formatText(char* out, size_t capacity, const char* format, va_list args);

// Formats and writes the text to the standard-output channel. Any thread
// but the audio thread (scripts never run there).
void print(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace script
