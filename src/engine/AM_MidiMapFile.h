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
// The file is written back at shut-down only when the map has changed in
// this process (MIDI learn or unlearn) since it was read, or since start-up
// when there was no file: a map that could not be read never overwrites its
// file, and a file is never rewritten for nothing. It is replaced whole (a
// new file renamed over the old one), so a failed write leaves the old file
// as it was; when the old file held lines the reader did not take (comments,
// unknown entries), it is first kept beside the new one as "<name>.bak".
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
// keep their values). Answers the lines applied; untaken (when given)
// receives the number of other lines that are neither blank nor the header.
int32_t applyText(const char* text, int32_t* map, AM_EngineOwner& owner,
                  int32_t* untaken = nullptr);
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
// True when the map may be written: it was loaded or there was no file, and
// it differs from the one recorded.
bool shouldWrite(const int32_t* map);
// Records the map as written (the file now holds it).
void noteWritten(const int32_t* map);
// Records whether the file read held lines the reader did not take; such a
// file is kept as "<name>.bak" before it is replaced.
void noteUntakenLines(bool present);
bool shouldKeepPrevious();
// The suffix of the kept previous file.
constexpr const char* kPreviousSuffix = ".bak";
// Back to the state at load (tests).
void resetProcessState();

} // namespace AM_MidiMapFile
