// The plug-in class: the state as the host saves and restores it.
//
// A program chunk is the patch-state text; a bank chunk is the line
// "#pgm=" + program name + LF followed by the same text. A chunk from the
// host is copied and checked (AM_HostChunk) before the state reader sees it;
// one that is refused changes nothing and is answered with 0.

#include "plugin/AM_VST_base.h"

#include "engine/module/AM_PluginInfo.h"
#include "foundation/AM_STD.h"
#include "platform/Clock.h"
#include "plugin/AM_HostChunk.h"
#include "synth/Synth_AudioMan.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr const char* kProgramLineFormat = "#pgm=%s";
constexpr uint32_t kProgramLineBytes = 5 + AM_VST_base::kProgramNameBytes;
constexpr int32_t kNormalRead = 0;
constexpr int32_t kStartupRead = 1;

} // namespace

VstInt32 AM_VST_base::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    *data = nullptr;
    if (!audioMan_)
        return 0;
    const std::lock_guard<std::recursive_mutex> lock(stateMutex_);
    takePendingProgramName();
    char programLine[kProgramLineBytes] = {};
    if (!isPreset)
        AM_STD::sprintn(programLine, sizeof programLine, kProgramLineFormat, programName_);
    uint32_t size = 0;
    const char* chunk = audioMan_->getChunk(&size, isPreset ? nullptr : programLine);
    if (chunk == nullptr || size == 0 || size > static_cast<uint32_t>(INT32_MAX))
        return 0;
    // The host keeps a copy of its own, valid until its next getChunk: the
    // editor's state reads write the engine's buffer again.
    hostChunk_.assign(chunk, chunk + size);
    *data = hostChunk_.data();
    return static_cast<VstInt32>(size);
}

VstInt32 AM_VST_base::setChunk(void* data, VstInt32 byteSize, bool)
{
    if (!audioMan_)
        return 0;
    const std::lock_guard<std::recursive_mutex> lock(stateMutex_);
    AM_HostChunk chunk;
    if (!chunk.take(data, byteSize)) {
        AM_STD::printv("setChunk: refused %d bytes: %s", byteSize, chunk.reason());
        return 0;
    }
    const uint32_t age = platform::tickCount() - constructionTick_;
    int32_t mode = kNormalRead;
    const uint32_t window = earlyRestoreWindow_.load(std::memory_order_relaxed);
    if (age < window || window == kEveryRestoreEarly ||
        earlyRestore_.load(std::memory_order_relaxed) != 0) {
        earlyRestore_.store(1, std::memory_order_relaxed);
        mode = kStartupRead;
    }
    if (!audioMan_->setChunk(chunk.data(), chunk.size(), mode)) {
        AM_STD::printv("setChunk: the state reader refused %d bytes", byteSize);
        return 0;
    }
    if (chunk.hasProgramName()) {
        // Renamed as the host renames it: an open editor hears of a new name.
        char name[AM_HostChunk::kProgramNameChars + 1] = {};
        std::memcpy(name, chunk.programName(), AM_HostChunk::kProgramNameChars);
        setProgramName(name);
        updateDisplay();
    }
    // A state can switch the block latency off.
    const AM_PluginInfo* info = audioMan_->getPluginInfo();
    if (static_cast<VstInt32>(info->latency) != cEffect.initialDelay) {
        setInitialDelay(static_cast<VstInt32>(info->latency));
        ioChanged();
    }
    notifyEditor({AM_EditorNotification::kProgramChanged, 0, 0.0f, false});
    return 1;
}

void AM_VST_base::resetProcessState()
{
    earlyRestore_.store(0, std::memory_order_relaxed);
    earlyRestoreWindow_.store(kEarlyRestoreMilliseconds, std::memory_order_relaxed);
}

void AM_VST_base::setEarlyRestoreWindow(uint32_t milliseconds)
{
    earlyRestoreWindow_.store(milliseconds, std::memory_order_relaxed);
}

bool AM_VST_base::earlyRestoreSeen()
{
    return earlyRestore_.load(std::memory_order_relaxed) != 0;
}
