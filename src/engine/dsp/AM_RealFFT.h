#pragma once
// Radix-2 fast Fourier transform of real signals.
//
// The transform length is a power of two, 2^b with b = round(log2(length)).
// It keeps a bit-reversal table, one cosine table per stage and a work
// buffer; its passes alternate between the output array and the work buffer
// so that the last one ends in the output.
//
// Spectrum layout (forward output, inverse input), N the transform length:
//   f[k]         k = 0 .. N/2      real part of bin k
//   f[N/2 + k]   k = 1 .. N/2 - 1  imaginary part of bin k, as the sum of
//                                  x[n] * sin(2 pi k n / N) (the opposite
//                                  sign of the usual e^(-i..) convention)
// For N = 4: f0 = x0 + x1 + x2 + x3, f1 = x0 - x2, f2 = x0 + x2 - (x1 + x3),
// f3 = x1 - x3. For N = 2: f0 = x0 + x1, f1 = x0 - x1. For N = 1 the value
// is copied.
//
// forward does not scale; inverse returns N times the signal.
//
// A requested length that is not a power of two is served by the nearest
// power of two, and the caller's arrays keep the requested length: the
// transform reads at most that many values (missing ones count as zero) and
// writes exactly that many (values past the transform length are zero).
// Nothing is ever read or written past the caller's arrays.
//
// Construction and destruction allocate (not on the audio thread); forward
// and inverse allocate nothing. One object may not run two transforms at the
// same time (the work buffer is shared); input and output must not overlap.

#include <cstdint>
#include <vector>

class AM_RealFFT {
public:
    // Not on the audio thread (allocates the tables). length < 1 counts as 1.
    explicit AM_RealFFT(int32_t length);
    ~AM_RealFFT();
    AM_RealFFT(const AM_RealFFT&) = delete;
    AM_RealFFT& operator=(const AM_RealFFT&) = delete;

    // Spectrum of `requestedLength()` real samples. Any thread, one call at a
    // time per object.
    void forward(float* spectrum, const float* signal);
    // N times the signal whose spectrum is given. Any thread, one call at a
    // time per object. The spectrum is not modified.
    void inverse(const float* spectrum, float* signal);

    // Transform length N = 2^bitCount. Any thread.
    int32_t length() const { return length_; }
    int32_t bitCount() const { return bitCount_; }
    // The length asked for at construction (the size of the caller's arrays).
    int32_t requestedLength() const { return requestedLength_; }

    // Largest supported bit count; longer lengths are served by 2^kMaxBits.
    static constexpr int32_t kMaxBits = 24;

private:
    void buildBitReversalTable();
    void buildCosineTables();
    void freeTables();
    const float* cosineTable(int32_t stage) const;

    void forwardTransform(float* f, const float* x);
    void inverseTransform(const float* f, float* x);

    std::vector<uint32_t> bitReversal_;
    std::vector<float> cosines_;
    float sqrt2Half_;
    int32_t length_;
    int32_t bitCount_;
    std::vector<float> work_;
    // Only when the requested length is not the transform length: copies of
    // the caller's data at the transform length.
    int32_t requestedLength_;
    std::vector<float> stagingIn_;
    std::vector<float> stagingOut_;
};
