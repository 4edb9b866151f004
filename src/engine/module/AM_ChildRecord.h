#pragma once
// The per-block routine convention and the record a circuit keeps for each
// child (or each copy of a child).

#include <cstdint>

class AM_AudioObject;
struct AM_ProcessContext;
struct AM_ChildRecord;

// A module's per-block routine. start and length count units of 16 samples
// (4 control steps each) within the current sub-block of at most 4 units.
// Runs on the audio thread; its result is not used.
using AM_ProcessRoutine = void (*)(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                   AM_ProcessContext* context);

// Bits of AM_ChildRecord::flags.
enum AM_ChildFlag : uint32_t {
    k_childRun = 0x1,     // switched on
    k_childCreated = 0x2, // set when the record is made
};
// Bits 16-27: the switch-fade countdown, 0 to 511 units.
constexpr uint32_t k_fadeShift = 16;
constexpr uint32_t k_fadeMask = 0xfff;
constexpr uint32_t k_fadeUnits = 511;

struct AM_ChildRecord {
    void* voiceMemory;  // the child's voice memory for this copy
    void* globalMemory; // the child's global memory
    AM_AudioObject* object;
    AM_ProcessRoutine routine;
    uint8_t inputRow;  // first bus row the child reads
    uint8_t outputRow; // first bus row the child writes
    uint8_t voice;     // copied from the circuit's own record before each run
    uint8_t reserved;
    uint32_t flags; // AM_ChildFlag, fade countdown in bits 16-27
    uint32_t spare[2];

    uint32_t fadeCountdown() const { return (flags >> k_fadeShift) & k_fadeMask; }
    void setFadeCountdown(uint32_t units)
    {
        flags = (flags & ~(k_fadeMask << k_fadeShift)) | ((units & k_fadeMask) << k_fadeShift);
    }
};

static_assert(sizeof(AM_ChildRecord) == 48, "AM_ChildRecord is a 48-byte record");
