#pragma once
// The pieces that every voice-mode routine of the voice circuit shares: the
// block's view of the circuit's memory, note set-up (pitch, velocity,
// Alternate, Random, Voice, glide start), release, steal and fade, and the
// per-voice pass that runs each voice up to its event, hands the event to the
// mode, and runs the rest of the stretch.
//
// Threads: audio thread only, inside one routine call; holds no state
// between blocks.

#include "engine/module/AM_ProcessContext.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceEvents.h"

#include <cstdint>

class AM_VoiceCircuitPass {
public:
    // Gate decrements per control step and countdowns in units of 16
    // samples.
    static constexpr float kReleaseDecrement = 1.0f / 512.0f;
    static constexpr int32_t kReleaseUnits = 127;
    static constexpr float kStealDecrement = 1.0f / 127.0f;
    static constexpr int32_t kStealUnits = 32;
    static constexpr int32_t kFadeUnits = 31;
    // A note that steals a playing voice starts this many units after its
    // own time, counted from the start of the next block.
    static constexpr int32_t kStealDelayUnits = 31;

    // Reads the routine's arguments; false when the circuit has no memory
    // or the stretch is empty (nothing to do).
    bool begin(int32_t* start, int32_t* length, AM_ChildRecord* record, AM_ProcessContext* context);

    AM_VoiceRecord& voice(int32_t v) { return voices[v]; }
    int32_t lastStarted() const { return context->lastStartedVoice; }
    void setLastStarted(int32_t v) { context->lastStartedVoice = v; }
    int32_t blockSamples() const { return length * k_samplesPerUnit; }
    // The queue's next due event of this block (key -1 when none).
    AM_NoteEventQueue::Event nextEvent();
    // Pending time in units from a time in samples.
    static int32_t unitsOf(int32_t samples) { return samples / k_samplesPerUnit; }

    // The voice-event chain of the process context.
    void dispatch(int32_t v, int32_t type, float velocity, float pitch);
    // Whether a module besides the circuit itself is on that chain, that is
    // whether a note reaches anything that plays it.
    bool hasVoiceEventReceivers() const;

    // Pitch of a key: key + "Transpose" (the tuning table's entry in tuning
    // mode), + "FineTuneCents" x 0.02 + 12; the drift of voice v on top when
    // asked and "Drift" is on.
    float keyPitch(int32_t key) const;
    float drift(int32_t v) const;
    // "Transpose" in semitones, within its range.
    int32_t transpose() const;
    // The stored key of a key: key + "Transpose", within 0-127.
    int32_t transposedKey(int32_t key) const;
    bool glideOn() const;
    static float glidedPitch(const AM_VoiceRecord& rec, int32_t i);
    static int32_t clampKey(int32_t key);

    // A note starting on a voice: key, both target pitches, velocity from
    // the incoming velocity, the key's pressure, gate open, playing.
    void setUpNote(AM_VoiceRecord& rec, int32_t key, float pitch);
    // Alternate (the shared sign flips when asked), Random and Voice.
    void takeNoteValues(AM_VoiceRecord& rec, bool flipAlternate);
    // Glide start from prev, or no glide.
    void startGlide(AM_VoiceRecord& rec, float prev, bool glide) const;

    // Note-off of a voice: the gate falls over 127 units.
    void release(int32_t v);
    // A note-on meets a playing voice: it fades for 32 units and the note
    // waits (time t of this block) until 31 units into the next block.
    void steal(int32_t v, int32_t t);
    // A playing voice taken away: state stolen, fade over 31 units; its key
    // no longer counts as held on it.
    void fade(int32_t v);

    // The per-voice pass: voices in index order (the voice started last at
    // entry at the end when lastAtEnd); a voice with an event in the block
    // (only voices below eventVoices) runs up to the event, the handler gets
    // (voice, event time in units), then the rest runs. Idle voices do not
    // run. Afterwards every pending time is lowered by the block length.
    //
    // Voices without an event run as a batch when the circuit allows it
    // (AM_VoiceBatch.h): a module may take them and render them together.
    // The batch is flushed before any event is handled and at the end, so
    // every voice's block ends in the order above and a handler sees the
    // voices before it complete.
    template <class Handler> void run(Handler handle, int32_t eventVoices, bool lastAtEnd);

    AM_VoiceCircuitMin* circuit = nullptr;
    AM_ChildRecord* record = nullptr;
    AM_ProcessContext* context = nullptr;
    AM_VoiceCircuitParams* params = nullptr;
    AM_VoiceCircuitShared* shared = nullptr;
    AM_VoiceRecord* voices = nullptr;
    AM_NoteEventQueue* queue = nullptr;
    int32_t start = 0;
    int32_t length = 0;
    int32_t voiceCount = 1;
    int32_t stack = 1;
    int32_t entryLast = 0; // the voice started last when the routine began
    bool batching = false; // voices without an event run as a batch

private:
    template <class Handler> void runOne(Handler& handle, int32_t v, int32_t eventVoices);
};

template <class Handler>
void AM_VoiceCircuitPass::runOne(Handler& handle, int32_t v, int32_t eventVoices)
{
    AM_VoiceRecord& rec = voices[v];
    if (v < eventVoices && rec.pendingTime < length) {
        if (batching)
            AM_VoiceCircuitMin::flushVoices(record, context);
        const int32_t t = rec.pendingTime > 0 ? rec.pendingTime : 0;
        if (rec.state != k_voiceIdle && t > 0)
            AM_VoiceCircuitMin::processVoice(start, t, record, v, context);
        handle(v, t);
        if (rec.state != k_voiceIdle && t < length)
            AM_VoiceCircuitMin::processVoice(start + t, length - t, record, v, context);
    } else if (rec.state != k_voiceIdle) {
        if (batching)
            AM_VoiceCircuitMin::gatherVoice(start, length, record, v, context);
        else
            AM_VoiceCircuitMin::processVoice(start, length, record, v, context);
    }
}

template <class Handler>
void AM_VoiceCircuitPass::run(Handler handle, int32_t eventVoices, bool lastAtEnd)
{
    for (int32_t v = 0; v < voiceCount; ++v) {
        if (!lastAtEnd || v != entryLast)
            runOne(handle, v, eventVoices);
    }
    if (lastAtEnd)
        runOne(handle, entryLast, eventVoices);
    if (batching)
        AM_VoiceCircuitMin::flushVoices(record, context);
    for (int32_t v = 0; v < voiceCount; ++v) {
        int32_t& pending = voices[v].pendingTime;
        if (pending != k_noPendingEvent)
            pending = pending > length ? pending - length : 0;
    }
}
