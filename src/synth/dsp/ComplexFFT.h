#pragma once
// Double-precision complex FFT for table design (not for the audio path).

#include <cstdint>
#include <vector>

namespace synthdsp {

class ComplexFFT {
public:
    // size: a power of two >= 2. Allocates its tables. Not on the audio thread.
    explicit ComplexFFT(int32_t size);

    int32_t size() const { return size_; }

    // In-place transform of interleaved (re, im) pairs, 2 * size doubles.
    // forward: X[k] = sum x[n] e^(-2 pi i k n / N); inverse: the conjugate
    // transform divided by N, so inverse(forward(x)) = x. Any thread, one call
    // at a time per object.
    void forward(double* data) const { transform(data, false); }
    void inverse(double* data) const;

private:
    void transform(double* data, bool conjugate) const;

    int32_t size_;
    std::vector<double> cosines_; // cos(2 pi k / N), k < N / 2
    std::vector<double> sines_;   // sin(2 pi k / N), k < N / 2
};

} // namespace synthdsp
