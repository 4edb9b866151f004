// The filter-response plot of the voice module: the impulse response of two
// cascaded two-pole sections with the coefficients of the latest render,
// through the owner's FFT, as magnitudes and a phase row at points spaced
// logarithmically over the bins.

#include "synth/KestanAudio.h"

#include "engine/AM_AudioMan.h"
#include "foundation/AM_STD.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t kLength = AM_AudioMan::kFFTLength;
constexpr int32_t kHalf = kLength / 2;
constexpr uint32_t kPoints = KestanAudio::kPlotPoints;
constexpr uint32_t kHeaderBytes = 8;
// The points span the bins 1 .. 1000 logarithmically.
constexpr double kBinSpan = 1000.0;
constexpr int32_t kLastBin = kHalf - 1;
// The largest magnitude is scaled to 1 / 1.05.
constexpr float kHeadroom = 1.05f;
// Phase row: 0.5 is zero phase, a full turn spans 1.
constexpr float kPhaseCentre = 0.5f;
constexpr double kTwoPi = 6.283185307179586;

// Two cascaded state-variable sections driven by a unit impulse: sample 0 is
// 0, the impulse enters with sample 1. Output: the second section's low-pass.
void impulseResponse(float g, float k, float* out)
{
    float b1 = 0.0f, l1 = 0.0f, b2 = 0.0f, l2 = 0.0f;
    out[0] = 0.0f;
    for (int32_t n = 1; n < kLength; ++n) {
        const float x = n == 1 ? 1.0f : 0.0f;
        const float v = (x - l1 - k * b1) * g;
        b1 += v;
        l1 += g * b1;
        b2 += (l1 - l2 - k * b2) * g;
        l2 += g * b2;
        out[n] = l2;
    }
}

} // namespace

void* KestanAudio::getParameterData(uint32_t local)
{
    if (local != kPlotDataId) {
        AM_STD::printv("KestanAudio::getParameterData ( int id ) wrong id!!!|n");
        return nullptr;
    }
    computePlot();
    return plot_.get();
}

void KestanAudio::computePlot()
{
    float* magnitude = reinterpret_cast<float*>(plot_.get() + kHeaderBytes);
    float* phaseRow = magnitude + kPoints;
    auto* owner = dynamic_cast<AM_AudioMan*>(owner_);
    if (!owner) {
        std::fill(magnitude, phaseRow + kPoints, 0.0f);
        return;
    }
    float* signal = nullptr;
    float* spectrum = nullptr;
    owner->getFFTBuffers(&signal, &spectrum, nullptr);
    impulseResponse(lastCutoffCoefficient(), lastDamping(), signal);
    owner->transformFFT(false);

    const double exponent = std::log(kBinSpan) / (std::log(2.0) * double(kPoints - 1));
    float largest = 0.0f;
    float lowestPhase = 0.0f;
    uint32_t lowestAt = 0;
    for (uint32_t i = 0; i < kPoints; ++i) {
        const int32_t bin = std::clamp(int32_t(std::exp2(double(i) * exponent)), 1, kLastBin);
        const float re = spectrum[bin];
        const float im = spectrum[kHalf + bin];
        magnitude[i] = std::sqrt(re * re + im * im);
        largest = std::max(largest, magnitude[i]);
        const float phase = -std::atan2(im, re);
        phaseRow[i] = kPhaseCentre + float(double(phase) / kTwoPi);
        if (i == 0 || phase < lowestPhase) {
            lowestPhase = phase;
            lowestAt = i;
        }
    }
    phaseRow[lowestAt] = 0.0f;
    if (largest > 0.0f) {
        const float scale = 1.0f / (kHeadroom * largest);
        for (uint32_t i = 0; i < kPoints; ++i)
            magnitude[i] *= scale;
    }
}
