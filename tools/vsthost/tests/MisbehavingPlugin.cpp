// A plug-in module that behaves as badly as a host may meet: the mode in the
// environment variable KK_MISBEHAVE selects how. It exports only "main", so
// it also shows that hosts fall back to that name.
//
//   zero       (default) a record whose dispatcher answers 0 to everything,
//              with no process, parameter or chunk entries at all
//   null       the entry answers null
//   bad-magic  a record without the VST magic
//   huge       a record claiming 100000 outputs
//   ftz        a working record whose processReplacing leaves flush-to-zero
//              set in the floating-point control register
//   chunkless  chunk flag set, but getChunk answers a size with no data
#include "plugin/vst/VstAbi.h"
#include "plugin/vst/VstOpcodes.h"

#include <cstdlib>
#include <cstring>
#include <xmmintrin.h>

namespace {

constexpr int kHugeOutputs = 100000;
constexpr unsigned kFlushToZero = 0x8000;
constexpr VstIntPtr kChunklessSize = 100;

AEffect record;

VstIntPtr answerNothing(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

VstIntPtr answerChunkless(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode == effGetChunk && ptr != nullptr) {
        *static_cast<void**>(ptr) = nullptr;
        return kChunklessSize;
    }
    return 0;
}

void processLeavingFlushToZero(AEffect* effect, float**, float** outputs, VstInt32 frames)
{
    _mm_setcsr(_mm_getcsr() | kFlushToZero);
    for (VstInt32 c = 0; c < effect->numOutputs; ++c)
        std::memset(outputs[c], 0, sizeof(float) * static_cast<size_t>(frames));
}

bool modeIs(const char* mode)
{
    const char* chosen = std::getenv("KK_MISBEHAVE");
    return chosen != nullptr && std::strcmp(chosen, mode) == 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect*
misbehavingMain(audioMasterCallback host) asm("main");

extern "C" AEffect* misbehavingMain(audioMasterCallback)
{
    if (modeIs("null"))
        return nullptr;
    record = AEffect{};
    record.magic = modeIs("bad-magic") ? 0 : kEffectMagic;
    record.dispatcher = answerNothing;
    record.numParams = 3;
    record.numOutputs = modeIs("huge") ? kHugeOutputs : 2;
    if (modeIs("ftz")) {
        record.processReplacing = processLeavingFlushToZero;
        record.flags = effFlagsCanReplacing;
    }
    if (modeIs("chunkless")) {
        record.dispatcher = answerChunkless;
        record.flags = effFlagsProgramChunks;
    }
    return &record;
}
