#pragma once
// The descriptor of one parameter, 104 bytes. Every module keeps a static
// table of these for its own parameters; the parameter manager copies them
// into one joint table and numbers them globally.

#include <cstdint>

// The low byte of the type word.
enum AM_ParamKind : uint32_t {
    k_kindInteger = 0,    // integer or list, stored as int32_t
    k_kindFloat = 1,      // float
    k_kindXYAxis = 2,     // float, an axis of an XY controller
    k_meter = 3,          // reported by the engine; never set, never saved
    k_kindData = 4,       // a block of bytes; max is its size
    k_kindAssignment = 5, // the global id of another parameter, or -1
};

// Full type words of data blocks.
constexpr uint32_t k_typeTextData = 0x604;
constexpr uint32_t k_typeBinaryData = 0x104;
constexpr uint32_t k_kindMask = 0xff;

// Flag bits of AM_ParamInfo::flags.
enum AM_ParamFlag : uint32_t {
    k_paramSmoothed = 0x2,               // ramped through the change queue
    k_paramPublished = 0x4,              // gets a published index
    k_paramListed8 = 0x8,                // float listed in the block's flag-0x8 list
    k_paramSourceSelector = 0x10,        // its range is the modulation-source list
    k_paramBroadcast = 0x20,             // a change broadcasts k_msgParameterChanged
    k_paramAlwaysNotify = 0x80,          // parameterChanged even with storage
    k_paramHidden = 0x100,               // not saved (hidden by the audio manager)
    k_paramWrapAround = 0x200,           // a ramp takes the short way round
    k_paramNotSaved = 0x400,             // not saved and not randomized
    k_paramValueStrings = 0x4000,        // saved as its value name
    k_paramNoSnapshot = 0x8000,          // left out of the compact snapshot
    k_paramAssignTarget = 0x10000,       // set on assignment targets
    k_paramSecondListDefault = 0x100000, // bit 20
    k_paramSecondList = 0x400000,        // bit 22
    k_paramFirstBit23Default = 0x800000, // bit 23
    k_paramDataPending = 0x4000000,      // bit 26
    k_paramTextData = 0x8000000,         // bit 27
};

// Bits 16-19: the modulation-source group of a selector (1-15).
constexpr uint32_t k_sourceGroupShift = 16;
constexpr uint32_t k_sourceGroupMask = 0xf;

constexpr int32_t k_shortNameBytes = 8;
constexpr int32_t k_longNameBytes = 60;

struct AM_ParamInfo {
    // In a module's table its number within the module; in the joint table
    // its global id.
    uint32_t index;
    char shortName[k_shortNameBytes]; // at most 7 characters, zero-padded
    char longName[k_longNameBytes];   // zero-terminated
    uint32_t type;                    // low byte: AM_ParamKind
    float min;
    float max; // kind 4: the data size in bytes
    float defaultValue;
    uint32_t flags;
    int32_t moduleIndex;    // -1 in the static tables
    uint32_t localNumber;   // the owning module's number for it
    int32_t publishedIndex; // -1 when not published

    uint32_t kind() const { return type & k_kindMask; }
};

static_assert(sizeof(AM_ParamInfo) == 104, "AM_ParamInfo is a 104-byte record");

// Copies at most 7 characters of text into a short-name field and zeroes the
// rest of it.
void AM_setShortName(AM_ParamInfo& info, const char* text);
// Copies at most 59 characters of text into the long-name field, terminated.
void AM_setLongName(AM_ParamInfo& info, const char* text);
// A row of a module's static descriptor table: not yet in a module (-1),
// not published. `group` is the descriptor's group word, which the module
// base replaces with the local number when it copies the row into the joint
// table.
AM_ParamInfo AM_makeParamInfo(uint32_t index, const char* shortName, const char* longName,
                              uint32_t type, float min, float max, float defaultValue,
                              uint32_t flags, uint32_t group);
