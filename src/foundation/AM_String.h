#pragma once
// AM_String: the program's string for text that reaches the file system:
// paths, folder and file names, preset names. Holds UTF-16 text in one heap
// buffer sized exactly (no spare capacity); a null buffer is the empty
// string. Narrow text is UTF-8 (see platform/TextConversion.h: bytes that are
// not valid UTF-8 survive the round trip through an AM_String).
//
// Lengths and indices count 16-bit units. A value object: each instance
// belongs to one thread at a time; any thread may use its own instances.

#include <cstdint>

class AM_String {
public:
    AM_String() = default;
    AM_String(const AM_String& other);
    AM_String(AM_String&& other) noexcept;
    // The narrow (UTF-8) text converted; null gives the empty string.
    // Not explicit: a literal name can be passed where an AM_String is taken.
    AM_String(const char* narrow);
    virtual ~AM_String();

    AM_String& operator=(const AM_String& other);
    AM_String& operator=(AM_String&& other) noexcept;

    // Units before the terminating zero; 0 when empty.
    int32_t length() const;
    // The unit at index; 0 when the index lies outside the text.
    char16_t charAt(int32_t index) const;
    // The buffer (null when empty) for calls that take a wide text.
    const char16_t* getWide() const { return buffer_; }

    // Converts the units from index start to the end into out, writing at
    // most maxLen + 1 bytes (out must hold them); the text is cut at a
    // character boundary and always terminated (nothing is written when
    // maxLen is negative). Returns the bytes written before the terminator.
    int32_t getNarrow(char* out, int32_t maxLen, int32_t start = 0) const;
    // Bytes the narrow form of the units from index start needs (no
    // terminator): size a buffer with getNarrowLength() + 1.
    int32_t getNarrowLength(int32_t start = 0) const;

    // Unit-by-unit comparison of the whole texts; two empty strings are equal.
    bool operator==(const AM_String& other) const;
    bool operator!=(const AM_String& other) const { return !(*this == other); }
    // True when the last other.length() units equal other (false when other
    // is longer).
    bool endsWith(const AM_String& other) const;
    // Searches from index start (limited to the last index) back to 0; the
    // index found, or -1 (also for a negative start or an empty string).
    int32_t lastIndexOf(char16_t character, int32_t start) const;
    // The units after the last '.' into target, answering true; false (target
    // unchanged) when there is no '.' or the string is one unit long.
    bool getExtension(AM_String& target) const;

    void clear();
    void append(const AM_String& other);
    void appendWide(const char16_t* text);
    void appendNarrow(const char* text);
    void appendChar(char16_t character);
    // Appends count units of other from index start; the range is limited to
    // other's text.
    void appendSubstring(const AM_String& other, int32_t start, int32_t count);
    // Cuts the string at its last '.' when that stands at index 1 or later and
    // answers true; false and unchanged otherwise.
    bool removeExtension();

private:
    void appendUnits(const char16_t* units, int32_t count);
    int32_t lastDot() const;

    char16_t* buffer_ = nullptr;
};
