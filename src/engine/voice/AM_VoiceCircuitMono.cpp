// The monophonic modes: mono (retrigger) and legato on a one-voice mono
// queue, and duo, which plays the lowest and the highest held key as the
// voice's two pitches.

#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceCircuitPass.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kMaxVelocity = 127.0f;
constexpr float kPercent = 0.01f;
constexpr int32_t kDuoNoLowerBound = 150;
constexpr int32_t kDuoNoUpperBound = 0;

// The velocity a legato note takes over from its voice, as an incoming
// velocity: the nearest step, at least 1, so that it stays a note-on and does
// not creep down from note to note.
int32_t incomingFromVelocity(float velocity)
{
    return std::clamp(static_cast<int32_t>(std::lround(velocity * kMaxVelocity)), 1,
                      static_cast<int32_t>(kMaxVelocity));
}

} // namespace

void AM_VoiceCircuitMin::processMono(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                     AM_ProcessContext* context)
{
    AM_VoiceCircuitPass b;
    if (!b.begin(start, length, record, context))
        return;
    const bool retrigger = b.params->retrigger == 1;
    const bool legatoMode = b.params->mode == k_modeLegato;
    const int32_t c = b.voiceCount;
    const int32_t s = b.stack;
    const int32_t last = b.entryLast;
    const float prev = AM_VoiceCircuitPass::glidedPitch(b.voice(retrigger ? 0 : last), 0);
    bool glideAllowed = true;
    bool legatoBlock = false;
    bool noteOffDrained = false;
    // Voices whose note starts in this block. A key pressed together with
    // the one before it (a chord, or two keys within one block) finds that
    // voice's key down, but the voice has not sounded yet: it takes over the
    // start instead of continuing a note that never began, which would
    // leave the voice silent.
    uint64_t startedThisBlock = 0;
    auto bit = [](int32_t voice) {
        return voice >= 0 && voice < 64 ? uint64_t{1} << voice : uint64_t{0};
    };

    for (AM_NoteEventQueue::Event e = b.nextEvent(); e.key >= 0; e = b.nextEvent()) {
        for (int32_t k = 0; k < s; ++k) {
            if (e.velocity > 0) {
                int32_t t = retrigger ? k : (last + s + k) % c;
                bool continues = false;
                if (legatoMode) {
                    const int32_t heldVoice = retrigger ? k % c : last;
                    const AM_VoiceRecord& held = b.voice(heldVoice);
                    if (held.incomingVelocity != 0 && !noteOffDrained &&
                        (startedThisBlock & bit(heldVoice)) == 0) {
                        legatoBlock = true;
                        continues = true;
                        t = retrigger ? k : (last + k) % c;
                    } else {
                        glideAllowed = false;
                    }
                }
                t %= c;
                if (!continues)
                    startedThisBlock |= bit(t);
                AM_VoiceRecord& rec = b.voice(t);
                rec.incomingKey[0] = e.key;
                rec.incomingKey[1] = e.key;
                rec.stackSlot = k;
                rec.pendingTime = AM_VoiceCircuitPass::unitsOf(e.time);
                rec.incomingVelocity = continues ? incomingFromVelocity(rec.velocity)
                                                 : static_cast<int32_t>(e.velocity);
            } else if (!legatoBlock) {
                noteOffDrained = true;
                AM_VoiceRecord& rec = b.voice((retrigger ? k : last + k) % c);
                rec.incomingKey[0] = e.key;
                rec.incomingKey[1] = e.key;
                rec.incomingVelocity = 0;
                rec.pendingTime = AM_VoiceCircuitPass::unitsOf(e.time);
            }
        }
    }

    b.run(
        [&](int32_t v, int32_t) {
            AM_VoiceRecord& rec = b.voice(v);
            if (rec.incomingVelocity <= 0) {
                if (legatoBlock)
                    return; // stays due until a block that is not legato
                if (rec.state == k_voicePlaying)
                    b.release(v);
                rec.pendingTime = k_noPendingEvent;
                return;
            }
            const int32_t type = (retrigger && rec.state == k_voicePlaying) ? k_voiceEventRetrigger
                                                                            : k_voiceEventNoteOn;
            const float pitch = b.keyPitch(rec.incomingKey[0]) + b.drift(v);
            b.setUpNote(rec, b.transposedKey(rec.incomingKey[0]), pitch);
            b.takeNoteValues(rec, true);
            b.startGlide(rec, prev, b.glideOn() && glideAllowed);
            rec.pendingTime = k_noPendingEvent;
            if (!legatoBlock || (startedThisBlock & bit(v)) != 0)
                b.dispatch(v, type, rec.velocity, rec.targetPitch[0]);
            if (rec.stackSlot == 0) {
                if (!retrigger) {
                    for (int32_t j = 0; j < c - s; ++j) {
                        const int32_t u = (v + s + j) % c;
                        if (b.voice(u).state == k_voicePlaying)
                            b.fade(u);
                    }
                }
                b.setLastStarted(v);
            }
        },
        c, true);
}

void AM_VoiceCircuitMin::processDuo(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                    AM_ProcessContext* context)
{
    AM_VoiceCircuitPass b;
    if (!b.begin(start, length, record, context))
        return;
    const bool retrigger = b.params->retrigger == 1;
    const int32_t n = std::min(b.stack, b.voiceCount);

    if (b.voice(0).state == k_voiceIdle) {
        for (int32_t v = 0; v < n; ++v) {
            b.voice(v).incomingKey[0] = kDuoNoLowerBound;
            b.voice(v).incomingKey[1] = kDuoNoUpperBound;
        }
    }
    for (AM_NoteEventQueue::Event e = b.nextEvent(); e.key >= 0; e = b.nextEvent()) {
        for (int32_t v = 0; v < n; ++v) {
            AM_VoiceRecord& rec = b.voice(v);
            if (e.velocity > 0) {
                rec.stackSlot = v;
                rec.incomingVelocity = static_cast<int32_t>(e.velocity);
            }
            rec.pendingTime = AM_VoiceCircuitPass::unitsOf(e.time);
        }
    }

    // The held keys come from the queue's per-key counts.
    int32_t low = std::clamp(b.voice(0).incomingKey[0], 0, kDuoNoLowerBound);
    int32_t high = std::clamp(b.voice(0).incomingKey[1], 0, kDuoNoLowerBound);
    bool held = false;
    for (int32_t key = 0; key < AM_NoteEventQueue::kKeys; ++key) {
        if (b.queue->getKeyCount(key) > 0) {
            held = true;
            low = std::min(low, key);
            high = std::max(high, key);
        }
    }
    low = AM_VoiceCircuitPass::clampKey(low);
    high = AM_VoiceCircuitPass::clampKey(high);
    const float pitches[2] = {b.keyPitch(low), b.keyPitch(high)};
    const float glideKeep = 1.0f - b.params->portaRange * kPercent;
    const bool glide = b.glideOn();
    bool starting = false;

    b.run(
        [&](int32_t v, int32_t) {
            AM_VoiceRecord& rec = b.voice(v);
            rec.pendingTime = k_noPendingEvent;
            if (!held) {
                if (rec.state != k_voicePlaying)
                    return;
                // The key is up before the note-off goes out, so that the
                // circuit sees silence once the last voice is released.
                rec.keysHeld = 0;
                rec.pressure = b.shared->keyPressure[AM_VoiceCircuitPass::clampKey(rec.key)];
                rec.incomingVelocity = 0;
                b.release(v);
                return;
            }
            const int32_t type = (retrigger && rec.state == k_voicePlaying) ? k_voiceEventRetrigger
                                                                            : k_voiceEventNoteOn;
            if (rec.keysHeld == 0)
                starting = true;
            rec.keysHeld = 1;
            rec.key = b.transposedKey(low);
            for (int32_t i = 0; i < 2; ++i) {
                if (rec.targetPitch[i] != pitches[i]) {
                    rec.glideStart[i] = rec.targetPitch[i];
                    rec.targetPitch[i] = pitches[i];
                    rec.glidePhase[i] = glideKeep;
                }
            }
            if (starting)
                rec.velocity =
                    std::clamp(static_cast<float>(rec.incomingVelocity) / kMaxVelocity, 0.0f, 1.0f);
            rec.pressure = b.shared->keyPressure[rec.key];
            rec.gateDecrement = 0.0f;
            rec.gateLevel = 1.0f;
            rec.gateCountdown = k_gateHeld;
            rec.state = k_voicePlaying;
            b.takeNoteValues(rec, true);
            if (!glide) {
                for (int32_t i = 0; i < 2; ++i) {
                    rec.glideStart[i] = pitches[i];
                    rec.glidePhase[i] = 1.0f;
                }
            }
            if (starting)
                b.dispatch(v, type, rec.velocity, pitches[0]);
        },
        n, false);
    b.setLastStarted(0);
}
