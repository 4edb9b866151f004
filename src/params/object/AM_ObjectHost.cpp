#include "params/object/AM_ObjectHost.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_Object.h"

AM_ObjectHost::AM_ObjectHost(int32_t capacity) : capacity_(capacity > 0 ? capacity : 0)
{
    entries_ = new Entry[static_cast<size_t>(capacity_)]();
}

AM_ObjectHost::~AM_ObjectHost()
{
    // Counted as a broadcast so that an object leaving on message 0 cannot
    // make the walk skip another one.
    broadcastDepth_.fetch_add(1, std::memory_order_relaxed);
    for (int32_t i = 0; i < count_; ++i) {
        if (entries_[i].object)
            entries_[i].object->receiveMessage(nullptr, k_msgHostDeleted, 0, this);
    }
    delete[] entries_;
}

int32_t AM_ObjectHost::find(const AM_Object* object) const
{
    for (int32_t i = 0; i < count_; ++i) {
        if (entries_[i].object == object)
            return i;
    }
    return -1;
}

void AM_ObjectHost::grow()
{
    AM_STD::printv("Number of Objects exceeded %d. Please increase initial size in AM_Host!\n",
                   capacity_);
    const int32_t newCapacity = capacity_ + kGrowth;
    Entry* grown = new Entry[static_cast<size_t>(newCapacity)]();
    for (int32_t i = 0; i < count_; ++i)
        grown[i] = entries_[i];
    delete[] entries_;
    entries_ = grown;
    capacity_ = newCapacity;
}

void AM_ObjectHost::addObject(AM_Object* object)
{
    if (!object)
        return;
    const int32_t existing = find(object);
    if (existing >= 0) {
        entries_[existing].mask = object->getMask();
        return;
    }
    if (count_ >= capacity_ - 1)
        grow();
    entries_[count_] = Entry{object, object->getMask()};
    ++count_;
}

void AM_ObjectHost::removeObject(AM_Object* object)
{
    if (!object)
        return;
    const int32_t i = find(object);
    if (i < 0)
        return;
    if (broadcastDepth_.load(std::memory_order_acquire) > 0) {
        entries_[i] = Entry{nullptr, 0};
        holesLeft_.store(true, std::memory_order_release);
        return;
    }
    --count_;
    entries_[i] = entries_[count_];
    entries_[count_] = Entry{nullptr, 0};
}

void AM_ObjectHost::compact()
{
    int32_t i = 0;
    while (i < count_) {
        if (entries_[i].object) {
            ++i;
            continue;
        }
        --count_;
        entries_[i] = entries_[count_];
        entries_[count_] = Entry{nullptr, 0};
    }
    holesLeft_.store(false, std::memory_order_release);
}

void AM_ObjectHost::broadcastMessage(AM_Object* sender, uint32_t mask, uint32_t message,
                                     uint32_t arg, void* ptr)
{
    broadcastDepth_.fetch_add(1, std::memory_order_acq_rel);
    for (int32_t i = 0; i < count_; ++i) {
        AM_Object* object = entries_[i].object;
        if (!object || object == sender)
            continue;
        if (mask != 0 && (entries_[i].mask & mask) == 0)
            continue;
        object->receiveMessage(sender, message, arg, ptr);
    }
    if (broadcastDepth_.fetch_sub(1, std::memory_order_acq_rel) == 1 &&
        holesLeft_.load(std::memory_order_acquire))
        compact();
}

AM_Object* AM_ObjectHost::getObjectAt(int32_t i) const
{
    return (i >= 0 && i < count_) ? entries_[i].object : nullptr;
}

uint32_t AM_ObjectHost::getMaskAt(int32_t i) const
{
    return (i >= 0 && i < count_) ? entries_[i].mask : 0;
}
