#pragma once
// The message host: an array of registered objects with the class mask each
// had when it registered, and the broadcast that hands a message to every
// matching object except the sender.
//
// The host takes no lock. Registration, removal and broadcasts run on the
// thread that builds or tears down the engine or that calls the sender; the
// audio thread only broadcasts, while nothing is added or removed. Two
// threads may broadcast at once (the audio thread, and another saving the
// state): the broadcast count is atomic for that.

#include <atomic>
#include <cstdint>

class AM_Object;

class AM_ObjectHost {
public:
    // Room for `capacity` objects; grows by 10 when full. Not on the audio
    // thread.
    explicit AM_ObjectHost(int32_t capacity);
    // Sends message 0 to every registered object (sender none, ptr this
    // host) so that none touches the host again. Not during a broadcast.
    virtual ~AM_ObjectHost();
    AM_ObjectHost(const AM_ObjectHost&) = delete;
    AM_ObjectHost& operator=(const AM_ObjectHost&) = delete;

    // Appends the object with its current mask; an object registered
    // already keeps its one entry and takes its current mask. A full host
    // grows by 10 entries and says so on the trace. Not on the audio thread.
    virtual void addObject(AM_Object* object);
    // Removes the object; the last entry takes its place. Removing an object
    // that is not registered changes nothing. During a broadcast the entry is
    // only emptied and the array is closed up when the broadcast ends, so
    // the broadcast neither breaks nor skips an object. Not on the audio
    // thread.
    virtual void removeObject(AM_Object* object);
    // Calls receiveMessage of every entry in array order whose object is not
    // the sender and, unless mask is 0, whose stored mask shares a bit with
    // mask. Objects added during the broadcast are reached by it. Thread of
    // the sender.
    virtual void broadcastMessage(AM_Object* sender, uint32_t mask, uint32_t message, uint32_t arg,
                                  void* ptr);

    // Entries in use and allocated. Any thread that owns the host.
    int32_t getCount() const { return count_; }
    int32_t getCapacity() const { return capacity_; }
    // The object of entry i (null for an entry emptied during a broadcast),
    // or null outside 0..count-1.
    AM_Object* getObjectAt(int32_t i) const;
    // The mask stored for entry i, or 0 outside 0..count-1.
    uint32_t getMaskAt(int32_t i) const;

    // Entries a full host adds.
    static constexpr int32_t kGrowth = 10;

private:
    struct Entry {
        AM_Object* object;
        uint32_t mask;
    };
    int32_t find(const AM_Object* object) const;
    void grow();
    void compact();

    Entry* entries_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    std::atomic<int32_t> broadcastDepth_{0};
    std::atomic<bool> holesLeft_{false};
};
