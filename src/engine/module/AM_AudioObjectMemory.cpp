// Memory of the module tree: sizing, carving from the engine block, copies
// of voice memory, and the shared scratch buffer.

#include "engine/module/AM_AudioObject.h"

#include "foundation/AM_STD.h"

#include <cstring>

namespace {

uint32_t roundUp16(uint32_t bytes)
{
    return (bytes + k_memoryAlignment - 1) & ~(k_memoryAlignment - 1);
}

constexpr uint32_t kRoundDown4 = ~3u;

} // namespace

uint32_t AM_AudioObject::getSubtreeGlobalMemorySize()
{
    const uint32_t own = roundUp16(getGlobalMemorySize());
    globalMemorySize_ = own / 4;
    uint32_t total = own;
    if (firstChild_)
        total += firstChild_->getSubtreeGlobalMemorySize();
    if (nextSibling_)
        total += nextSibling_->getSubtreeGlobalMemorySize();
    return total;
}

uint32_t AM_AudioObject::getSubtreeVoiceMemorySize()
{
    const uint32_t own = roundUp16(getVoiceMemorySize()) * voiceCount_;
    voiceMemorySize_ = own / 4;
    uint32_t total = own;
    if (firstChild_)
        total += childCopies_ * firstChild_->getSubtreeVoiceMemorySize();
    if (nextSibling_)
        total += nextSibling_->getSubtreeVoiceMemorySize();
    return total;
}

// Carves, in this order: own voice and global memory from the cursors, the
// first child's subtree (one copy of the children's chain; with several
// child copies the remaining copies follow it, each one chain apart), the
// next sibling's subtree; then prepares this module. The stride of the
// copies is the same subtree size the engine block was sized with.
void AM_AudioObject::assignMemory(uint8_t*& voiceCursor, uint8_t*& globalCursor,
                                  AM_ProcessContext* context)
{
    voiceMemory_ = voiceCursor;
    globalMemory_ = globalCursor;
    voiceCursor += static_cast<size_t>(voiceMemorySize_) * 4;
    globalCursor += static_cast<size_t>(globalMemorySize_) * 4;
    if (firstChild_) {
        firstChild_->assignMemory(voiceCursor, globalCursor, context);
        if (childCopies_ > 1) {
            const uint32_t stride = firstChild_->getSubtreeVoiceMemorySize();
            firstChild_->setCopies(childCopies_, stride);
            voiceCursor += (static_cast<size_t>(childCopies_ - 1) * stride) & kRoundDown4;
        }
    }
    if (nextSibling_)
        nextSibling_->assignMemory(voiceCursor, globalCursor, context);
    prepare(context);
}

void AM_AudioObject::setCopies(uint32_t count, uint32_t stride)
{
    copyCount_ = count;
    copyStride_ = stride;
    if (voiceMemory_ && voiceMemorySize_ != 0) {
        const size_t bytes = static_cast<size_t>(voiceMemorySize_) * 4;
        const size_t step = stride & kRoundDown4;
        for (uint32_t copy = 1; copy < count; ++copy)
            std::memcpy(voiceMemory_ + step * copy, voiceMemory_, bytes);
    }
    if (firstChild_)
        firstChild_->setCopies(count, stride);
    if (nextSibling_)
        nextSibling_->setCopies(count, stride);
    copiesChanged();
}

void* AM_AudioObject::getSharedMemory(uint32_t bytes)
{
    if (!sharedMemory_)
        sharedMemory_ = new AM_SharedMemory{nullptr, 0, this};
    if (sharedMemory_->buffer && static_cast<uint32_t>(sharedMemory_->size) >= bytes)
        return sharedMemory_->buffer;
    // The record is shared: a module that adopted it sees the new buffer
    // too, and the record's owner frees it in the end.
    delete[] static_cast<uint8_t*>(sharedMemory_->buffer);
    sharedMemory_->buffer = new uint8_t[bytes]();
    sharedMemory_->size = static_cast<int32_t>(bytes);
    return sharedMemory_->buffer;
}

void AM_AudioObject::setSharedMemory(AM_SharedMemory* shared)
{
    if (!shared)
        return;
    if (!sharedMemory_) {
        sharedMemory_ = shared;
        return;
    }
    // A module holds one shared buffer; a second one (even the same again)
    // is a building mistake worth a word.
    AM_STD::printv("Duplicate Shared Memory Pointer ERROR in %s", name_);
}
