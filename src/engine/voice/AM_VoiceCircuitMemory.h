#pragma once
// The memory layouts of the voice circuit.
//
// Voice memory (behind the circuit's 56 bytes of controller state, where
// AM_CircuitVoice::ownBlock points): the shared state (800 bytes), then one
// 24-byte slot per slot count, then one 224-byte record per voice.
// Global memory (behind the circuit's header, child records and run list,
// at the next 16-byte boundary): the parameter block.

#include "engine/module/AM_CircuitMemory.h"

#include <cstdint>

class AM_NoteEventQueue;

constexpr int32_t k_voiceStackMax = 8;
constexpr int32_t k_arpSteps = 16;
constexpr int32_t k_arpHeldNotes = 16;
constexpr int32_t k_tuningKeys = 128;
constexpr int32_t k_pressureKeys = 128;
// Per-voice memory of control rows r+5 onward.
constexpr int32_t k_voiceRowMemory = 32;
constexpr int32_t k_tuningNameBytes = 64;

// Voice states.
enum AM_VoiceState : int32_t {
    k_voiceIdle = 0,
    k_voicePlaying = 1,
    k_voiceStolen = 2, // released by a steal or a mode change; fading
};

// "no pending event" in AM_VoiceRecord::pendingTime.
constexpr int32_t k_noPendingEvent = 0x7fffffff;
// Gate countdown of a held key; below it, units of 16 samples left.
constexpr int32_t k_gateHeld = 1024;

// One voice, 56 words.
struct AM_VoiceRecord {
    int32_t state;       // AM_VoiceState
    int32_t pendingTime; // units of 16 samples from the block start
    int32_t keysHeld;    // duo: 1 while the voice plays held keys
    int32_t key;         // after transpose, 0-127
    float targetPitch[2];
    float velocity; // 0-1
    int32_t reserved7;
    int32_t gateCountdown; // k_gateHeld, or units left
    float alternate;
    float random;
    float voiceValue;
    int32_t reserved12;
    float glidePhase[2]; // 0-1
    float glideStart[2];
    float gateLevel;
    float gateDecrement;      // per control step
    float pressure;           // smoothed
    int32_t incomingKey[2];   // duo: lower and upper key bound (voice 0)
    int32_t incomingVelocity; // 0-127, 0 = note-off
    int32_t stackSlot;
    float rowMemory[k_voiceRowMemory]; // last value of rows r+5 onward
};

static_assert(sizeof(AM_VoiceRecord) == 224, "a voice record takes 56 words");

struct AM_VoiceSlot {
    uint32_t words[6];
};

static_assert(sizeof(AM_VoiceSlot) == 24, "a voice slot takes 24 bytes");

struct AM_ArpHeldNote {
    int32_t key;
    int32_t velocity;   // 1-127
    int32_t queueVoice; // the queue's voice: the identity of the key
};

struct AM_ArpState {
    float phase;          // of the present step, 0 to 1
    int32_t octave;       // -1 from the first key until the first step
    int32_t heldCount;    // 0-16
    int32_t position;     // note position of the loop
    int32_t step;         // the step that plays, 0 to "Arp Loop Length" - 1
    int32_t notesStarted; // in the present step
    AM_ArpHeldNote held[k_arpHeldNotes];
};

// The part of the voice block that all voices share.
struct AM_VoiceCircuitShared {
    AM_ArpState arp;
    float keyPressure[k_pressureKeys];
    float channelPressure;
    float alternateSign; // 1 or -1
    uint32_t voicesSounding;
    uint32_t reserved;
    AM_VoiceSlot* slots;
    AM_VoiceRecord* voices;
};

constexpr uint32_t k_voiceSharedBytes = 800;
static_assert(sizeof(AM_VoiceCircuitShared) <= k_voiceSharedBytes,
              "the shared voice state fits its 800 bytes");

// The six values of one arpeggiator step, in parameter order.
struct AM_ArpStep {
    int32_t gate;      // "Arp Gate" 0-5
    int32_t transpose; // "Arp Transpose" -12 to 12
    int32_t voices;    // "Arp Voices" 0-6
    int32_t duration;  // "Arp Duration" 1-4
    int32_t control;   // "Arp Step Control" 0-3
    float modulation;  // "Arp Step Mod" -100 to 100
};

constexpr int32_t k_arpStepFields = 6;
static_assert(sizeof(AM_ArpStep) == k_arpStepFields * 4, "a step is six words");

// The parameter values (integers for list parameters) and the values the
// routines share.
struct AM_VoiceCircuitParams {
    int32_t voices;     // 0 few, 1 medium, 2 many
    int32_t voiceStack; // 1-8
    int32_t mode;
    int32_t glideMode; // 0 time, 1 rate
    float glide;       // 0-100
    float glide2;      // -100 to 100
    float portaRange;  // 0-100
    int32_t bendUp;    // semitones
    int32_t bendDown;
    int32_t drift;
    int32_t tuningMode;
    char tuningName[k_tuningNameBytes];
    float tuningTable[k_tuningKeys]; // semitones per key
    int32_t transpose;
    float fineTune; // "FineTuneCents"
    float voiceOffset[k_voiceStackMax];
    int32_t arpSync;
    int32_t arpOrder;
    int32_t arpLoop;
    int32_t arpOctave;
    int32_t arpLoopLength;
    int32_t arpGlide;
    AM_ArpStep steps[k_arpSteps];
    AM_NoteEventQueue* queue;
    uint32_t firstControlRow;
    uint32_t voiceCount;
    uint32_t childStride; // bytes between two voices' copies of the children
    float playingStep;    // the arpeggiator step that plays
    uint32_t retrigger;   // 1: a note-on on a playing voice retriggers it
};
