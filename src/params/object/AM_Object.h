#pragma once
// The base of every framework object: a word of message-class bits and the
// message host the object is registered with.
//
// Objects never keep lists of each other for notification. They register
// with one AM_ObjectHost and talk through numbered messages (AM_Messages.h)
// that the host hands to every other registered object whose class bits
// match. A reply goes straight back to the sender.

#include <cstdint>

class AM_ObjectHost;

class AM_Object {
public:
    // No host, class mask 0. Any thread that builds the object.
    AM_Object();
    // Registers with the host at once when it is not null.
    explicit AM_Object(AM_ObjectHost* host);
    // Unregisters from the host when it still has one. Not during a
    // broadcast on another thread.
    virtual ~AM_Object();
    AM_Object(const AM_Object&) = delete;
    AM_Object& operator=(const AM_Object&) = delete;

    // Leaves the current host (if any) and registers with the new one (if
    // not null); the host records the class mask as it is now. Not while
    // the host broadcasts on another thread.
    virtual void setHost(AM_ObjectHost* host);
    // Broadcasts a message to the other objects of the host whose stored
    // mask shares a bit with `mask` (all others with mask 0). Nothing
    // happens without a host. Thread of the caller; see AM_ObjectHost.
    virtual void sendMessage(uint32_t mask, uint32_t message, uint32_t arg, void* ptr);
    // Handles message 0 (the host went away) and 13 (answer the sender with
    // message `arg`); everything else is ignored. Every subclass handles its
    // own codes and then calls its base class's handler.
    virtual void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr);

    AM_ObjectHost* getHost() const { return host_; }
    uint32_t getMask() const { return mask_; }

protected:
    uint32_t mask_ = 0;
    AM_ObjectHost* host_ = nullptr;
};
