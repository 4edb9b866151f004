#pragma once
// The built-in demo phrase: four bars of chords under a melody, with note
// times that fall inside host blocks (not on block starts), so that sample
// offsets are exercised.

#include "TimedMidiEvent.h"

namespace vsthost {

// The phrase at tempo (beats per minute) and sampleRate, on MIDI channel 1.
MidiSequence demoPhrase(double sampleRate, double tempo);

} // namespace vsthost
