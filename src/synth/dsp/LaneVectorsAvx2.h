#pragma once
// Float vectors for the voice lanes in AVX2: 8 lanes. Only for files
// compiled with AVX2 code generation, called where the processor has it.
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

#include <immintrin.h>

#include <cstdint>

namespace synthdsp {
namespace {

struct Avx2 {
    using T = __m256;
    static constexpr int32_t W = 8;
    static T set1(float a) { return _mm256_set1_ps(a); }
    static T zero() { return _mm256_setzero_ps(); }
    static T load(const float* p) { return _mm256_loadu_ps(p); }
    static void store(float* p, T a) { _mm256_storeu_ps(p, a); }
    static T add(T a, T b) { return _mm256_add_ps(a, b); }
    static T sub(T a, T b) { return _mm256_sub_ps(a, b); }
    static T mul(T a, T b) { return _mm256_mul_ps(a, b); }
    static T div(T a, T b) { return _mm256_div_ps(a, b); }
    static T min(T a, T b) { return _mm256_min_ps(a, b); }
    static T max(T a, T b) { return _mm256_max_ps(a, b); }
    static T andnot(T a, T b) { return _mm256_andnot_ps(a, b); }
    static T band(T a, T b) { return _mm256_and_ps(a, b); }
    static T bor(T a, T b) { return _mm256_or_ps(a, b); }
    static T cmpnle(T a, T b) { return _mm256_cmp_ps(a, b, _CMP_NLE_UQ); }
    static bool any(T m) { return _mm256_movemask_ps(m) != 0; }
    static T loadMask(const uint32_t* p)
    {
        return _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
    }
    static T cmpge(T a, T b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
    static T cmplt(T a, T b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static uint32_t mask(T m) { return uint32_t(_mm256_movemask_ps(m)); }
    static T select(T m, T a, T b) { return _mm256_blendv_ps(b, a, m); }
};

} // namespace
} // namespace synthdsp
