#pragma once
// Helpers for reading numbers out of blocks that arrive from saved state:
// any bit pattern may sit in a field, so every float is checked before it is
// used for geometry or drawing.
//
// Any thread: plain functions of their arguments.

#include <cmath>
#include <cstddef>
#include <cstring>

// Limits value to [lo, hi]; a value that is not finite becomes fallback.
// Counts the fields it had to change in *mended (when given).
inline float mendFloat(float value, float lo, float hi, float fallback, int* mended)
{
    float result = value;
    if (!std::isfinite(value))
        result = fallback;
    else if (value < lo)
        result = lo;
    else if (value > hi)
        result = hi;
    if (mended && !(result == value))
        ++*mended;
    return result;
}

// Limits an integer to [lo, hi].
inline int clampInt(int value, int lo, int hi)
{
    return value < lo ? lo : (value > hi ? hi : value);
}

// A float limited to [lo, hi] and converted by truncation; not finite gives lo.
inline int truncClamped(float value, int lo, int hi)
{
    if (!std::isfinite(value) || value <= float(lo))
        return lo;
    if (value >= float(hi))
        return hi;
    return int(value);
}

// Takes row `from` out of rows and puts it at `to`; the rows between shift
// by one place towards `from`. Both indices must be valid.
template <size_t N>
void moveRow(float (*rows)[N], int from, int to)
{
    float row[N];
    std::memcpy(row, rows[from], sizeof row);
    if (from < to)
        std::memmove(rows[from], rows[from + 1], sizeof row * size_t(to - from));
    else
        std::memmove(rows[to + 1], rows[to], sizeof row * size_t(from - to));
    std::memcpy(rows[to], row, sizeof row);
}
