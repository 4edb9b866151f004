#pragma once
// The operator routines in their four type forms. Every operation is
// defined for every input: int arithmetic wraps, division and remainder by
// zero give 0 (the most negative int divided by -1 gives itself, its
// remainder 0), shift counts are taken modulo 32 and negative numbers shift
// as two's complement, float-to-int conversions saturate (NaN gives 0).

#include "script/AM_ScriptMachine.h"
#include "script/ScriptRoutines.h"

#include <cstdint>
#include <limits>

namespace script::ops {

constexpr uint32_t kShiftMask = 31;

inline int32_t wrap(uint32_t value)
{
    return static_cast<int32_t>(value);
}
inline uint32_t bits(int32_t value)
{
    return static_cast<uint32_t>(value);
}
inline float boolFloat(bool value)
{
    return value ? 1.0f : 0.0f;
}

inline int32_t divide(int32_t a, int32_t b)
{
    if (b == 0)
        return 0;
    if (b == -1)
        return wrap(0u - bits(a)); // the most negative int stays itself
    return a / b;
}

inline int32_t remainder(int32_t a, int32_t b)
{
    if (b == 0 || b == -1)
        return 0;
    return a % b;
}

inline int32_t shiftLeft(int32_t a, int32_t count)
{
    return wrap(bits(a) << (bits(count) & kShiftMask));
}
inline int32_t shiftRight(int32_t a, int32_t count)
{
    return a >> (bits(count) & kShiftMask);
}

// Float operations that work on truncated ints give the int result back as
// a float.
template <int32_t (*Int)(int32_t, int32_t)> inline float viaInt(float a, float b)
{
    return static_cast<float>(Int(truncateToInt(a), truncateToInt(b)));
}

struct Multiply {
    static float f(float a, float b) { return a * b; }
    static int32_t i(int32_t a, int32_t b) { return wrap(bits(a) * bits(b)); }
};
struct Divide {
    static float f(float a, float b) { return a / b; }
    static int32_t i(int32_t a, int32_t b) { return divide(a, b); }
};
struct Modulo {
    static float f(float a, float b) { return viaInt<remainder>(a, b); }
    static int32_t i(int32_t a, int32_t b) { return remainder(a, b); }
};
struct Add {
    static float f(float a, float b) { return a + b; }
    static int32_t i(int32_t a, int32_t b) { return wrap(bits(a) + bits(b)); }
};
struct Subtract {
    static float f(float a, float b) { return a - b; }
    static int32_t i(int32_t a, int32_t b) { return wrap(bits(a) - bits(b)); }
};
struct ShiftLeft {
    static float f(float a, float b) { return viaInt<shiftLeft>(a, b); }
    static int32_t i(int32_t a, int32_t b) { return shiftLeft(a, b); }
};
struct ShiftRight {
    static float f(float a, float b) { return viaInt<shiftRight>(a, b); }
    static int32_t i(int32_t a, int32_t b) { return shiftRight(a, b); }
};
struct Less {
    static float f(float a, float b) { return boolFloat(a < b); }
    static int32_t i(int32_t a, int32_t b) { return a < b; }
};
struct LessEqual {
    static float f(float a, float b) { return boolFloat(a <= b); }
    static int32_t i(int32_t a, int32_t b) { return a <= b; }
};
struct Greater {
    static float f(float a, float b) { return boolFloat(a > b); }
    static int32_t i(int32_t a, int32_t b) { return a > b; }
};
struct GreaterEqual {
    static float f(float a, float b) { return boolFloat(a >= b); }
    static int32_t i(int32_t a, int32_t b) { return a >= b; }
};
struct Equal {
    static float f(float a, float b) { return boolFloat(a == b); }
    static int32_t i(int32_t a, int32_t b) { return a == b; }
};
struct NotEqual {
    static float f(float a, float b) { return boolFloat(a != b); }
    static int32_t i(int32_t a, int32_t b) { return a != b; }
};
struct BitAnd {
    static int32_t op(int32_t a, int32_t b) { return a & b; }
    static float f(float a, float b) { return viaInt<op>(a, b); }
    static int32_t i(int32_t a, int32_t b) { return op(a, b); }
};
struct BitXor {
    static int32_t op(int32_t a, int32_t b) { return a ^ b; }
    static float f(float a, float b) { return viaInt<op>(a, b); }
    static int32_t i(int32_t a, int32_t b) { return op(a, b); }
};
struct BitOr {
    static int32_t op(int32_t a, int32_t b) { return a | b; }
    static float f(float a, float b) { return viaInt<op>(a, b); }
    static int32_t i(int32_t a, int32_t b) { return op(a, b); }
};
struct LogicalAnd {
    static float f(float a, float b) { return boolFloat(a != 0.0f && b != 0.0f); }
    static int32_t i(int32_t a, int32_t b) { return a != 0 && b != 0; }
};
struct LogicalOr {
    static float f(float a, float b) { return boolFloat(a != 0.0f || b != 0.0f); }
    static int32_t i(int32_t a, int32_t b) { return a != 0 || b != 0; }
};

// dst (float) op= src (float)
template <class Op> int32_t floatFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float& d = Routines::floatRegister(m, in.destination);
    d = Op::f(d, Routines::floatRegister(m, in.source));
    return index + 1;
}

template <class Op> int32_t intInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    int32_t& d = Routines::intRegister(m, in.destination);
    d = Op::i(d, Routines::intRegister(m, in.source));
    return index + 1;
}

// The int source converted to float.
template <class Op> int32_t floatInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float& d = Routines::floatRegister(m, in.destination);
    d = Op::f(d, static_cast<float>(Routines::intRegister(m, in.source)));
    return index + 1;
}

// The float source truncated to int.
template <class Op> int32_t intFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    int32_t& d = Routines::intRegister(m, in.destination);
    d = Op::i(d, truncateToInt(Routines::floatRegister(m, in.source)));
    return index + 1;
}

} // namespace script::ops
