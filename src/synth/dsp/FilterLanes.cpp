// The lane path's preparation of a voice's frames and the choice of the
// kernel width.

#include "synth/dsp/FilterLanes.h"

#include "synth/dsp/FilterFrame.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace synthdsp {

namespace {

using namespace filterframe;

constexpr int32_t kModeLowHigh = 0;
constexpr float kOuterDampingScale = 0.5f; // sections 0 and 1: 0.5 k + 1
constexpr int32_t kNarrowLanes = 4;

std::atomic<bool> g_wideAllowed{true};

} // namespace

bool filterRunsInLanes(const FilterBlock& block)
{
    return block.mode == kModeLowHigh &&
           !(block.ringModGain != 0.0f && block.ringModIn1 == kRingFeedback);
}

uint32_t filterLaneKey(const FilterBlock& block)
{
    const uint32_t poles = uint32_t(std::clamp(block.poles, 0, 2));
    return poles | (block.extraGain != 0.0f ? 4u : 0u) | (block.feedbackUsed ? 8u : 0u);
}

void markPerFrameSteps(const FilterBlock& b, const FilterRows& rows, int32_t frames, uint8_t* steps)
{
    for (int32_t step = 0; step * kFramesPerStep < frames; ++step) {
        if (b.crossModDepth * rows.crossMod[step] != 0.0f)
            steps[step] = 1;
    }
}

void prepareFilterLane(FilterState& state, const FilterBlock& b, const FilterRows& rows,
                       int32_t frames, const FilterBuffers& in, float* input, float* control,
                       const uint8_t* perFrameSteps)
{
    const PitchTable& table = pitchTable();
    FrameControl c{};
    for (int32_t step = 0, first = 0; first < frames; ++step, first += kFramesPerStep) {
        const int32_t last = std::min(first + kFramesPerStep, frames);
        const float pitchBase = stepPitch(b, rows, step) - kPitchOffset;
        const float crossMod = b.crossModDepth * rows.crossMod[step];
        const bool perFrame = crossMod != 0.0f;
        // The group reads this step's controls per frame, or at its first
        // frame only.
        const bool everyFrame = perFrameSteps[step] != 0;
        c = frameControl(b, table, pitchBase);
        for (int32_t n = first; n < last; ++n) {
            if (perFrame)
                c = frameControl(b, table, crossMod * in.work[2 * n + 1] + pitchBase);
            if (n == first || everyFrame) {
                float* row =
                    control + static_cast<size_t>(kLaneControlFloats * n) * kMaxFilterLanes;
                row[0] = c.coefficient;
                row[kMaxFilterLanes] = c.damping;
                row[2 * kMaxFilterLanes] = kOuterDampingScale * c.damping + 1.0f;
                row[3 * kMaxFilterLanes] = c.laneGain;
            }
            if (!(perFrame || everyFrame))
                break;
        }
    }

    // sectionInput without the feedback and the input gain. Without the
    // ring modulator four frames (one host sample of noise) at a time.
    int32_t n = 0;
    if (b.ringModGain == 0.0f) {
        const __m128 drive = _mm_set1_ps(kInputDrive);
        for (; n + kFramesPerHostSample <= frames; n += kFramesPerHostSample) {
            const __m128 noise = _mm_set1_ps(in.pinkNoise[n / kFramesPerHostSample] * kNoiseLevel);
            const __m128 lo = _mm_loadu_ps(in.work + 2 * n);
            const __m128 hi = _mm_loadu_ps(in.work + 2 * n + 4);
            alignas(16) float u[kFramesPerHostSample];
            _mm_store_ps(
                u, _mm_mul_ps(_mm_add_ps(noise, _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0))),
                              drive));
            for (int32_t k = 0; k < kFramesPerHostSample; ++k)
                input[static_cast<size_t>(n + k) * kMaxFilterLanes] = u[k];
        }
    }
    for (; n < frames; ++n) {
        float u = in.pinkNoise[n / kFramesPerHostSample] * kNoiseLevel + in.work[2 * n];
        if (b.ringModGain != 0.0f)
            u += ringModulator(b, in, n, 0.0f);
        input[static_cast<size_t>(n) * kMaxFilterLanes] = u * kInputDrive;
    }
    state.lastCoefficient = c.coefficient;
    state.lastDamping = c.damping;
}

bool processorHasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

namespace {

// KESTAN_SIMD=sse2 in the environment keeps a process on the SSE2 lanes, so
// that both paths can be measured on one machine.
bool environmentAllowsWide()
{
    static const bool allowed = [] {
        const char* value = std::getenv("KESTAN_SIMD");
        return !(value && std::strcmp(value, "sse2") == 0);
    }();
    return allowed;
}

} // namespace

void setWideLanesAllowed(bool allowed)
{
    g_wideAllowed.store(allowed, std::memory_order_relaxed);
}

bool wideLanesInUse()
{
    return g_wideAllowed.load(std::memory_order_relaxed) && processorHasAvx2() &&
           environmentAllowsWide();
}

void processHighpassLanes(StateVariableHighpass* const* filters, float* const* samples,
                          int32_t count, int32_t frames, int32_t stride)
{
    if (!filters || !samples || count <= 0 || frames <= 0)
        return;
    count = std::min(count, kMaxFilterLanes);
    const bool wide = wideLanesInUse();
    constexpr int32_t kWidth = 4;
    for (int32_t i = 0; i < count; i += kWidth) {
        const int32_t n = std::min(kWidth, count - i);
        if (n == 1)
            stateVariableHighpassProcess(*filters[i], samples[i], frames, stride);
        else if (n == 2)
            processHighpassLanes2(filters + i, samples + i, n, frames, stride);
        else if (wide)
            processHighpassLanes4(filters + i, samples + i, n, frames, stride);
        else
            processHighpassLanes4Sse2(filters + i, samples + i, n, frames, stride);
    }
}

void processFilterLanes(const FilterLane* lanes, int32_t count, int32_t frames,
                        const FilterLaneRows& rows)
{
    if (!lanes || count <= 0 || frames <= 0)
        return;
    count = std::min(count, kMaxFilterLanes);
    if (count > kNarrowLanes) {
        if (wideLanesInUse())
            processFilterLanes8(lanes, count, frames, rows, 0);
        else
            processFilterLanes8Sse2(lanes, count, frames, rows, 0);
        return;
    }
    for (int32_t i = 0; i < count; i += kNarrowLanes)
        processFilterLanes4(lanes + i, std::min(kNarrowLanes, count - i), frames, rows, i);
}

} // namespace synthdsp
