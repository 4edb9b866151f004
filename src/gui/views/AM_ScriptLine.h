#pragma once
// One line of the GUI script, cut into tokens.
//
// A line ends at a NUL, LF or CR byte (consumed). Tab, space and '=' are
// separators; a run of them makes one boundary, and leading ones are
// skipped. A single quote toggles quoting and is dropped; inside quotes a
// tab, space or '=' is kept as a space, and a quoted empty text ('') is an
// empty token. At most kMaxChars characters and kMaxTokens tokens of a line
// are kept.
//
// A line is a comment (and is skipped by the reader) when its first kept
// character, taken as a signed byte, is '@' or below: empty lines, lines
// that begin with '/', '*', '#' or a digit, and lines whose first byte is
// 0x80 or above.
//
// Values are found by key: a key is a token directly followed by an
// unquoted '='; its value is the token after it. A value that happens to
// equal a key name is never taken for the key.
//
// Any thread; one object per reader.

#include "gui/views/AM_ScriptAttributes.h"

#include <cstddef>
#include <cstdint>

class AM_ScriptLine {
public:
    static constexpr int kMaxTokens = 49;
    static constexpr int kMaxChars = 1023;
    // A numeric value: at most this many characters and numbers are read.
    static constexpr int kMaxNumericChars = 135;
    static constexpr int kMaxNumbers = 16;

    // Tokenises the line at the start of text (at most length bytes) and
    // answers the bytes it took, the end byte included.
    size_t read(const char* text, size_t length);

    int tokenCount() const { return count_; }
    // Token i (0 is the keyword), or "" past the end.
    const char* token(int i) const;
    // The keyword, "" for an empty line.
    const char* keyword() const { return token(0); }
    bool isComment() const;
    // Whether the line was cut (more characters or tokens than kept).
    bool wasCut() const { return cut_; }

    // The value of key, or null when the line has no such key.
    const char* value(const char* key) const;
    // The value of the row's key, or null (also for a row of another
    // keyword than this line's).
    const char* value(AM_ScriptRow row) const;

    // Reads the numbers of the row's value into out (at most max, and at
    // most kMaxNumbers): int32_t for kInt, uint32_t for kUnsigned and kHex,
    // float for kFloat. Reading stops at the first part that is not a whole
    // number of the type. Answers the count (0 without the key, for an
    // empty value and for a text row).
    int numbers(AM_ScriptRow row, void* out, int max) const;

    // The same over any text with an explicit type.
    static int readNumbers(const char* text, AM_ScriptValueType type, void* out, int max);

private:
    struct Token {
        uint16_t start = 0;
        bool equalsFollows = false;
    };

    char chars_[kMaxChars + kMaxTokens + 1] = {};
    Token tokens_[kMaxTokens];
    int count_ = 0;
    bool cut_ = false;
};
