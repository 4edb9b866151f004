// Feeds the audio manager host blocks of lengths, channel layouts, sample
// values, output levels and tempi taken from the input, and checks after
// every block that the counters stay in range and every output sample is 0
// or a finite normal number.

#include "EngineHarness.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kMaxFrames = 4096;
constexpr size_t kBlockHeader = 6; // length (2), flags, output, tempo, swing

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    float sample()
    {
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits = (bits << 8) | byte();
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
};

bool fine(float s)
{
    return s == 0.0f || std::fpclassify(s) == FP_NORMAL;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace enginetest;
    auto engine = makeEngine();
    AM_ProcessContext* ctx = engine->getProcessContext();
    std::vector<float> inLeft(kMaxFrames), inRight(kMaxFrames);
    std::vector<float> outLeft(kMaxFrames + 1), outRight(kMaxFrames + 1);
    Reader in{data, size};
    while (in.size - in.at >= kBlockHeader) {
        const uint32_t frames = ((uint32_t(in.byte()) << 8) | in.byte()) % (kMaxFrames + 1);
        const uint8_t flags = in.byte();
        engine->outputValue() = static_cast<float>(in.byte()) * (200.0f / 255.0f);
        ctx->tempo = static_cast<double>(in.byte()) * 2.0;
        ctx->clockSwing = static_cast<float>(in.byte() % 101);
        ctx->clockNoteValue = flags >> 3;
        // A few sample values from the input, repeated over the block.
        float pattern[8];
        for (float& s : pattern)
            s = in.sample();
        for (uint32_t i = 0; i < frames; ++i) {
            inLeft[i] = pattern[i % 8];
            inRight[i] = pattern[(i + 3) % 8];
        }
        const bool mono = (flags & 1) != 0;
        const bool inPlace = (flags & 2) != 0;
        const bool noInput = (flags & 4) != 0;
        outLeft[frames] = 1.5f;
        float* left = inPlace ? inLeft.data() : outLeft.data();
        float* right = inPlace ? inRight.data() : outRight.data();
        runHostBlock(*engine, frames, noInput ? nullptr : inLeft.data(),
                     noInput ? nullptr : inRight.data(), left, mono ? left : right);
        if (engine->getAheadCount() + engine->getPendingCount() != 16 ||
            engine->getAheadCount() > 15 || outLeft[frames] != 1.5f)
            __builtin_trap();
        for (uint32_t i = 0; i < frames; ++i) {
            if (!fine(left[i]) || (!mono && !fine(right[i])))
                __builtin_trap();
        }
    }
    return 0;
}
