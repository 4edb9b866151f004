#pragma once
// Conversion between narrow text (UTF-8 bytes) and wide text (UTF-16 units).
//
// Both directions are lossless for the texts the program meets:
// - narrow -> wide -> narrow gives back every byte string unchanged: a byte
//   that does not start a valid UTF-8 sequence becomes the lone surrogate
//   U+DC00 + byte (U+DC80..U+DCFF) and turns back into that byte;
// - wide -> narrow -> wide keeps lone surrogates: U+DC80..U+DCFF become their
//   byte again, every other lone surrogate is written as its three-byte
//   generalised UTF-8 form and read back as the same unit. The one exception
//   is a run of U+DC80..U+DCFF units whose bytes spell a valid sequence; such
//   a run never comes out of the narrow -> wide conversion.
//
// Outputs are always zero-terminated when their capacity is above 0 and are
// cut at a character boundary (never inside a UTF-8 sequence or a surrogate
// pair). All functions are pure; any thread.

#include <cstddef>

namespace platform {

// Longest UTF-8 form of one code point.
constexpr size_t kMaxUtf8SequenceBytes = 4;

// The code point of the strictly valid UTF-8 sequence at text[0] (no
// overlong form, no encoded surrogate, nothing above U+10FFFF): its length in
// bytes (1 to 4), or 0 when the bytes there are no such sequence.
size_t decodeUtf8(const char* text, size_t length, char32_t& codePoint);

// UTF-8 bytes that the wide text of `length` units converts to (no terminator).
size_t utf8LengthOfUtf16(const char16_t* text, size_t length);

// Encodes the character at text[0] (one unit, or two for a surrogate pair)
// into out; returns the bytes written (1 to 4) and sets consumed to the units
// used. length must be at least 1.
size_t encodeUtf8(const char16_t* text, size_t length, char out[kMaxUtf8SequenceBytes],
                  size_t& consumed);

// Converts `length` wide units into out (capacity bytes, terminator included).
// Returns the bytes written before the terminator.
size_t utf16ToUtf8(char* out, size_t capacity, const char16_t* text, size_t length);

// UTF-16 units that `length` narrow bytes convert to (no terminator).
size_t utf16LengthOfUtf8(const char* text, size_t length);

// Converts `length` narrow bytes into out (capacity units, terminator
// included). Returns the units written before the terminator.
size_t utf8ToUtf16(char16_t* out, size_t capacity, const char* text, size_t length);

// Number of bytes at the end of text[0..length) that form an incomplete
// UTF-8 sequence (a lead byte followed by fewer continuation bytes than it
// announces); 0 when the text ends on a character boundary.
size_t incompleteUtf8Tail(const char* text, size_t length);

} // namespace platform
