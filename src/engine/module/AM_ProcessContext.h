#pragma once
// The shared record at the start of the engine block that every module's
// per-block routine reads. The audio manager allocates it zeroed when it is
// initialised and fills it; the host adapter writes the host's rate, buffers
// and time information before every block; the parameter manager points it
// at the parameter values and the modulation-source tables.
//
// Threads: written by the audio manager's init and the parameter set-up on
// the thread that builds the engine, then on the audio thread (the host
// adapter's fields are written there before each block). The usage words are
// written and read through std::atomic_ref by the parameter manager so that
// other threads may read the usage meters.

#include <atomic>
#include <cstdint>

class AM_AudioObject;
struct AM_ModulationRecord;
struct AM_VoiceBatch;

// The context a parameter change hands to the module's parameterChanged.
// Its only field is the sample rate; the process context begins with it, so
// the process context serves as one.
struct AM_ParamChangeContext {
    float sampleRate; // Hz
};

constexpr int32_t k_contextChannels = 16;

struct AM_ProcessContext : AM_ParamChangeContext {
    // Host rate, set by the host adapter whenever the sample rate changes.
    float samplePeriod;    // 1 / sampleRate in single precision
    double sampleRateD;    // the same rate in double precision
    double samplePeriodD;  // 1.0 / rate in double precision
    int32_t sampleRateInt; // sampleRate truncated toward zero

    // Host time, before every block; 120 and 0 after init.
    double tempo;            // beats per minute
    double songPosition;     // quarter notes, advanced per sub-block
    double lastHostPosition; // the position the host reported last

    // The tempo-synced clock (the audio manager's per-block process).
    int32_t clockNoteValue; // global parameter "SBase"
    float clockSwing;       // global parameter "Swing", percent
    double clockTempo;
    double clockBeatCount;
    float clockGate;             // 1.0 or 0.0; shown by "SLite"
    uint32_t clockRestartOnNote; // global parameter "STrig"
    double clockReferencePosition;
    double clockPhase;
    double clockShapedPhase;
    float beatsPerBar;         // quarter notes per bar, 4 after init
    double barStart;           // quarter notes
    uint32_t newBarFlag;       // 1 in a sub-block that crosses a bar line
    uint32_t positionJumpFlag; // 1 when the host position jumped
    uint32_t blockCounter;     // incremented before every sub-block

    uint32_t stateVersion;  // "#Vers" of the state text; through the two functions below
    float* parameterValues; // the parameter manager's values, one per global id

    float* outputChannels[k_contextChannels]; // host buffers, per block
    float* inputChannels[k_contextChannels];
    float* channelPositions; // 16 output channel positions (multi-channel paths)

    // Areas carved from the engine block by init.
    float* controlRows;                  // controlRowCount rows of 16 values; row 0 unused
    float* busBuffer;                    // busRowCount rows of 64 samples; stereo bus rows 0, 1
    float* fadeRows;                     // fadeRowCount rows of 64 samples: circuits' fade scratch
    AM_AudioObject** moduleTable;        // by module index (message 6)
    AM_AudioObject* midiReceivers;       // head of the MIDI receiver chain
    AM_AudioObject* voiceEventReceivers; // head of the voice-event chain

    uint32_t controlRowCount; // S: the count of message 3 (rows from 1)
    uint32_t channelCapacity; // C: the main circuit's channel capacity
    uint32_t moduleCount;     // the count of message 5
    uint32_t modSourceCount;  // the count of message 2 (sources from 1)
    int32_t* sourceStartRows; // per modulation-source list entry: first row
    int32_t* sourceSpans;     // per modulation-source list entry: span
    uint32_t* rowActiveFlags; // S entries: 1 while the row's producer runs

    // Usage meters "ModU1", "ModU2": the bits of a float in [1, 2) whose 23
    // mantissa bits mark the modulation sources in use.
    uint32_t usageWord1;
    uint32_t usageWord2;
    uint32_t staticSourceMask1; // sources whose flags carry bit 0
    uint32_t staticSourceMask2;
    uint32_t secondListCount;   // sources with flag bit 22
    int32_t* secondListSources; // their source numbers, in order

    uint32_t sampleFrames; // frames of the current host block
    uint32_t denormalMode; // 3 after init; above 1: flush-to-zero while processing

    int32_t lastStartedVoice; // the voice circuit: the voice that started last
    int32_t presentKey;       // the voice being run: its key
    int32_t presentVelocity;  // and its velocity x 127

    // Modulation matrix: M records and, per indexed object (circuit), an
    // apply list and a restore list of record numbers.
    uint32_t modulationSlotCount;           // M; 0 switches modulation off
    uint32_t indexedObjectCount;            // X: the count of message 10
    AM_ModulationRecord* modulationRecords; // M records
    uint32_t* indexedModuleIndices;         // X entries (message 11)
    uint32_t* applyCounts;                  // X entries
    uint32_t* applyLists;                   // X x M entries
    uint32_t* restoreCounts;                // X entries
    uint32_t* restoreLists;                 // X x M entries

    uint32_t channelLayout;   // global parameter "ChLay"
    uint32_t surroundOptions; // global parameter "SurrO"

    // Row counts of the two sample areas, so that per-block code never
    // reaches past them: busRowCount = B + C and fadeRowCount = 4 x B, with B
    // the channels per bus.
    uint32_t busRowCount;
    uint32_t fadeRowCount;

    // Set by a voice circuit while it runs its voices as a batch
    // (AM_VoiceBatch.h); null otherwise.
    AM_VoiceBatch* voiceBatch;
};

// The audio manager's engine-block size reserves 10 x 64 bytes for the
// record.
constexpr uint32_t k_contextReservedBytes = 640;
static_assert(sizeof(AM_ProcessContext) <= k_contextReservedBytes,
              "the process context must fit the room the engine block keeps for it");

// Samples per engine unit, control steps per unit, and the largest sub-block.
constexpr int32_t k_samplesPerUnit = 16;
constexpr int32_t k_stepsPerUnit = 4;
constexpr int32_t k_maxUnitsPerBlock = 4;
constexpr int32_t k_rowSamples = k_samplesPerUnit * k_maxUnitsPerBlock;    // 64
constexpr int32_t k_controlRowSteps = k_stepsPerUnit * k_maxUnitsPerBlock; // 16

// The state version is set by a program change on the audio thread and read
// when a chunk is saved on another thread: every access is atomic. Any
// thread.
inline uint32_t loadStateVersion(const AM_ProcessContext& context)
{
    return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(context.stateVersion))
        .load(std::memory_order_relaxed);
}
inline void storeStateVersion(AM_ProcessContext& context, uint32_t version)
{
    std::atomic_ref<uint32_t>(context.stateVersion).store(version, std::memory_order_relaxed);
}
