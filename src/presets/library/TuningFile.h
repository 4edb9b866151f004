#pragma once
// The reader of tuning files ("tun"): a table of 128 pitches, entry n the
// pitch of MIDI note n in semitones (a note number with a fraction).
//
// A "[Tuning]" section gives each note's pitch in cents as "note n=cents",
// an "[Exact Tuning]" section as "note n=cents" with a fraction; the exact
// section wins where both give a note. The lines are taken in order, one
// "note" per note number from 0 on, wherever "note" stands in the text.
//
// Pure apart from the standard-output lines; any thread except the audio
// thread.

#include <cstddef>
#include <cstdint>

constexpr int32_t kTuningNotes = 128;
// The bytes of the table as a parameter value.
constexpr size_t kTuningTableBytes = kTuningNotes * sizeof(float);

// Cents the "[Tuning]" section is clamped to, and those of "[Exact Tuning]".
constexpr int32_t kTuningMinCents = 10;
constexpr int32_t kTuningMaxCents = 15000;
constexpr float kExactTuningMinCents = 100.0f;
constexpr float kExactTuningMaxCents = 15000.0f;

// Reads size bytes of text (it need not be terminated; a zero byte ends it
// early) into table. False, with "Tun file features no [Tuning] and no
// [Exact Tuning] section" on the trace, when the text has neither section;
// the table is then all note numbers. Each search pattern is written to the
// standard output ("search='%s'\n") before it is used.
bool readTuningFile(const char* text, size_t size, float table[kTuningNotes]);
