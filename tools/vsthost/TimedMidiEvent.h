#pragma once
// A MIDI message at an absolute sample position of the rendering.

#include <cstdint>
#include <vector>

namespace vsthost {

struct TimedMidiEvent {
    int64_t frame = 0; // sample position from the start of the rendering
    uint8_t data[3] = {0, 0, 0};
    uint8_t size = 0; // 1 to 3 bytes of data are used
};

using MidiSequence = std::vector<TimedMidiEvent>;

// A channel message at frame (size from the status byte).
TimedMidiEvent midiMessage(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2 = 0);

// Sorts by frame, keeping the order of events at the same frame.
void sortByFrame(MidiSequence& events);

// The frame of the last event, or 0 for none.
int64_t lastFrame(const MidiSequence& events);

} // namespace vsthost
