#pragma once
// The process-wide table of shared instances: one entry per plug-in ID,
// counting the live audio managers of that ID and holding what the first of
// them loads at start-up for all later ones (the published-parameter table
// and the MIDI program banks). 32 entries; an entry with ID 0 is free.
//
// Threads: the table is changed only by engine construction, setPluginId
// and destruction (the host's non-audio threads); those changes are
// serialised. An entry handed out stays valid while its instances live.

#include <cstdint>

class AM_PublishedNumbering;
class PresetFolder;

struct AM_SharedInstance {
    uint32_t pluginId;                     // key; 0 = free
    uint32_t instanceCount;                // live audio managers with this ID
    AM_PublishedNumbering* publishedTable; // owned; freed with the last instance
    PresetFolder* bankList;                // owned root of the bank chain
    uint32_t bankCount;
};

namespace AM_SharedInstances {

constexpr int32_t kEntries = 32;

// The entry of an ID, or null (also for ID 0). Not on the audio thread.
AM_SharedInstance* find(uint32_t pluginId);
// Counts one more instance of the ID: raises its entry's count, or takes the
// first free entry with count 1. Null (nothing counted) for ID 0 or when all
// 32 entries belong to other IDs. Not on the audio thread.
AM_SharedInstance* acquire(uint32_t pluginId);
// Counts one instance of the ID less; the last one frees the entry and
// deletes its bank list and published-parameter table. Not on the audio
// thread.
void release(uint32_t pluginId);
// Entries in use. Not on the audio thread.
int32_t usedEntries();
// Frees every entry and its tables (back to the state at load). For tests;
// no audio manager may be alive.
void reset();

} // namespace AM_SharedInstances
