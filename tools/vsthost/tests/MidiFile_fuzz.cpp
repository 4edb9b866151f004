// Any bytes given to the MIDI file reader: it answers or refuses, never
// reads outside the data, and every event it answers is well formed.
#include "MidiFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vsthost::MidiSequence events;
    std::string error;
    if (!vsthost::parseMidiFile(data, size, 44100.0, events, error))
        return 0;
    for (const vsthost::TimedMidiEvent& event : events)
        if (event.frame < 0 || event.size < 2 || event.size > 3 || event.data[0] < 0x80 ||
            event.data[0] >= 0xF0)
            std::abort();
    return 0;
}
