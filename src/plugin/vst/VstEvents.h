#pragma once
// Events a host hands to effProcessEvents.

#include "plugin/vst/VstAbi.h"

enum VstEventTypes : VstInt32 {
    kVstMidiType = 1,
    kVstSysExType = 6,
};

enum VstMidiEventFlags : VstInt32 {
    kVstMidiEventIsRealtime = 1 << 0,
};

// The common head of every event; byteSize counts the bytes after it.
struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames; // sample offset within the current block
    VstInt32 flags;
    char data[16];
};

static_assert(sizeof(VstEvent) == 32);
static_assert(offsetof(VstEvent, type) == 0);
static_assert(offsetof(VstEvent, byteSize) == 4);
static_assert(offsetof(VstEvent, deltaFrames) == 8);
static_assert(offsetof(VstEvent, flags) == 12);
static_assert(offsetof(VstEvent, data) == 16);

// The block of events of one process call. The array is declared with two
// entries, as published; hosts allocate room for numEvents pointers.
struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
};

// The host's list holds numEvents pointers from `events` on; the two declared
// entries are only the record's minimum size. Index the list through these,
// never through the declared array.
inline VstEvent** vstEventList(VstEvents* list) { return list->events; }
inline VstEvent* const* vstEventList(const VstEvents* list) { return list->events; }

static_assert(sizeof(VstEvents) == 32);
static_assert(offsetof(VstEvents, numEvents) == 0);
static_assert(offsetof(VstEvents, reserved) == 8);
static_assert(offsetof(VstEvents, events) == 16);

// Bytes a VstEvents block needs for n event pointers (at least the declared size).
constexpr size_t vstEventsBytes(size_t n)
{
    const size_t needed = offsetof(VstEvents, events) + n * sizeof(VstEvent*);
    return needed < sizeof(VstEvents) ? sizeof(VstEvents) : needed;
}

struct VstMidiEvent {
    VstInt32 type; // kVstMidiType
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    unsigned char midiData[4];
    char detune;
    unsigned char noteOffVelocity;
    unsigned char reserved1;
    unsigned char reserved2;
};

static_assert(sizeof(VstMidiEvent) == 32);
static_assert(offsetof(VstMidiEvent, type) == 0);
static_assert(offsetof(VstMidiEvent, byteSize) == 4);
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8);
static_assert(offsetof(VstMidiEvent, flags) == 12);
static_assert(offsetof(VstMidiEvent, noteLength) == 16);
static_assert(offsetof(VstMidiEvent, noteOffset) == 20);
static_assert(offsetof(VstMidiEvent, midiData) == 24);
static_assert(offsetof(VstMidiEvent, detune) == 28);
static_assert(offsetof(VstMidiEvent, noteOffVelocity) == 29);
static_assert(offsetof(VstMidiEvent, reserved1) == 30);
static_assert(offsetof(VstMidiEvent, reserved2) == 31);

struct VstMidiSysexEvent {
    VstInt32 type; // kVstSysExType
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

static_assert(sizeof(VstMidiSysexEvent) == 48);
static_assert(offsetof(VstMidiSysexEvent, dumpBytes) == 16);
static_assert(offsetof(VstMidiSysexEvent, resvd1) == 24);
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 32);
static_assert(offsetof(VstMidiSysexEvent, resvd2) == 40);
