#include "DemoPhrase.h"

#include <cmath>
#include <cstdint>

namespace vsthost {
namespace {

constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr double kSecondsPerMinute = 60.0;

struct PhraseNote {
    double startBeat;
    double lengthBeats;
    uint8_t key;
    uint8_t velocity;
};

// C major, A minor, F major, G major; one chord per bar, a melody on top.
constexpr PhraseNote kPhrase[] = {
    {0.0, 3.75, 48, 90},  {0.0, 3.75, 55, 80},   {0.0, 3.75, 64, 80},  {4.0, 3.75, 45, 90},
    {4.0, 3.75, 52, 80},  {4.0, 3.75, 60, 80},   {8.0, 3.75, 41, 90},  {8.0, 3.75, 57, 80},
    {8.0, 3.75, 65, 80},  {12.0, 3.75, 43, 90},  {12.0, 3.75, 59, 80}, {12.0, 3.75, 62, 80},
    {0.5, 0.5, 72, 110},  {1.0, 0.5, 76, 100},   {1.5, 1.0, 79, 105},  {3.0, 0.75, 76, 95},
    {4.5, 0.5, 72, 110},  {5.0, 0.5, 69, 100},   {5.5, 1.5, 72, 105},  {8.25, 0.75, 77, 110},
    {9.0, 0.5, 76, 100},  {9.5, 0.5, 74, 100},   {10.0, 1.5, 72, 105}, {12.5, 0.5, 71, 110},
    {13.0, 0.5, 74, 100}, {13.5, 2.25, 79, 112},
};

} // namespace

MidiSequence demoPhrase(double sampleRate, double tempo)
{
    const double framesPerBeat = sampleRate * kSecondsPerMinute / tempo;
    MidiSequence events;
    for (const PhraseNote& note : kPhrase) {
        const auto start = static_cast<int64_t>(std::llround(note.startBeat * framesPerBeat));
        const auto end =
            static_cast<int64_t>(std::llround((note.startBeat + note.lengthBeats) * framesPerBeat));
        events.push_back(midiMessage(start, kNoteOn, note.key, note.velocity));
        events.push_back(midiMessage(end, kNoteOff, note.key, 0));
    }
    sortByFrame(events);
    return events;
}

} // namespace vsthost
