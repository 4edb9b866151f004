#include "params/AM_ParamBlock.h"

#include <cstring>
#include <new>

namespace {

constexpr uint32_t kAlignment = 16;

// Hands out 16-byte aligned pieces; with no memory it only counts.
class Carver {
public:
    explicit Carver(uint8_t* memory) : memory_(memory) {}
    template <class T> T* take(int32_t count)
    {
        const uint32_t bytes =
            static_cast<uint32_t>(sizeof(T)) * static_cast<uint32_t>(count > 0 ? count : 0);
        T* piece = memory_ ? reinterpret_cast<T*>(memory_ + used_) : nullptr;
        used_ += (bytes + kAlignment - 1) & ~(kAlignment - 1);
        return piece;
    }
    uint8_t* takeBytes(uint32_t bytes)
    {
        uint8_t* piece = memory_ ? memory_ + used_ : nullptr;
        used_ += (bytes + kAlignment - 1) & ~(kAlignment - 1);
        return piece;
    }
    uint32_t used() const { return used_; }

private:
    uint8_t* memory_;
    uint32_t used_ = 0;
};

} // namespace

uint32_t AM_ParamBlock::layout(const AM_ParamBlockCounts& c, uint8_t* memory, AM_ParamBlock* b)
{
    AM_ParamBlock scratch;
    AM_ParamBlock& out = b ? *b : scratch;
    Carver carver(memory);
    const int32_t xySlots = c.axes * c.slots;
    out.header = carver.take<AM_ParamBlockHeader>(1);
    out.values = carver.take<float>(c.parameters);
    out.storage = carver.take<float*>(c.parameters);
    out.rampIndex = carver.take<int32_t>(c.parameters);
    out.ramps = carver.take<AM_RampRecord>(c.ramps);
    out.rampQueue = carver.take<uint32_t>(c.ramps);
    out.xy = carver.take<AM_XYAssignment>(xySlots);
    out.touch = carver.take<int32_t>(c.parameters);
    out.touched = carver.take<int32_t>(c.ramps);
    out.xyList = carver.take<int32_t>(xySlots);
    out.listed8 = carver.take<int32_t>(c.listed8);
    out.publishedMap = carver.take<int32_t>(c.parameters);
    out.xyAxes = carver.take<int32_t>(c.axes);
    out.requested = carver.take<std::atomic<uint32_t>>(c.parameters);
    out.sourceStarts = carver.take<int32_t>(c.sources);
    out.sourceSpans = carver.take<int32_t>(c.sources);
    out.secondListSources = carver.take<int32_t>(c.sources);
    out.queueMemory = carver.takeBytes(
        AM_ParamChangeQueue::bytesFor(static_cast<uint32_t>(c.parameters > 0 ? c.parameters : 0)));
    out.counts = c;
    return carver.used();
}

uint32_t AM_ParamBlock::bytesFor(const AM_ParamBlockCounts& counts)
{
    return layout(counts, nullptr, nullptr);
}

uint32_t AM_ParamBlock::carve(uint8_t* memory, const AM_ParamBlockCounts& counts)
{
    const uint32_t bytes = bytesFor(counts);
    std::memset(memory, 0, bytes);
    layout(counts, memory, this);
    for (int32_t i = 0; i < counts.parameters; ++i)
        new (&requested[i]) std::atomic<uint32_t>(0);
    return bytes;
}
