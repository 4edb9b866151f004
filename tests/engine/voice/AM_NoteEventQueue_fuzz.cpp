// Drives the note-event queue with arbitrary note, pedal, reset and block
// sequences and checks that it stays whole and hands out only sound events.

#include "engine/voice/AM_NoteEventQueue.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AM_NoteEventQueue q;
    size_t i = 0;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const uint8_t op = next();
        switch (op % 6) {
        case 0:
        case 1: {
            // A note: key (some outside the keyboard), velocity, frame.
            const int32_t key = static_cast<int32_t>(next()) - 64;
            const uint32_t velocity = op % 6 == 0 ? next() : 0;
            const int32_t frame = static_cast<int32_t>(next()) * 4;
            q.insert(key, velocity, frame);
            break;
        }
        case 2: {
            // One block: drain it as the voice circuit does.
            const int32_t length = 16 * (1 + next() % 4);
            q.setTimeBase(length);
            int32_t events = 0;
            for (AM_NoteEventQueue::Event e = q.nextEvent(length); e.key >= 0;
                 e = q.nextEvent(length)) {
                check(e.key < AM_NoteEventQueue::kKeys);
                check(e.voice >= 0 && e.voice < q.getVoiceCount());
                check(e.time >= 0 && e.time < length);
                check(++events <= AM_NoteEventQueue::kPendingNodes + AM_NoteEventQueue::kMaxVoices);
            }
            break;
        }
        case 3:
            q.setFlushMode(next() & 1);
            break;
        case 4:
            q.setVoiceCount(next() % 26);
            q.setMono(next() & 1);
            if (next() & 1)
                q.restart();
            else
                q.reset();
            break;
        default:
            q.reset();
            break;
        }
        check(q.linksIntact());
        for (int32_t key = 0; key < AM_NoteEventQueue::kKeys; ++key)
            check(q.getKeyCount(key) >= 0);
    }
    return 0;
}
