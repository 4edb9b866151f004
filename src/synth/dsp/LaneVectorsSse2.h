#pragma once
// Float vectors for the voice lanes in SSE2 (every x86-64 processor): 4
// lanes, and 8 as two vectors side by side; and vectors of 2 and 4 doubles.
//
// What the lane kernels need of a vector type: T, W (lanes), set1, zero,
// load and store (unaligned), loadMask (a lane's bits from a uint32_t), add,
// sub, mul, div, min and max (the instructions' semantics: min(a, b) = a < b
// ? a : b, max(a, b) = a > b ? a : b), andnot (~a & b), band, bor, cmpnle
// (not a <= b, true for NaN), cmpge (a >= b) and cmplt (a < b) (false for
// NaN), any (a mask with a lane set), mask (one bit per lane) and select
// (mask ? a : b).
//
// Everything here lies in an unnamed namespace: each file that includes it
// has its own copy, so no function compiled for one instruction set can
// stand in for one that a file compiled for another uses.

#include <emmintrin.h>

#include <cstdint>

namespace synthdsp {
namespace {

struct Sse2 {
    using T = __m128;
    static constexpr int32_t W = 4;
    static T set1(float a) { return _mm_set1_ps(a); }
    static T zero() { return _mm_setzero_ps(); }
    static T load(const float* p) { return _mm_loadu_ps(p); }
    static void store(float* p, T a) { _mm_storeu_ps(p, a); }
    static T add(T a, T b) { return _mm_add_ps(a, b); }
    static T sub(T a, T b) { return _mm_sub_ps(a, b); }
    static T mul(T a, T b) { return _mm_mul_ps(a, b); }
    static T div(T a, T b) { return _mm_div_ps(a, b); }
    static T min(T a, T b) { return _mm_min_ps(a, b); }
    static T max(T a, T b) { return _mm_max_ps(a, b); }
    static T andnot(T a, T b) { return _mm_andnot_ps(a, b); }
    static T band(T a, T b) { return _mm_and_ps(a, b); }
    static T bor(T a, T b) { return _mm_or_ps(a, b); }
    static T cmpnle(T a, T b) { return _mm_cmpnle_ps(a, b); }
    static bool any(T m) { return _mm_movemask_ps(m) != 0; }
    static T loadMask(const uint32_t* p)
    {
        return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static T cmpge(T a, T b) { return _mm_cmpge_ps(a, b); }
    static T cmplt(T a, T b) { return _mm_cmplt_ps(a, b); }
    static uint32_t mask(T m) { return uint32_t(_mm_movemask_ps(m)); }
    static T select(T m, T a, T b) { return _mm_or_ps(_mm_and_ps(m, a), _mm_andnot_ps(m, b)); }
};

// Two SSE2 vectors side by side as one of twice the lanes: twice the
// independent work per instruction chain, which long frame-to-frame chains
// (the filter's) leave room for.
struct Sse2Pair {
    struct T {
        __m128 lo, hi;
    };
    static constexpr int32_t W = 8;
    static T set1(float a) { return {_mm_set1_ps(a), _mm_set1_ps(a)}; }
    static T zero() { return {_mm_setzero_ps(), _mm_setzero_ps()}; }
    static T load(const float* p) { return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4)}; }
    static void store(float* p, T a)
    {
        _mm_storeu_ps(p, a.lo);
        _mm_storeu_ps(p + 4, a.hi);
    }
    static T add(T a, T b) { return {_mm_add_ps(a.lo, b.lo), _mm_add_ps(a.hi, b.hi)}; }
    static T sub(T a, T b) { return {_mm_sub_ps(a.lo, b.lo), _mm_sub_ps(a.hi, b.hi)}; }
    static T mul(T a, T b) { return {_mm_mul_ps(a.lo, b.lo), _mm_mul_ps(a.hi, b.hi)}; }
    static T div(T a, T b) { return {_mm_div_ps(a.lo, b.lo), _mm_div_ps(a.hi, b.hi)}; }
    static T min(T a, T b) { return {_mm_min_ps(a.lo, b.lo), _mm_min_ps(a.hi, b.hi)}; }
    static T max(T a, T b) { return {_mm_max_ps(a.lo, b.lo), _mm_max_ps(a.hi, b.hi)}; }
    static T andnot(T a, T b) { return {_mm_andnot_ps(a.lo, b.lo), _mm_andnot_ps(a.hi, b.hi)}; }
    static T band(T a, T b) { return {_mm_and_ps(a.lo, b.lo), _mm_and_ps(a.hi, b.hi)}; }
    static T bor(T a, T b) { return {_mm_or_ps(a.lo, b.lo), _mm_or_ps(a.hi, b.hi)}; }
    static T cmpnle(T a, T b) { return {_mm_cmpnle_ps(a.lo, b.lo), _mm_cmpnle_ps(a.hi, b.hi)}; }
    static bool any(T m) { return (_mm_movemask_ps(m.lo) | _mm_movemask_ps(m.hi)) != 0; }
    static T loadMask(const uint32_t* p) { return {Sse2::loadMask(p), Sse2::loadMask(p + 4)}; }
    static T cmpge(T a, T b) { return {_mm_cmpge_ps(a.lo, b.lo), _mm_cmpge_ps(a.hi, b.hi)}; }
    static T cmplt(T a, T b) { return {_mm_cmplt_ps(a.lo, b.lo), _mm_cmplt_ps(a.hi, b.hi)}; }
    static uint32_t mask(T m) { return Sse2::mask(m.lo) | (Sse2::mask(m.hi) << 4); }
    static T select(T m, T a, T b)
    {
        return {Sse2::select(m.lo, a.lo, b.lo), Sse2::select(m.hi, a.hi, b.hi)};
    }
};

// Doubles for the high-pass lanes: two in one vector, and four as two
// vectors. fromFloats and toFloats convert W floats.
struct Sse2Double {
    using T = __m128d;
    static constexpr int32_t W = 2;
    static T set1(double a) { return _mm_set1_pd(a); }
    static T load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, T a) { _mm_storeu_pd(p, a); }
    static T add(T a, T b) { return _mm_add_pd(a, b); }
    static T sub(T a, T b) { return _mm_sub_pd(a, b); }
    static T mul(T a, T b) { return _mm_mul_pd(a, b); }
    static T div(T a, T b) { return _mm_div_pd(a, b); }
    // Two floats in and out through 64-bit integer moves, whose pointer
    // types may alias the floats.
    static T fromFloats(const float* p)
    {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    static void toFloats(float* p, T a)
    {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(a)));
    }
};

struct Sse2DoublePair {
    struct T {
        __m128d lo, hi;
    };
    static constexpr int32_t W = 4;
    static T set1(double a) { return {_mm_set1_pd(a), _mm_set1_pd(a)}; }
    static T load(const double* p) { return {_mm_loadu_pd(p), _mm_loadu_pd(p + 2)}; }
    static void store(double* p, T a)
    {
        _mm_storeu_pd(p, a.lo);
        _mm_storeu_pd(p + 2, a.hi);
    }
    static T add(T a, T b) { return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)}; }
    static T sub(T a, T b) { return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)}; }
    static T mul(T a, T b) { return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)}; }
    static T div(T a, T b) { return {_mm_div_pd(a.lo, b.lo), _mm_div_pd(a.hi, b.hi)}; }
    static T fromFloats(const float* p)
    {
        return {Sse2Double::fromFloats(p), Sse2Double::fromFloats(p + 2)};
    }
    static void toFloats(float* p, T a)
    {
        Sse2Double::toFloats(p, a.lo);
        Sse2Double::toFloats(p + 2, a.hi);
    }
};

} // namespace
} // namespace synthdsp
