#pragma once
// The kinds of event that AM_AudioMan::midiEvent takes: the host adapter
// turns each MIDI message of the host into one (the channel is dropped).
// midiEvent(kind, arg, value, value2, frame), frame being the event's
// offset in the host block.

#include <cstdint>

namespace AM_MidiEvent {

// arg 0, value the key, value2 the velocity 0-127 (0: note off).
constexpr int32_t kNote = 0;
// arg the controller number, value 0-1 (value x 127 the controller value).
// Controller 0 is bank select: it also chooses the bank of program changes.
constexpr int32_t kController = 1;
// value -1 to just below 1.
constexpr int32_t kPitchWheel = 2;
// arg 1, value 0-1.
constexpr int32_t kModulationWheel = 3;
// arg the key (polyphonic pressure) or -1 (channel pressure), value 0-1.
constexpr int32_t kPressure = 4;
constexpr int32_t kAllNotesOff = 6;
// arg the global id of a parameter, value its plain value: queued as a
// ramped change, not forwarded to the modules.
constexpr int32_t kParameter = 7;
// value 0-127 (the sustain pedal's controller value).
constexpr int32_t kSustain = 9;

// The controller of bank select.
constexpr int32_t kBankSelectController = 0;
// Controller values run from 0 to this.
constexpr int32_t kControllerMax = 127;

} // namespace AM_MidiEvent
