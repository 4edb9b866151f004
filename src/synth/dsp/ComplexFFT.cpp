#include "synth/dsp/ComplexFFT.h"

#include <cmath>
#include <utility>

namespace synthdsp {

ComplexFFT::ComplexFFT(int32_t size)
    : size_(size), cosines_(size_t(size / 2)), sines_(size_t(size / 2))
{
    const double step = 2.0 * std::acos(-1.0) / double(size);
    for (int32_t k = 0; k < size / 2; ++k) {
        cosines_[size_t(k)] = std::cos(step * double(k));
        sines_[size_t(k)] = std::sin(step * double(k));
    }
}

void ComplexFFT::inverse(double* data) const
{
    transform(data, true);
    const double scale = 1.0 / double(size_);
    for (int32_t i = 0; i < 2 * size_; ++i)
        data[i] *= scale;
}

void ComplexFFT::transform(double* data, bool conjugate) const
{
    const int32_t n = size_;
    // Bit-reversal permutation.
    for (int32_t i = 1, j = 0; i < n; ++i) {
        int32_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j) {
            std::swap(data[2 * i], data[2 * j]);
            std::swap(data[2 * i + 1], data[2 * j + 1]);
        }
    }
    const double sign = conjugate ? 1.0 : -1.0;
    for (int32_t length = 2; length <= n; length <<= 1) {
        const int32_t half = length >> 1;
        const int32_t stride = n / length;
        for (int32_t start = 0; start < n; start += length) {
            for (int32_t k = 0; k < half; ++k) {
                const double wr = cosines_[size_t(k * stride)];
                const double wi = sign * sines_[size_t(k * stride)];
                double* a = data + 2 * (start + k);
                double* b = data + 2 * (start + k + half);
                const double tr = b[0] * wr - b[1] * wi;
                const double ti = b[0] * wi + b[1] * wr;
                b[0] = a[0] - tr;
                b[1] = a[1] - ti;
                a[0] += tr;
                a[1] += ti;
            }
        }
    }
}

} // namespace synthdsp
