// The polyphonic mode: every note gets the voices of its queue voice (one
// per stack slot); a note meeting a playing voice steals it.

#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceCircuitPass.h"

void AM_VoiceCircuitMin::processPoly(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                     AM_ProcessContext* context)
{
    AM_VoiceCircuitPass b;
    if (!b.begin(start, length, record, context))
        return;

    for (AM_NoteEventQueue::Event e = b.nextEvent(); e.key >= 0; e = b.nextEvent()) {
        for (int32_t k = 0; k < b.stack; ++k) {
            int32_t v = e.voice * b.stack + k;
            if (v < 0 || v >= b.voiceCount)
                v = 0;
            AM_VoiceRecord& rec = b.voice(v);
            rec.stackSlot = k;
            rec.incomingKey[0] = e.key;
            rec.incomingKey[1] = e.key;
            rec.incomingVelocity = static_cast<int32_t>(e.velocity);
            rec.pendingTime = AM_VoiceCircuitPass::unitsOf(e.time);
        }
    }

    const bool retrigger = b.params->retrigger == 1;
    b.run(
        [&b, retrigger](int32_t v, int32_t t) {
            AM_VoiceRecord& rec = b.voice(v);
            if (rec.incomingVelocity == 0) {
                if (rec.state != k_voiceIdle)
                    b.release(v);
                rec.pendingTime = k_noPendingEvent;
                return;
            }
            if (rec.state == k_voicePlaying && !retrigger) {
                b.steal(v, t);
                return;
            }
            const int32_t type = (retrigger && rec.state == k_voicePlaying) ? k_voiceEventRetrigger
                                                                            : k_voiceEventNoteOn;
            const float prev = AM_VoiceCircuitPass::glidedPitch(b.voice(b.lastStarted()), 0);
            const float pitch = b.keyPitch(rec.incomingKey[0]) + b.drift(v);
            b.setUpNote(rec, b.transposedKey(rec.incomingKey[0]), pitch);
            b.takeNoteValues(rec, rec.stackSlot == 0);
            b.startGlide(rec, prev, b.glideOn());
            rec.pendingTime = k_noPendingEvent;
            b.dispatch(v, type, rec.velocity, rec.targetPitch[0]);
            b.setLastStarted(v);
        },
        b.voiceCount, true);
}
