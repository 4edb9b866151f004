#include "TimedMidiEvent.h"

#include <algorithm>

namespace vsthost {
namespace {

constexpr uint8_t kStatusMask = 0xF0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;

} // namespace

TimedMidiEvent midiMessage(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2)
{
    TimedMidiEvent event;
    event.frame = frame;
    event.data[0] = status;
    event.data[1] = data1;
    const uint8_t kind = status & kStatusMask;
    const bool oneDataByte = kind == kProgramChange || kind == kChannelPressure;
    event.data[2] = oneDataByte ? 0 : data2;
    event.size = oneDataByte ? 2 : 3;
    return event;
}

void sortByFrame(MidiSequence& events)
{
    std::stable_sort(
        events.begin(), events.end(),
        [](const TimedMidiEvent& a, const TimedMidiEvent& b) { return a.frame < b.frame; });
}

int64_t lastFrame(const MidiSequence& events)
{
    int64_t last = 0;
    for (const TimedMidiEvent& event : events)
        last = std::max(last, event.frame);
    return last;
}

} // namespace vsthost
