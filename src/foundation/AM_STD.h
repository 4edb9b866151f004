#pragma once
// The framework's locale-free text kit: number conversions, the formatters
// (sprint, sprintv and the trace printv), the scanner scanv, the decimal
// reader AtoF and small string helpers over narrow, zero-terminated text.
//
// Every function may be called from any thread; none keeps state between
// calls. printv sends its text to the debug trace (platform/Trace.h) and
// never blocks or allocates on the audio thread.

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace AM_STD {

// Bytes before the terminating zero.
uint32_t strlen(const char* text);
// 0 when equal byte for byte, 1 otherwise (no ordering).
int strcmp(const char* a, const char* b);

// Number conversions; none writes a terminator. Each returns the characters
// written.
int ItoX(char* out, const uint32_t* value);
int ItoA(char* out, const int32_t* value, int minDigits);
int UtoA(char* out, const uint32_t* value, int minDigits);
// FtoA: fixed point with `decimals` digits (0 to 19; a larger count is
// reduced) behind a '.', rounded half to even; 0 decimals truncate. A value
// that is not >= 0 gets a '-' (so -0.0 has none); NaN gives "nan", infinities
// "inf" and "-inf". Writes at most kMaxNumberChars characters.
int FtoA(char* out, const double* value, int decimals);

// Longest output of one number conversion (FtoA of the largest double).
constexpr int kMaxNumberChars = 330;

// The formatters. Conversions: %% %c %d %u %x %X %s %f %.Nf, and %S (an
// AM_String*, written as UTF-8) for sprintv and printv. Each returns the
// length written (the terminator not counted). A bad precision (%.2d, %.-1f)
// writes "format mismatch error\n" to the standard-output channel and the
// formatting goes on; other unknown conversions vanish together with the
// character that follows them.
//
// The forms with a capacity never write more than capacity bytes, the
// terminator included (the text is cut at a character boundary of the
// format's output). The forms without a capacity write into a buffer that
// the caller sized for the longest text the format can give.
int sprint(char* out, const char* format, ...);
int sprintv(char* out, const char* format, ...);
int sprintn(char* out, size_t capacity, const char* format, ...);
int sprintvn(char* out, size_t capacity, const char* format, ...);
// sprintvn over an argument list, for formatters of callers' own.
int vsprintvn(char* out, size_t capacity, const char* format, va_list arguments);
// printv formats like sprintv and sends the text to the debug trace in pieces
// (after each line end, or once more than 250 characters are waiting), then
// a "\n" of its own. Never allocates.
void printv(const char* format, ...);

// scanv: position-based scanner. Conversions %d (int32_t*), %u, %x, %X
// (uint32_t*), %f (float*), %c (char*), and %s, which takes two arguments:
// the target (char*) and its capacity in bytes (uint32_t), terminator
// included. The text copied by %s is cut to fit and always terminated.
int scanv(const char* text, const char* format, ...);

// Reads a decimal number ('.' or ',' as separator, no exponent); stores it
// and returns the characters used.
int AtoF(const char* text, float* value);

// Escapes tab, LF, CR, '"', '\'' and '\\' in place; the result and its
// terminator stay inside size bytes.
void escapeString(char* buffer, uint32_t size);
// Undoes escapeString in place; returns the new length. \n and \r each give
// CR LF, a \r\n or \n\r pair gives one; an unknown escape stays as written.
int unescapeString(char* buffer);
// Position after the last '/' or '\' of the path; a separator in the first
// or the last position does not count (a/b/ gives b/).
const char* getFileName(const char* path);
// Index of the first occurrence of needle in text, or -1.
int32_t findString(const char* needle, const char* text);
// Replaces every character of set by replacement; returns the count.
int replaceChars(char* text, const char* set, char replacement);
// Copies source into out, shortened to maxLen characters with "..." in the
// middle when needed; out must hold maxLen + 1 bytes. Returns the length.
int shortenString(char* out, const char* source, int maxLen);

} // namespace AM_STD
