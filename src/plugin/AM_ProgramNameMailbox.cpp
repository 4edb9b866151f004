#include "plugin/AM_ProgramNameMailbox.h"

#include <cstring>

void AM_ProgramNameMailbox::post(const char* name)
{
    char* slot = slots_[writeSlot_];
    const char* text = name != nullptr ? name : "";
    const void* zero = std::memchr(text, 0, kNameBytes - 1);
    const size_t length = zero != nullptr
                              ? static_cast<size_t>(static_cast<const char*>(zero) - text)
                              : kNameBytes - 1;
    std::memcpy(slot, text, length);
    std::memset(slot + length, 0, kNameBytes - length);
    const uint32_t previous = middle_.exchange(writeSlot_ | kFreshBit, std::memory_order_acq_rel);
    writeSlot_ = previous & kIndexMask;
}

bool AM_ProgramNameMailbox::take(char* out)
{
    if ((middle_.load(std::memory_order_acquire) & kFreshBit) == 0)
        return false;
    const uint32_t previous = middle_.exchange(readSlot_, std::memory_order_acq_rel);
    readSlot_ = previous & kIndexMask;
    std::memcpy(out, slots_[readSlot_], kNameBytes);
    return true;
}
