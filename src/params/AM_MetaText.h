#pragma once
// The escaping of the meta texts (author, description, usage) inside the
// "@meta" comment of a patch-state text. Each text stands between single
// quotes, so the writer escapes what would end the quotes or the comment:
//
//   backslash  \\      single quote  \'      double quote  \"
//   tab        \t      line feed     \n      carriage ret. \r
//   a '/' right behind a '*' (so "*/" never appears)        \/
//
// Reading maps every escape back to exactly the character it stands for, so
// a text survives a round trip byte for byte. Texts written by earlier
// writers (escaped line breaks as "\r\n", and authors not escaped at all)
// read as before: "\r\n" is CR LF, and a backslash that starts no known
// escape stays as written.
//
// Any thread; no state.

#include <cstdint>
#include <string>

namespace metatext {

// Appends the escaped form of text to out.
void escape(const char* text, std::string& out);

// Unescapes length characters of text into out, which holds at least
// length + 1 bytes; returns the length written (a terminator follows).
uint32_t unescape(const char* text, uint32_t length, char* out);

// The position behind the closing quote of the quoted text whose first
// character is at `from` (just behind the opening quote), escapes
// skipped; `end` when the text runs to the end. *textEnd gets the position
// of the closing quote (or end).
uint32_t findClosingQuote(const char* text, uint32_t from, uint32_t end, uint32_t* textEnd);

} // namespace metatext
