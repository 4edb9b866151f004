#pragma once
// The MIDI controller map file "com.<vendor>.<effect>.midimap.txt" in the
// Support folder: which parameter each MIDI controller moves.
//
// The map itself has 128 entries, one per controller number: -1 (any
// negative value) when the controller is not assigned, else the parameter's
// global id in bits 0-15 with bit 16 set. The file holds a header comment
// and one line per assigned controller:
//
//   7=VCC:Voices //VoiceCircuit:Voices
//
// the controller number, the module and parameter short names, and a
// comment with the long names. Reading takes the number and the word after
// '='; lines with a number outside 0-127, without a ':' in the first 8
// characters of the word, or naming no parameter are skipped.
//
// The file is written back at shut-down only when this process read it, or
// when it did not exist and the map has changed since start-up: a map that
// could not be read never overwrites its file.
//
// Not on the audio thread. The bookkeeping is process-wide and guarded.

#include <cstdint>
#include <string>

class AM_EngineOwner;

namespace AM_MidiMapFile {

constexpr int32_t kControllers = 128;
constexpr int32_t kAssignedBit = 0x10000;
constexpr int32_t kIndexMask = 0xFFFF;
constexpr uint32_t kMaxLineChars = 63;
constexpr uint64_t kMaxFileBytes = 1u << 20;

// Where the map the process started with came from.
enum class Source {
    kNotRead, // not looked for, or the folder or the file could not be read
    kAbsent,  // there was no file
    kLoaded,  // read from the file
};

void fileName(char* out, uint32_t capacity, const char* vendor, const char* effect);

// Applies the lines of a map text to map (the entries it names; the others
// keep their values). Answers the lines applied.
int32_t applyText(const char* text, int32_t* map, AM_EngineOwner& owner);
// The file's text for a map: the process's header (when built), then a line
// per assigned controller whose parameter exists.
std::string formatText(const int32_t* map, AM_EngineOwner& owner);

// Builds the header line once per process: "// Global MidiCC Map" and two
// empty lines.
void buildHeader();
// The header line, empty until built.
std::string header();
// Records where the map came from and the map as it stood then.
void noteRead(Source source, const int32_t* map);
Source source();
// True when the map may be written: it was loaded, or there was no file and
// the map differs from the one recorded.
bool shouldWrite(const int32_t* map);
// Records the map as written (the file now holds it).
void noteWritten(const int32_t* map);
// Back to the state at load (tests).
void resetProcessState();

} // namespace AM_MidiMapFile
