#include "engine/dsp/AM_RealFFT.h"

#include <algorithm>
#include <cmath>

namespace {

// The first pass works on groups of 4, the second on groups of 8; each further
// stage s (2 .. b - 2) has a cosine table of 2^s entries at offset 2^s - 4.
constexpr int32_t kFirstTableStage = 2;
constexpr int32_t kTableOffsetBias = 4;
constexpr int32_t kFirstCosinePass = 3;

int32_t bitCountFor(int32_t length)
{
    if (length <= 1)
        return 0;
    const double bits = std::floor(std::log(double(length)) / std::log(2.0) + 0.5);
    return std::min(int32_t(bits), AM_RealFFT::kMaxBits);
}

} // namespace

AM_RealFFT::AM_RealFFT(int32_t length)
    : sqrt2Half_(float(std::sqrt(2.0) * 0.5)), length_(1), bitCount_(bitCountFor(length)),
      requestedLength_(std::max(length, int32_t(0)))
{
    length_ = int32_t(1) << bitCount_;
    buildBitReversalTable();
    buildCosineTables();
    if (bitCount_ >= kFirstCosinePass)
        work_.assign(size_t(length_), 0.0f);
    if (requestedLength_ != length_) {
        stagingIn_.assign(size_t(length_), 0.0f);
        stagingOut_.assign(size_t(length_), 0.0f);
    }
}

AM_RealFFT::~AM_RealFFT()
{
    work_.clear();
    freeTables();
    bitReversal_.clear();
}

void AM_RealFFT::buildBitReversalTable()
{
    // Counts in bit-reversed order: toggle from the highest bit down until a
    // bit turns on.
    bitReversal_.assign(size_t(length_), 0);
    uint32_t reversed = 0;
    for (int32_t i = 1; i < length_; ++i) {
        uint32_t bit = uint32_t(length_) >> 1;
        while (((reversed ^= bit) & bit) == 0)
            bit >>= 1;
        bitReversal_[size_t(i)] = reversed;
    }
}

void AM_RealFFT::buildCosineTables()
{
    if (bitCount_ < kFirstCosinePass + 1)
        return;
    cosines_.assign(size_t((int32_t(1) << (bitCount_ - 1)) - kTableOffsetBias), 0.0f);
    const double pi = std::acos(-1.0);
    for (int32_t stage = kFirstTableStage; stage <= bitCount_ - 2; ++stage) {
        const int32_t size = int32_t(1) << stage;
        float* table = cosines_.data() + (size - kTableOffsetBias);
        const double step = pi / double(int32_t(1) << (stage + 1));
        for (int32_t i = 0; i < size; ++i)
            table[i] = float(std::cos(double(i) * step));
    }
}

void AM_RealFFT::freeTables()
{
    cosines_.clear();
    cosines_.shrink_to_fit();
}

const float* AM_RealFFT::cosineTable(int32_t pass) const
{
    // Pass p (groups of 2^(p+1)) uses the table of stage p - 1.
    return cosines_.data() + ((int32_t(1) << (pass - 1)) - kTableOffsetBias);
}

void AM_RealFFT::forward(float* spectrum, const float* signal)
{
    if (requestedLength_ == length_) {
        forwardTransform(spectrum, signal);
        return;
    }
    const int32_t shared = std::min(requestedLength_, length_);
    std::copy(signal, signal + shared, stagingIn_.begin());
    std::fill(stagingIn_.begin() + shared, stagingIn_.end(), 0.0f);
    forwardTransform(stagingOut_.data(), stagingIn_.data());
    std::copy(stagingOut_.begin(), stagingOut_.begin() + shared, spectrum);
    std::fill(spectrum + shared, spectrum + requestedLength_, 0.0f);
}

void AM_RealFFT::inverse(const float* spectrum, float* signal)
{
    if (requestedLength_ == length_) {
        inverseTransform(spectrum, signal);
        return;
    }
    const int32_t shared = std::min(requestedLength_, length_);
    std::copy(spectrum, spectrum + shared, stagingIn_.begin());
    std::fill(stagingIn_.begin() + shared, stagingIn_.end(), 0.0f);
    inverseTransform(stagingIn_.data(), stagingOut_.data());
    std::copy(stagingOut_.begin(), stagingOut_.begin() + shared, signal);
    std::fill(signal + shared, signal + requestedLength_, 0.0f);
}

void AM_RealFFT::forwardTransform(float* f, const float* x)
{
    const int32_t n = length_;
    if (bitCount_ == 0) {
        f[0] = x[0];
        return;
    }
    if (bitCount_ == 1) {
        f[0] = x[0] + x[1];
        f[1] = x[0] - x[1];
        return;
    }
    if (bitCount_ == 2) {
        f[1] = x[0] - x[2];
        f[3] = x[1] - x[3];
        const float sum02 = x[0] + x[2];
        const float sum13 = x[1] + x[3];
        f[0] = sum02 + sum13;
        f[2] = sum02 - sum13;
        return;
    }

    // The first pass writes into df; with an even number of written passes
    // (b - 1 of them) the last one must land in f.
    float* df = (bitCount_ & 1) ? work_.data() : f;
    float* sf = (bitCount_ & 1) ? f : work_.data();

    // Groups of 4, read through the bit-reversal table.
    const uint32_t* rev = bitReversal_.data();
    for (int32_t i = 0; i < n; i += 4) {
        const float x0 = x[rev[i]];
        const float x1 = x[rev[i + 1]];
        const float x2 = x[rev[i + 2]];
        const float x3 = x[rev[i + 3]];
        float* d = df + i;
        d[1] = x0 - x1;
        d[3] = x2 - x3;
        const float s0 = x0 + x1;
        const float s2 = x2 + x3;
        d[0] = s0 + s2;
        d[2] = s0 - s2;
    }

    // Groups of 8.
    for (int32_t i = 0; i < n; i += 8) {
        const float* s = df + i;
        float* d = sf + i;
        d[0] = s[0] + s[4];
        d[4] = s[0] - s[4];
        d[2] = s[2];
        d[6] = s[6];
        float v = (s[5] - s[7]) * sqrt2Half_;
        d[1] = s[1] + v;
        d[3] = s[1] - v;
        v = (s[5] + s[7]) * sqrt2Half_;
        d[5] = v + s[3];
        d[7] = v - s[3];
    }

    // One pass per further stage, with that stage's cosines.
    for (int32_t pass = kFirstCosinePass; pass < bitCount_; ++pass) {
        const int32_t count = int32_t(1) << pass;
        const int32_t half = count >> 1;
        const float* cosines = cosineTable(pass);
        for (int32_t i = 0; i < n; i += 2 * count) {
            const float* s1r = sf + i;
            const float* s2r = s1r + count;
            const float* s1i = s1r + half;
            const float* s2i = s1i + count;
            float* dr = df + i;
            float* di = dr + count;

            // The extreme coefficients are real.
            dr[0] = s1r[0] + s2r[0];
            di[0] = s1r[0] - s2r[0];
            dr[half] = s1r[half];
            di[half] = s2r[half];

            for (int32_t k = 1; k < half; ++k) {
                const float c = cosines[k];
                const float s = cosines[half - k];
                float v = s2r[k] * c - s2i[k] * s;
                dr[k] = s1r[k] + v;
                di[-k] = s1r[k] - v;
                v = s2r[k] * s + s2i[k] * c;
                di[k] = v + s1i[k];
                di[count - k] = v - s1i[k];
            }
        }
        std::swap(df, sf);
    }
}

void AM_RealFFT::inverseTransform(const float* f, float* x)
{
    const int32_t n = length_;
    if (bitCount_ == 0) {
        x[0] = f[0];
        return;
    }
    if (bitCount_ == 1) {
        x[0] = f[0] + f[1];
        x[1] = f[0] - f[1];
        return;
    }
    if (bitCount_ == 2) {
        const float sum = f[0] + f[2];
        const float diff = f[0] - f[2];
        x[0] = sum + f[1] * 2.0f;
        x[2] = sum - f[1] * 2.0f;
        x[1] = diff + f[3] * 2.0f;
        x[3] = diff - f[3] * 2.0f;
        return;
    }

    // The passes undo the forward ones in reverse order. The first reads the
    // caller's spectrum (never written); the others alternate between the
    // work buffer and x so that the final bit-reversed pass writes x.
    const float* sf = f;
    float* df = (bitCount_ & 1) ? work_.data() : x;
    float* spare = (bitCount_ & 1) ? x : work_.data();

    for (int32_t pass = bitCount_ - 1; pass >= kFirstCosinePass; --pass) {
        const int32_t count = int32_t(1) << pass;
        const int32_t half = count >> 1;
        const float* cosines = cosineTable(pass);
        for (int32_t i = 0; i < n; i += 2 * count) {
            const float* sr = sf + i;
            const float* si = sr + count;
            float* d1r = df + i;
            float* d2r = d1r + count;
            float* d1i = d1r + half;
            float* d2i = d1i + count;

            d1r[0] = sr[0] + si[0];
            d2r[0] = sr[0] - si[0];
            d1r[half] = sr[half] * 2.0f;
            d2r[half] = si[half] * 2.0f;

            for (int32_t k = 1; k < half; ++k) {
                d1r[k] = sr[k] + si[-k];
                d1i[k] = si[k] - si[count - k];
                const float c = cosines[k];
                const float s = cosines[half - k];
                const float vr = sr[k] - si[-k];
                const float vi = si[k] + si[count - k];
                d2r[k] = vr * c + vi * s;
                d2i[k] = vi * c - vr * s;
            }
        }
        // The next pass reads what this one wrote and writes the other buffer.
        float* written = df;
        df = spare;
        spare = written;
        sf = written;
    }

    // Groups of 8.
    for (int32_t i = 0; i < n; i += 8) {
        const float* s = sf + i;
        float* d = df + i;
        d[0] = s[0] + s[4];
        d[4] = s[0] - s[4];
        d[2] = s[2] * 2.0f;
        d[6] = s[6] * 2.0f;
        d[1] = s[1] + s[3];
        d[3] = s[5] - s[7];
        const float vr = s[1] - s[3];
        const float vi = s[5] + s[7];
        d[5] = (vr + vi) * sqrt2Half_;
        d[7] = (vi - vr) * sqrt2Half_;
    }

    // Groups of 4, written through the bit-reversal table.
    const uint32_t* rev = bitReversal_.data();
    for (int32_t i = 0; i < n; i += 4) {
        const float* s = df + i;
        const float sum = s[0] + s[2];
        const float diff = s[0] - s[2];
        const float odd1 = s[1] * 2.0f;
        const float odd3 = s[3] * 2.0f;
        x[rev[i]] = sum + odd1;
        x[rev[i + 1]] = sum - odd1;
        x[rev[i + 2]] = diff + odd3;
        x[rev[i + 3]] = diff - odd3;
    }
}
