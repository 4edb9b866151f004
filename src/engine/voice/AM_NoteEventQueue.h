#pragma once
// The note-event queue of the voice circuit: it turns the note-ons and
// note-offs that arrive with a block into a time-ordered stream of voice
// assignments.
//
// It keeps two fixed pools of linked nodes: 64 pending notes that wait for
// their frame, and 128 sounding notes in start order (free nodes gather at
// the head, new notes are appended at the tail). Each sounding note owns a
// voice, or none when it is a key held in mono mode whose voice a newer key
// took. Per voice it keeps a busy flag and the release stamp that makes a
// freed voice the one released longest ago; per key a count of the notes
// started and not yet ended.
//
// Behaviour in short: a ninth note with eight voices steals the voice of the
// oldest sounding note; in mono mode a released key returns its voice to the
// latest key still held; while the sustain pedal is down note-offs are held
// per voice and sent one per call once it is lifted; no note is shorter than
// 64 samples.
//
// Threads: audio thread only. MIDI input (insert) and the block's drain
// (nextEvent) run on the same thread, one after the other; the busy word only
// records which of them runs. Construction and destruction on the thread that
// builds the engine. Nothing allocates after construction.

#include <cstdint>

class AM_NoteEventQueue {
public:
    static constexpr int32_t kMaxVoices = 24;
    static constexpr int32_t kSoundingNodes = 128;
    static constexpr int32_t kPendingNodes = 64;
    static constexpr int32_t kKeys = 128;
    static constexpr int32_t kMinimumNoteSamples = 64;
    static constexpr int32_t kNone = -1;

    // One note, in either list. key -1 = empty; velocity 0 = note-off;
    // time in samples (-1 none); voice -1 none (a pending node that was
    // delivered is flagged with voice 0).
    struct Node {
        int32_t key;
        uint32_t velocity;
        int32_t time;
        int32_t voice;
        Node* next;
        Node* previous;
    };

    // What nextEvent hands out: key -1 when nothing more is due in the
    // block; velocity 0 for a note-off; time in samples from the block start.
    struct Event {
        int32_t key;
        uint32_t velocity;
        int32_t time;
        int32_t voice;
    };

    // Hold modes of the sustain pedal.
    enum HoldMode : uint32_t { k_holdOff = 0, k_holdNoteOffs = 1, k_holdFlush = 2 };

    // 24 voices, poly; both pools linked in pool order; then reset.
    AM_NoteEventQueue();
    AM_NoteEventQueue(const AM_NoteEventQueue&) = delete;
    AM_NoteEventQueue& operator=(const AM_NoteEventQueue&) = delete;

    // Forgets every note, stamp, held note-off and key count; the pedal is
    // up. Audio thread (or before audio runs).
    void reset();
    // Starts afresh after a change of voice count or mono flag: like reset,
    // but note-ons still waiting for their frame stay queued and a pedal that
    // is down stays down, so notes played with the change are not lost.
    // Audio thread (or before audio runs).
    void restart();
    // Queues a note-on (velocity > 0) or note-off (velocity 0) of a key
    // (0-127; others are ignored) at frame + time base samples. Audio thread.
    void insert(int32_t key, uint32_t velocity, int32_t frame);
    // The next due event of a block of blockLength samples with its voice,
    // or an event with key -1 once nothing more is due; that last call ages
    // the pending notes by the block length. Audio thread.
    Event nextEvent(int32_t blockLength);
    // Sustain pedal down (hold note-offs) or up (send the held ones on the
    // following nextEvent calls). Audio thread.
    void setFlushMode(bool on);

    // Voices the queue hands out (1 to 24; anything else gives 24) and the
    // mono flag. The voice circuit resets the queue after changing either.
    void setVoiceCount(int32_t count);
    void setMono(bool mono) { mono_ = mono ? 1u : 0u; }
    // Samples added to every inserted frame.
    void setTimeBase(int32_t samples) { timeBase_ = samples; }

    int32_t getVoiceCount() const { return voiceCount_; }
    bool isMono() const { return mono_ != 0; }
    int32_t getTimeBase() const { return timeBase_; }
    uint32_t getHoldMode() const { return holdMode_; }
    // Notes started and not yet ended on a key; 0 outside 0-127.
    int32_t getKeyCount(int32_t key) const;
    // 1 inside insert, 2 inside nextEvent, 0 otherwise.
    uint32_t getBusy() const { return busy_; }
    // The voice's held-back key, or -1 (0 to 23).
    int32_t getHeldRelease(int32_t voice) const;
    // Whether a note owns the voice (0 to 23).
    bool isVoiceBusy(int32_t voice) const;
    // Notes waiting in the pending pool (delivered ones not counted).
    int32_t getPendingCount() const;
    // Notes on the sounding list (keys held, with or without a voice).
    int32_t getSoundingCount() const;
    // Whether both chains hold every node of their pool exactly once with
    // matching links, ends and counts. For tests and diagnostics.
    bool linksIntact() const;

private:
    void clear(bool keepWaitingNoteOns);
    void clearNode(Node* node);
    void unlink(Node* node);
    void linkBefore(Node* node, Node* before);
    void moveToHead(Node* node);
    void appendAtTail(Node* node);
    void relinkPool(Node* pool, int32_t count, Node*& head, Node*& tail);
    int32_t chooseFreeVoice() const;
    bool takeEvent(Node* due, Event& result);
    bool takeNoteOff(Node* due, Event& result);
    bool replaceSoundingNoteOff(int32_t key, int32_t time);
    void dropKeyCount(int32_t key);

    int32_t voiceCount_ = kMaxVoices;
    uint32_t mono_ = 0;
    Node* soundingHead_ = nullptr;
    Node* soundingTail_ = nullptr;
    Node* pendingHead_ = nullptr;
    Node* pendingTail_ = nullptr;
    Node sounding_[kSoundingNodes];
    Node pending_[kPendingNodes];
    uint32_t releaseCounter_ = 0;
    uint32_t releaseStamp_[kMaxVoices] = {};
    uint32_t voiceBusy_[kMaxVoices] = {};
    uint32_t busy_ = 0;
    int32_t timeBase_ = 0;
    int32_t heldRelease_[kMaxVoices] = {};
    uint32_t holdMode_ = k_holdOff;
    uint8_t keyCount_[kKeys] = {};
};
