#include "engine/voice/AM_VoiceCircuitPass.h"

#include "engine/module/AM_AudioObject.h"
#include "engine/voice/AM_VoiceRandom.h"

#include <algorithm>
#include <cmath>

namespace {

// Per-voice detuning of "Drift", in semitones.
constexpr int32_t kDriftVoices = 24;
constexpr float kDrift[kDriftVoices] = {0.0f,    0.01f,    -0.01f,  0.03f,    -0.032f,  0.024f,
                                        -0.022f, 0.008f,   -0.006f, 0.02f,    0.012f,   -0.012f,
                                        0.032f,  -0.0322f, 0.0242f, -0.0222f, 0.0082f,  -0.0062f,
                                        0.018f,  0.015f,   -0.015f, 0.0318f,  -0.0325f, 0.0245f};

constexpr float kFineTuneScale = 0.02f;
constexpr float kPitchOffset = 12.0f;
constexpr float kPercent = 0.01f;
constexpr float kMaxVelocity = 127.0f;
constexpr int32_t kHighestKey = 127;
constexpr int32_t kMaxTranspose = 24;

} // namespace

bool AM_VoiceCircuitPass::begin(int32_t* startP, int32_t* lengthP, AM_ChildRecord* own,
                                AM_ProcessContext* ctx)
{
    if (!own || !ctx || !own->object || !own->voiceMemory || !own->globalMemory)
        return false;
    circuit = static_cast<AM_VoiceCircuitMin*>(own->object);
    record = own;
    context = ctx;
    params = circuit->getParams();
    if (!params)
        return false;
    auto* state = static_cast<uint8_t*>(own->voiceMemory);
    shared = reinterpret_cast<AM_VoiceCircuitShared*>(state + sizeof(AM_CircuitVoice));
    voices =
        reinterpret_cast<AM_VoiceRecord*>(reinterpret_cast<uint8_t*>(shared) + k_voiceSharedBytes +
                                          sizeof(AM_VoiceSlot) * circuit->getSlotCount());
    queue = circuit->getQueue();
    start = std::clamp(startP ? *startP : 0, 0, k_maxUnitsPerBlock);
    length = std::clamp(lengthP ? *lengthP : 0, 0, k_maxUnitsPerBlock - start);
    voiceCount = static_cast<int32_t>(circuit->getVoices());
    stack = std::clamp(params->voiceStack, 1, k_voiceStackMax);
    if (ctx->lastStartedVoice < 0 || ctx->lastStartedVoice >= voiceCount)
        ctx->lastStartedVoice = 0;
    entryLast = ctx->lastStartedVoice;
    queue->setTimeBase(blockSamples());
    // Each child's switch fade as it stands at the block start: every voice
    // runs the fade from there (see processVoice).
    auto* header = static_cast<AM_CircuitHeader*>(own->globalMemory);
    for (int32_t i = 0; i < header->recordCount; ++i)
        header->records[i].spare[0] = header->records[i].fadeCountdown();
    batching = AM_VoiceCircuitMin::canBatch(own, ctx);
    return length > 0;
}

AM_NoteEventQueue::Event AM_VoiceCircuitPass::nextEvent()
{
    return queue->nextEvent(blockSamples());
}

void AM_VoiceCircuitPass::dispatch(int32_t v, int32_t type, float velocity, float pitch)
{
    if (context->voiceEventReceivers)
        context->voiceEventReceivers->dispatchVoiceEvent(v, type, velocity, pitch, context);
}

bool AM_VoiceCircuitPass::hasVoiceEventReceivers() const
{
    for (AM_AudioObject* o = context->voiceEventReceivers; o; o = o->getNextVoiceEventReceiver()) {
        if (o != circuit)
            return true;
    }
    return false;
}

int32_t AM_VoiceCircuitPass::clampKey(int32_t key)
{
    return std::clamp(key, 0, kHighestKey);
}

int32_t AM_VoiceCircuitPass::transpose() const
{
    return std::clamp(params->transpose, -kMaxTranspose, kMaxTranspose);
}

int32_t AM_VoiceCircuitPass::transposedKey(int32_t key) const
{
    return clampKey(key + transpose());
}

float AM_VoiceCircuitPass::keyPitch(int32_t key) const
{
    const int32_t transposed = key + transpose();
    float pitch = static_cast<float>(transposed);
    if (params->tuningMode != 0) {
        const float tuned = params->tuningTable[clampKey(transposed)];
        pitch = std::isfinite(tuned) ? tuned : static_cast<float>(clampKey(transposed));
    }
    return pitch + params->fineTune * kFineTuneScale + kPitchOffset;
}

float AM_VoiceCircuitPass::drift(int32_t v) const
{
    return params->drift != 0 ? kDrift[v % kDriftVoices] : 0.0f;
}

bool AM_VoiceCircuitPass::glideOn() const
{
    return params->glide * kPercent > 0.0f || params->glide2 * kPercent > 0.0f;
}

float AM_VoiceCircuitPass::glidedPitch(const AM_VoiceRecord& rec, int32_t i)
{
    return rec.glideStart[i] + rec.glidePhase[i] * (rec.targetPitch[i] - rec.glideStart[i]);
}

void AM_VoiceCircuitPass::setUpNote(AM_VoiceRecord& rec, int32_t key, float pitch)
{
    rec.key = clampKey(key);
    rec.targetPitch[0] = pitch;
    rec.targetPitch[1] = pitch;
    rec.velocity = std::clamp(static_cast<float>(rec.incomingVelocity) / kMaxVelocity, 0.0f, 1.0f);
    rec.pressure = shared->keyPressure[rec.key];
    rec.gateLevel = 1.0f;
    rec.gateDecrement = 0.0f;
    rec.gateCountdown = k_gateHeld;
    rec.state = k_voicePlaying;
}

void AM_VoiceCircuitPass::takeNoteValues(AM_VoiceRecord& rec, bool flipAlternate)
{
    if (flipAlternate)
        shared->alternateSign = -shared->alternateSign;
    rec.alternate = shared->alternateSign;
    rec.random = AM_VoiceRandom::next();
    const int32_t slot = std::clamp(rec.stackSlot, 0, stack - 1);
    rec.voiceValue =
        stack > 1 ? 1.0f - 2.0f * static_cast<float>(slot) / static_cast<float>(stack) : 1.0f;
}

void AM_VoiceCircuitPass::startGlide(AM_VoiceRecord& rec, float prev, bool glide) const
{
    const float keep = 1.0f - params->portaRange * kPercent;
    for (int32_t i = 0; i < 2; ++i) {
        if (glide) {
            rec.glideStart[i] = prev + (rec.targetPitch[i] - prev) * keep;
            rec.glidePhase[i] = 0.0f;
        } else {
            rec.glideStart[i] = rec.targetPitch[i];
            rec.glidePhase[i] = 1.0f;
        }
    }
}

void AM_VoiceCircuitPass::release(int32_t v)
{
    AM_VoiceRecord& rec = voices[v];
    rec.gateDecrement = kReleaseDecrement;
    rec.gateCountdown = kReleaseUnits;
    dispatch(v, k_voiceEventNoteOff, rec.velocity, rec.targetPitch[0]);
}

void AM_VoiceCircuitPass::steal(int32_t v, int32_t t)
{
    AM_VoiceRecord& rec = voices[v];
    rec.state = k_voiceStolen;
    if (rec.gateCountdown == k_gateHeld) {
        rec.gateDecrement = kStealDecrement;
        rec.gateCountdown = kStealUnits;
    }
    dispatch(v, k_voiceEventFastRelease, 0.0f, 0.0f);
    rec.pendingTime = t + kStealDelayUnits + length;
}

void AM_VoiceCircuitPass::fade(int32_t v)
{
    AM_VoiceRecord& rec = voices[v];
    rec.state = k_voiceStolen;
    // Its key, if still held, now sounds on another voice.
    rec.incomingVelocity = 0;
    rec.gateDecrement = kStealDecrement;
    rec.gateCountdown = kFadeUnits;
    dispatch(v, k_voiceEventFastRelease, 0.0f, 0.0f);
}
