#pragma once
// Cutting UTF-8 text to a byte limit without splitting a character.
//
// Pure; any thread.

#include <cstddef>
#include <string>

namespace platform {

// The longest prefix of text of at most maxBytes bytes that does not end
// inside a UTF-8 character.
size_t utf8PrefixLength(const char* text, size_t length, size_t maxBytes);

// Copies text into buffer (bufferBytes bytes, terminator included), cut as
// utf8PrefixLength says; nothing when bufferBytes is 0. Answers whether the
// whole text fitted.
bool copyUtf8Bounded(const std::string& text, char* buffer, size_t bufferBytes);

} // namespace platform
