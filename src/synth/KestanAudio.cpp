// The voice module's life: construction with the process-wide tables, its
// memory, voice events and resets, and its process-wide state.

#include "synth/KestanAudio.h"
#include "synth/KestanVoiceRecord.h"

#include "engine/voice/AM_VoiceEvents.h"
#include "params/object/AM_Messages.h"
#include "synth/dsp/PitchTable.h"

#include <atomic>
#include <cstring>

namespace {

// 0x20 polyphonic by copies, 0x20000 receives voice events.
constexpr uint32_t kClassFlags = k_classPolyByCopies | k_classVoiceEventReceiver;
constexpr uint32_t kChannels = 1;

std::atomic<uint32_t> g_instances{0};

} // namespace

KestanAudio::KestanAudio(AM_EngineOwner* owner, const char* name) : AM_AudioObject(owner, name)
{
    setModuleFlags(kClassFlags, k_parameterCount, kChannels, 0, 0);
    g_instances.fetch_add(1, std::memory_order_relaxed);
    plot_ = std::make_unique<uint8_t[]>(kPlotBytes);
    const uint32_t header[2] = {kPlotFormat, kPlotPoints};
    std::memcpy(plot_.get(), header, sizeof(header));
    // The shared tables are built here, on a thread that may allocate, so
    // that the render only reads them.
    tables_ = synthdsp::oscillatorTables();
    synthdsp::pitchTable();
}

KestanAudio::~KestanAudio()
{
    g_instances.fetch_sub(1, std::memory_order_relaxed);
}

uint32_t KestanAudio::getVoiceMemorySize()
{
    return sizeof(KestanVoiceRecord);
}

uint32_t KestanAudio::getGlobalMemorySize()
{
    return sizeof(KestanGlobalRecord);
}

KestanVoiceRecord* KestanAudio::voiceRecordOf(uint32_t copy) const
{
    if (!voiceMemory_ || copy >= copyCount_ || (copy > 0 && copyStride_ == 0))
        return nullptr;
    return reinterpret_cast<KestanVoiceRecord*>(voiceMemory_ +
                                                static_cast<size_t>(copy) * copyStride_);
}

void KestanAudio::prepare(AM_ProcessContext*)
{
    // Copy 0 is replicated into the other copies once the circuit knows
    // their count; copies that exist already are marked too.
    for (uint32_t copy = 0; copy < copyCount_; ++copy) {
        if (KestanVoiceRecord* voice = voiceRecordOf(copy))
            voice->resetFlag = 1;
    }
}

void KestanAudio::reset(AM_ChildRecord* record)
{
    if (record) {
        if (record->voiceMemory)
            static_cast<KestanVoiceRecord*>(record->voiceMemory)->resetFlag = 1;
        return;
    }
    prepare(nullptr);
}

void KestanAudio::voiceEvent(int32_t voice, int32_t type, float, float, AM_ProcessContext*)
{
    if (type != k_voiceEventNoteOn || voice < 0)
        return;
    if (KestanVoiceRecord* record = voiceRecordOf(static_cast<uint32_t>(voice)))
        record->resetFlag = 1;
}

AM_ProcessRoutine KestanAudio::getProcessRoutine(AM_ProcessContext*)
{
    return process;
}

uint32_t KestanAudio::instanceCount()
{
    return g_instances.load(std::memory_order_relaxed);
}
