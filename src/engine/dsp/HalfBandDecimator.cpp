#include "engine/dsp/HalfBandDecimator.h"

#include <emmintrin.h>

namespace enginedsp {

alignas(16) const float kHalfBandCoefficients[kAllpassSections][kLanes] = {
    {0.03668150305747986f, 0.03668150305747986f, 0.13654762506484985f, 0.13654762506484985f},
    {0.2746317684650421f, 0.2746317684650421f, 0.4231386184692383f, 0.4231386184692383f},
    {0.5610989928245544f, 0.5610989928245544f, 0.6775400638580322f, 0.6775400638580322f},
    {0.7697418332099915f, 0.7697418332099915f, 0.839889645576477f, 0.839889645576477f},
    {0.8922607898712158f, 0.8922607898712158f, 0.9315419793128967f, 0.9315419793128967f},
    {0.9620945453643799f, 0.9620945453643799f, 0.9878163933753967f, 0.9878163933753967f},
};

namespace {

constexpr int kOutputGroup = 4;
constexpr float kDecimationGain = 0.25f;

// Keeps state and coefficients in registers across a run of vectors.
class Cascade {
public:
    explicit Cascade(HalfBandState& state) : state_(state)
    {
        for (int i = 0; i <= kAllpassSections; ++i)
            memory_[i] = _mm_load_ps(state.previous[i]);
        for (int i = 0; i < kAllpassSections; ++i)
            coefficients_[i] = _mm_load_ps(kHalfBandCoefficients[i]);
    }
    ~Cascade()
    {
        for (int i = 0; i <= kAllpassSections; ++i)
            _mm_store_ps(state_.previous[i], memory_[i]);
    }
    Cascade(const Cascade&) = delete;
    Cascade& operator=(const Cascade&) = delete;

    __m128 process(__m128 x)
    {
        __m128 in = x;
        __m128 previousIn = memory_[0];
        memory_[0] = x;
        for (int k = 1; k <= kAllpassSections; ++k) {
            const __m128 y = _mm_add_ps(
                _mm_mul_ps(_mm_sub_ps(in, memory_[k]), coefficients_[k - 1]), previousIn);
            previousIn = memory_[k];
            memory_[k] = y;
            in = y;
        }
        // previousIn now holds the last section's previous output: its path-B
        // lanes (2, 3) pair with the current path-A lanes.
        return _mm_add_ps(in, _mm_shuffle_ps(previousIn, previousIn, _MM_SHUFFLE(3, 2, 3, 2)));
    }

private:
    HalfBandState& state_;
    __m128 memory_[1 + kAllpassSections];
    __m128 coefficients_[kAllpassSections];
};

} // namespace

void halfBandAllpassCascade(float* vectors, int32_t count, HalfBandState& state)
{
    if (count <= 0)
        return;
    Cascade cascade(state);
    for (int32_t i = 0; i < count; ++i) {
        float* v = vectors + kLanes * i;
        _mm_store_ps(v, cascade.process(_mm_load_ps(v)));
    }
}

void decimateHalfBand(float* left, float* right, float* work, int32_t n, HalfBandState& stateA,
                      HalfBandState& stateB)
{
    if (n <= 0)
        return;
    const int32_t outputs = n - n % kOutputGroup;

    // Four times to twice the output rate: lanes 0, 1 of each filtered vector
    // are one frame at twice the rate. Every input frame passes through both
    // filters, also those of an unwritten remainder, so the next call goes on
    // from the end of this one's input.
    halfBandAllpassCascade(work, 2 * n, stateB);

    // Pack two such frames per vector (in place: vector i reads 2i and 2i + 1).
    for (int32_t i = 0; i < n; ++i) {
        const __m128 even = _mm_load_ps(work + kLanes * (2 * i));
        const __m128 odd = _mm_load_ps(work + kLanes * (2 * i + 1));
        _mm_store_ps(work + kLanes * i, _mm_movelh_ps(even, odd));
    }

    // Twice to once the output rate, then scale and split the channels.
    halfBandAllpassCascade(work, n, stateA);
    const __m128 gain = _mm_set1_ps(kDecimationGain);
    for (int32_t i = 0; i < outputs; i += kOutputGroup) {
        const __m128 v0 = _mm_mul_ps(_mm_load_ps(work + kLanes * i), gain);
        const __m128 v1 = _mm_mul_ps(_mm_load_ps(work + kLanes * (i + 1)), gain);
        const __m128 v2 = _mm_mul_ps(_mm_load_ps(work + kLanes * (i + 2)), gain);
        const __m128 v3 = _mm_mul_ps(_mm_load_ps(work + kLanes * (i + 3)), gain);
        // Lanes 0 and 1 of four vectors: left samples and right samples.
        const __m128 lr01 = _mm_movelh_ps(v0, v1); // l0 r0 l1 r1
        const __m128 lr23 = _mm_movelh_ps(v2, v3); // l2 r2 l3 r3
        _mm_storeu_ps(left + i, _mm_shuffle_ps(lr01, lr23, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(right + i, _mm_shuffle_ps(lr01, lr23, _MM_SHUFFLE(3, 1, 3, 1)));
    }
}

namespace {

// The two voices' states in one: lanes 0 and 2 of the first voice's state
// (its left channel, paths A and B) into lanes 0 and 2, those of the second
// into lanes 1 and 3.
void joinStates(HalfBandState& joined, const HalfBandState& first, const HalfBandState& second)
{
    for (int i = 0; i <= kAllpassSections; ++i) {
        joined.previous[i][0] = first.previous[i][0];
        joined.previous[i][1] = second.previous[i][0];
        joined.previous[i][2] = first.previous[i][2];
        joined.previous[i][3] = second.previous[i][2];
    }
}

// And back, both channels of each voice alike.
void splitStates(const HalfBandState& joined, HalfBandState& first, HalfBandState& second)
{
    for (int i = 0; i <= kAllpassSections; ++i) {
        first.previous[i][0] = first.previous[i][1] = joined.previous[i][0];
        second.previous[i][0] = second.previous[i][1] = joined.previous[i][1];
        first.previous[i][2] = first.previous[i][3] = joined.previous[i][2];
        second.previous[i][2] = second.previous[i][3] = joined.previous[i][3];
    }
}

} // namespace

void decimateHalfBandPair(float* out0, float* out1, const float* work0, const float* work1,
                          float* scratch, int32_t n, HalfBandState& stateA0, HalfBandState& stateB0,
                          HalfBandState& stateA1, HalfBandState& stateB1)
{
    if (n <= 0)
        return;
    // The first channel of both voices, frame pair by frame pair: the
    // vector the one-voice decimation reads with the second voice in the
    // second channel's lanes.
    for (int32_t i = 0; i < 2 * n; ++i) {
        const __m128 a = _mm_load_ps(work0 + kLanes * i); // l r l' r' of voice 0
        const __m128 b = _mm_load_ps(work1 + kLanes * i);
        const __m128 lefts = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)); // l l' m m'
        _mm_store_ps(scratch + kLanes * i, _mm_shuffle_ps(lefts, lefts, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    HalfBandState joinedA;
    HalfBandState joinedB;
    joinStates(joinedA, stateA0, stateA1);
    joinStates(joinedB, stateB0, stateB1);
    // Lane 0 of the output is the first voice, lane 1 the second.
    decimateHalfBand(out0, out1, scratch, n, joinedA, joinedB);
    splitStates(joinedA, stateA0, stateA1);
    splitStates(joinedB, stateB0, stateB1);
}

} // namespace enginedsp
