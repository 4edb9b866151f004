#pragma once
// What the plug-in has to tell its editor, handed from whichever thread
// noticed it (the host's audio thread included) to the editor's idle call.
//
// A fixed ring of kCapacity notifications; pushing and popping are
// lock-free and allocate nothing, from any number of threads. When the ring
// is full a new notification is dropped and counted (overflow policy: the
// editor misses the newest ones, and the counter says how many).

#include <atomic>
#include <cstdint>

struct AM_EditorNotification {
    enum Kind : uint32_t {
        kParameterChanged = 0, // index, value, published
        kProgramChanged = 1,   // the host or MIDI chose another program
        kProgramNameChanged = 2,
        kMidiLearned = 3, // index: the controller MIDI learn took
    };
    Kind kind = kParameterChanged;
    int32_t index = 0;
    float value = 0.0f;
    bool published = false;
};

class AM_EditorNotificationQueue {
public:
    static constexpr uint32_t kCapacity = 256;

    AM_EditorNotificationQueue();
    AM_EditorNotificationQueue(const AM_EditorNotificationQueue&) = delete;
    AM_EditorNotificationQueue& operator=(const AM_EditorNotificationQueue&) = delete;

    // Appends a notification; false (and counted) when the ring is full.
    // Any thread, real-time ones included.
    bool push(const AM_EditorNotification& notification);
    // Takes the oldest notification; false when there is none. Any thread.
    bool pop(AM_EditorNotification& notification);
    // Drops everything queued. Any thread.
    void clear();
    // Notifications dropped because the ring was full. Any thread.
    uint64_t overflowCount() const { return overflows_.load(std::memory_order_relaxed); }

private:
    static_assert((kCapacity & (kCapacity - 1)) == 0, "the capacity must be a power of two");
    static constexpr uint32_t kMask = kCapacity - 1;

    // Each cell carries a sequence number that says whose turn it is: equal
    // to the position for the producer of that position, position + 1 for
    // its consumer.
    struct Cell {
        std::atomic<uint32_t> sequence;
        AM_EditorNotification notification;
    };

    Cell cells_[kCapacity];
    alignas(64) std::atomic<uint32_t> enqueuePosition_{0};
    alignas(64) std::atomic<uint32_t> dequeuePosition_{0};
    std::atomic<uint64_t> overflows_{0};
};
