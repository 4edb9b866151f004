// The audio manager's small services: the shared random sequence and the
// 2048-point FFT between its two work buffers.

#include "engine/AM_AudioMan.h"

#include "engine/dsp/AM_RealFFT.h"
#include "engine/module/AM_Random.h"

namespace {

constexpr int32_t kHalf = AM_AudioMan::kFFTLength / 2;
// Scales of the sign convention: the real half and the imaginary half.
constexpr float kRealScale = 2.0f;
constexpr float kImaginaryScale = -2.0f;

void negate(float* values, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        values[i] = -values[i];
}

void scale(float* values, int32_t count, float factor)
{
    for (int32_t i = 0; i < count; ++i)
        values[i] *= factor;
}

} // namespace

float AM_AudioMan::randomRange(float low, float high)
{
    return AM_Random::range(low, high);
}

void AM_AudioMan::transformFFT(bool inverse)
{
    float* signal = fftBuffers_[0]->data;
    float* spectrum = fftBuffers_[1]->data;
    const bool convention = pluginInfo_.fftSignConvention != 0;
    if (inverse) {
        if (convention)
            negate(spectrum + kHalf, kHalf);
        fft_->inverse(spectrum, signal);
        if (convention)
            negate(spectrum + kHalf, kHalf);
        return;
    }
    fft_->forward(spectrum, signal);
    if (convention) {
        scale(spectrum + kHalf, kHalf, kImaginaryScale);
        scale(spectrum, kHalf, kRealScale);
    }
}

void AM_AudioMan::getFFTBuffers(float** first, float** second, float** secondUpper)
{
    if (first)
        *first = fftBuffers_[0]->data;
    if (second)
        *second = fftBuffers_[1]->data;
    if (secondUpper)
        *secondUpper = fftBuffers_[1]->data + kHalf;
}
