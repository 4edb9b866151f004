#pragma once
// Small text helpers of the GUI-to-engine interface: bounded copies and
// comparisons of the fixed-size name fields, and the module part of a
// module path.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace viewtext {

// Copies at most capacity - 1 bytes of text (up to its terminator) and
// terminates; a null text gives "".
inline void copy(char* out, size_t capacity, const char* text)
{
    if (capacity == 0)
        return;
    size_t n = 0;
    if (text != nullptr)
        while (n + 1 < capacity && text[n] != 0)
            ++n;
    if (n > 0)
        std::memcpy(out, text, n);
    out[n] = 0;
}

// True when a name field of `fieldBytes` bytes (terminated, or filled to
// its end) holds exactly the text.
inline bool sameName(const char* field, size_t fieldBytes, const char* text)
{
    if (field == nullptr || text == nullptr)
        return false;
    size_t i = 0;
    for (; i < fieldBytes && field[i] != 0; ++i)
        if (field[i] != text[i])
            return false;
    return text[i] == 0;
}

// The part of a module path before its first '/', cut to fit.
inline void modulePart(char* out, size_t capacity, const char* path)
{
    if (capacity == 0)
        return;
    size_t n = 0;
    if (path != nullptr)
        while (n + 1 < capacity && path[n] != 0 && path[n] != '/')
            ++n;
    if (n > 0)
        std::memcpy(out, path, n);
    out[n] = 0;
}

// A float as a whole number: truncated toward zero, clamped to the int32
// range, 0 for a value that is not a number.
inline int32_t truncated(float value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

} // namespace viewtext
