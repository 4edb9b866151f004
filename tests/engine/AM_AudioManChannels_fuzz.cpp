// Feeds the multi-channel and no-latency paths host blocks whose lengths,
// connected channels, shared buffers, layout words and path come from the
// input, with 3 to 16 channels per bus, and checks after every block that
// every connected output frame was written, nothing after the block was, and
// the carry counters add up to 16.

#include "ChannelHarness.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace enginetest;

constexpr uint32_t kMaxFrames = 4096;
// length (2), inputs (2), outputs (2), shared (2), layout and surround, path
// and sample seed.
constexpr size_t kBlockHeader = 10;
// A quiet NaN with a payload: no sample the engine writes can carry it.
constexpr uint32_t kSentinelBits = 0x7FC5A5A5u;

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint32_t word() { return (uint32_t(byte()) << 8) | byte(); }
};

bool isSentinel(float s)
{
    return std::bit_cast<uint32_t>(s) == kSentinelBits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in{data, size};
    const uint32_t channels = 3 + in.byte() % 14;
    auto engine = makeChannelEngine(channels, k_layoutAutoSurround, k_surroundNoLfe);
    AM_ProcessContext* ctx = engine->getProcessContext();
    const float sentinel = std::bit_cast<float>(kSentinelBits);
    std::vector<std::vector<float>> inputs(kHostChannels, std::vector<float>(kMaxFrames + 1));
    std::vector<std::vector<float>> outputs(kHostChannels, std::vector<float>(kMaxFrames + 1));
    while (in.size - in.at >= kBlockHeader) {
        const uint32_t frames = in.word() % (kMaxFrames + 1);
        const uint32_t inputMask = in.word();
        const uint32_t outputMask = in.word();
        const uint32_t sharedMask = in.word();
        const uint8_t layout = in.byte();
        const uint8_t path = in.byte();
        ctx->channelLayout = layout & 0x0F;
        ctx->surroundOptions = layout >> 4;
        engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, path & 1);
        engine->setMeteringCount((path & 2) ? 2000 : 0);

        ChannelPointers hostIn{}, hostOut{};
        for (uint32_t c = 0; c < kHostChannels; ++c) {
            for (uint32_t i = 0; i < frames; ++i)
                inputs[c][i] = static_cast<float>((i * (path | 1) + c) % 64) / 64.0f - 0.5f;
            const bool shared = ((sharedMask >> c) & 1) != 0;
            std::vector<float>& o = shared ? inputs[c] : outputs[c];
            if (!shared)
                std::fill(o.begin(), o.begin() + frames, sentinel);
            o[frames] = sentinel;
            if ((inputMask >> c) & 1)
                hostIn[c] = inputs[c].data();
            if ((outputMask >> c) & 1)
                hostOut[c] = o.data();
        }
        runChannelBlock(*engine, frames, hostIn, hostOut);

        if ((path & 1) == 0 &&
            engine->getAheadCount() + engine->getPendingCount() != AM_AudioMan::kLatency)
            __builtin_trap();
        for (uint32_t c = 0; c < kHostChannels; ++c) {
            if (!hostOut[c])
                continue;
            for (uint32_t i = 0; i < frames; ++i) {
                if (isSentinel(hostOut[c][i]))
                    __builtin_trap();
            }
            if (!isSentinel(hostOut[c][frames]))
                __builtin_trap();
        }
    }
    return 0;
}
