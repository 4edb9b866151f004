// The voice mixer's routines: pan, VCA level with modulation, gain ramps,
// the fade of a stopped voice and the voice-ended test. Audio thread;
// allocates nothing.

#include "engine/voice/AM_SimpleVoiceMixer.h"

#include "engine/voice/AM_ControlRows.h"
#include "engine/voice/AM_VoiceEvents.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPercent = 0.01f;
constexpr float kPanLimit = 100.0f;
// Pan -100..100 to a position 0..1: x = pan x 0.005 + 0.5.
constexpr float kPanScale = 0.005f;
constexpr float kPanCentre = 0.5f;
constexpr int32_t kSamplesPerStep = k_samplesPerUnit / k_stepsPerUnit;
constexpr float kLevelSlew = 1.0f / kSamplesPerStep;
// The fade level falls to 0 over this many units.
constexpr float kFadeSlopeUnits = 31.0f;
// A fade that has run out stays there until the next note-on.
constexpr int32_t kFadeFinished = -1;

struct Targets {
    float left;
    float right;
};

// Equal-power gains of a pan position x (0 left, 1 right) at a volume.
Targets panGains(float pan, float volume)
{
    const float x = std::clamp(pan, -kPanLimit, kPanLimit) * kPanScale + kPanCentre;
    const float gain = volume * kPercent;
    return {std::sqrt(1.0f - x) * gain, std::sqrt(x) * gain};
}

float* busRow(const AM_ProcessContext* ctx, uint32_t row, uint32_t rows)
{
    if (!ctx->busBuffer || row + rows > ctx->busRowCount)
        return nullptr;
    return ctx->busBuffer + static_cast<size_t>(row) * k_rowSamples;
}

// One voice over one stretch; stereo takes the input pair and keeps the
// voice-ended bit out of the reset.
void mixVoice(int32_t* startP, int32_t* lengthP, AM_ChildRecord* record, AM_ProcessContext* ctx,
              bool stereo)
{
    if (!record || !ctx || !record->object || !record->globalMemory || !record->voiceMemory)
        return;
    const int32_t start = std::clamp(startP ? *startP : 0, 0, k_maxUnitsPerBlock);
    const int32_t units = std::clamp(lengthP ? *lengthP : 0, 0, k_maxUnitsPerBlock - start);
    if (units == 0)
        return;
    AM_VoiceMixerGlobal& g = *static_cast<AM_VoiceMixerGlobal*>(record->globalMemory);
    AM_VoiceMixerVoice& v = *static_cast<AM_VoiceMixerVoice*>(record->voiceMemory);
    const int32_t firstStep = start * k_stepsPerUnit;
    const int32_t steps = units * k_stepsPerUnit;

    // Pan targets.
    const float panModulation =
        stereo ? 0.0f : g.panDepth * AM_controlRowValue(ctx, g.panSource, firstStep);
    const Targets target = panGains(g.pan + panModulation, g.volume);

    // A note starts from silence.
    if (v.reset != 0) {
        v.reset = 0;
        if (!stereo)
            record->flags &= ~k_childVoiceEnded;
        v.leftGain = 0.0f;
        v.rightGain = 0.0f;
        v.level = 0.0f;
    }

    // With a mode, the voice-ended test waits for the bit of the module
    // before.
    bool armed = true;
    if (!stereo && g.mode != 0) {
        armed = (record->flags & k_childVoiceEnded) != 0;
        record->flags &= ~k_childVoiceEnded;
    }

    // Rows.
    const uint32_t inputRow = record->inputRow + (stereo ? 0 : g.mode);
    float* inLeft = busRow(ctx, inputRow, stereo ? 2 : 1);
    float* inRight = stereo && inLeft ? inLeft + k_rowSamples : inLeft;
    float* outLeft = busRow(ctx, 2 * g.outputBus, 2);
    float* outRight = outLeft ? outLeft + k_rowSamples : nullptr;
    const int32_t vcaSource = AM_secondListSource(ctx, g.vca);
    float* vcaRow = AM_controlRow(ctx, vcaSource);
    const float* modRow = AM_controlRow(ctx, g.modSource);

    float vca[k_controlRowSteps];
    for (int32_t s = 0; s < steps; ++s)
        vca[s] = vcaRow ? vcaRow[firstStep + s] : 1.0f;

    // A stopped voice fades; the VCA row carries the fade.
    if (v.fadeCountdown != 0) {
        v.fadeCountdown = std::max(v.fadeCountdown - units, kFadeFinished);
        if (v.fadeCountdown < 1)
            record->flags |= k_childVoiceEnded;
        const float from = v.fadeLevel;
        const float to = std::max(0.0f, from - static_cast<float>(units) / kFadeSlopeUnits);
        v.fadeLevel = to;
        for (int32_t s = 0; s < steps; ++s) {
            const float fade =
                from + (to - from) * static_cast<float>(s + 1) / static_cast<float>(steps);
            vca[s] *= fade;
            if (vcaRow)
                vcaRow[firstStep + s] = vca[s];
        }
    }

    // The amplitude envelope has ended: so has the voice.
    if (armed && vcaRow) {
        const uint32_t* active = AM_rowActiveFlag(ctx, vcaSource);
        if (active && *active == 0)
            record->flags |= k_childVoiceEnded;
    }

    // Gains ramp over the stretch; the level follows the VCA per step.
    const int32_t samples = units * k_samplesPerUnit;
    const float leftStep = (target.left - v.leftGain) / static_cast<float>(samples);
    const float rightStep = (target.right - v.rightGain) / static_cast<float>(samples);
    const float modDepth = g.modDepth * kPercent;
    float left = v.leftGain;
    float right = v.rightGain;
    float level = v.level;
    int32_t n = start * k_samplesPerUnit;
    for (int32_t s = 0; s < steps; ++s) {
        const float m = modRow ? modRow[firstStep + s] : 0.0f;
        const float levelTarget = (1.0f + modDepth * m) * vca[s];
        const float levelStep = (levelTarget - level) * kLevelSlew;
        for (int32_t i = 0; i < kSamplesPerStep; ++i, ++n) {
            level += levelStep;
            left += leftStep;
            right += rightStep;
            if (!inLeft)
                continue;
            if (outLeft) {
                outLeft[n] += level * inLeft[n] * left;
                outRight[n] += level * inRight[n] * right;
            }
            inLeft[n] = 0.0f;
            inRight[n] = 0.0f;
        }
        level = levelTarget;
    }

    // What the next stretch starts from.
    v.leftGain = target.left;
    v.rightGain = target.right;
    v.level = level;
}

} // namespace

void AM_SimpleVoiceMixer::process(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                  AM_ProcessContext* context)
{
    mixVoice(start, length, record, context, false);
}

void AM_SimpleVoiceMixer::processFixedPan(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                          AM_ProcessContext* context)
{
    mixVoice(start, length, record, context, true);
}
