#pragma once
// The memory layouts of the envelope: its global block (parameter values and
// the state all voices share) and its per-voice record.

#include "engine/module/AM_ProcessContext.h"

#include <cstddef>
#include <cstdint>

// Stages of a voice's envelope.
enum Pellor_ADSRStage : int32_t {
    k_adsrAttack = 0,
    k_adsrDecay = 1,
    k_adsrSustain = 2,
    k_adsrRelease = 3,
    k_adsrEnded = 4,
};

// How the envelope is started and stopped ("Trig" through the trigger list).
enum Pellor_ADSRTrigger : int32_t {
    k_adsrGate = 0,      // note events drive the stages
    k_adsrSingle = 1,    // one envelope for all voices
    k_adsrLoop = 2,      // attack, decay, (sustain,) release, attack, ...
    k_adsrTriggered = 3, // restarted and released by a module's messages
};

// Values of the Single-mode trigger flag.
enum Pellor_ADSRSingleFlag : int32_t {
    k_adsrSingleUsed = 0,
    k_adsrSingleFirstVoice = 1, // the first voice after silence started
    k_adsrSingleAllEnded = 2,   // every key is up
};

// Global block: 37 words in their fixed order, then how far the shared
// output of the sub-block has been computed.
struct Pellor_ADSRGlobal {
    float attack;           // "Atk" 0-100
    float decay;            // "Dec"
    float sustain;          // "Sus"
    float fallRise;         // "FR" -100 to 100
    float release;          // "Rel"
    float velocity;         // "Vel"
    int32_t velocitySource; // "VSrc": stored, not used
    float rateMod;          // "RMod" -100 to 100
    int32_t rateSource;     // "RMSrc"
    float levelMod;         // "LMod" -100 to 100
    int32_t levelSource;    // "LMSrc"
    int32_t ownRow;         // the envelope's control row (prepare)
    int32_t constantRate;   // "CRate"
    int32_t snappy;         // "Snappy"
    float fallRiseRange;    // "FRRng" 0-100
    float attract;          // "Attr" 0-100
    float lag;              // "Lag": stored, not used
    int32_t trigger;        // "Trig": the place in the trigger list
    int32_t singleFlag;     // Pellor_ADSRSingleFlag
    uint32_t blockStamp;    // Single: the block the shared output belongs to
    int32_t triggerMode;    // Pellor_ADSRTrigger
    float sharedOutput[k_controlRowSteps];
    uint32_t sharedSteps;  // Single: control steps of the sub-block computed so far
    uint32_t sharedActive; // Single: the row-active flag of that computation
};

static_assert(offsetof(Pellor_ADSRGlobal, sharedSteps) == 148,
              "the parameter words and the shared output take 148 bytes");

// One voice, 24 bytes.
struct Pellor_ADSRVoice {
    float level;   // 0-100 scale; may pass 100 in decay and release
    float output;  // the last value written
    int32_t stage; // Pellor_ADSRStage
    uint32_t spare;
    int32_t gate;   // 1 while the note is held
    float velocity; // of the last note event, 0-1
};

static_assert(sizeof(Pellor_ADSRVoice) == 24, "an envelope voice takes 24 bytes");
