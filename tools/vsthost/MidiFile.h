#pragma once
// Standard MIDI Files (format 0, 1 and 2) read into sample-timed events.
//
// Channel messages of every track are merged in time order; tempo changes
// from any track make the tempo map (500000 microseconds per quarter note
// until the first one); time-code divisions are supported. System-exclusive
// and meta events other than tempo are skipped. Damaged files are refused
// with a reason, never read past their end.

#include "TimedMidiEvent.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vsthost {

// Largest file the reader accepts.
constexpr size_t kMaxMidiFileBytes = size_t{16} << 20;

bool parseMidiFile(const uint8_t* data, size_t size, double sampleRate, MidiSequence& events,
                   std::string& error);
bool readMidiFile(const std::string& path, double sampleRate, MidiSequence& events,
                  std::string& error);

} // namespace vsthost
