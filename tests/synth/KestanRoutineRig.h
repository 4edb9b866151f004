#pragma once
// The voice module's per-voice routine called directly, the way the voice
// circuit calls it: a module without an engine, its global record and a few
// voice records in aligned memory of the test's own, a process context with
// control rows the test fills (so that every modulation row can be set to
// any value) and a bus with the voice's two output rows.

#include "synth/KestanAudio.h"
#include "synth/KestanVoiceRecord.h"

#include "engine/module/AM_ChildRecord.h"
#include "engine/module/AM_ProcessContext.h"
#include "params/object/AM_ParamInfo.h"

#include <xmmintrin.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace synthtest {

class KestanRoutineRig {
public:
    static constexpr uint32_t kRows = 24;
    static constexpr uint32_t kBusRows = 4;
    static constexpr uint8_t kOutputRow = 2;

    explicit KestanRoutineRig(int32_t voices = 2, float sampleRate = 44100.0f)
        : module_(nullptr, "Kestan: Kestan"), voices_(voices)
    {
        global_ = allocate<KestanGlobalRecord>(1);
        voiceRecords_ = allocate<KestanVoiceRecord>(static_cast<size_t>(voices));
        for (int32_t v = 0; v < voices; ++v)
            voice(v).resetFlag = 1;
        rows_.assign(kRows * k_controlRowSteps, 0.0f);
        bus_.assign(kBusRows * k_rowSamples, 0.0f);
        std::memset(&ctx_, 0, sizeof(ctx_));
        setSampleRate(sampleRate);
        ctx_.controlRows = rows_.data();
        ctx_.controlRowCount = kRows;
        ctx_.busBuffer = bus_.data();
        ctx_.busRowCount = kBusRows;
        setDefaults();
    }
    ~KestanRoutineRig()
    {
        ::operator delete(global_, std::align_val_t{kAlign});
        ::operator delete(voiceRecords_, std::align_val_t{kAlign});
    }
    KestanRoutineRig(const KestanRoutineRig&) = delete;
    KestanRoutineRig& operator=(const KestanRoutineRig&) = delete;

    void setSampleRate(float rate)
    {
        ctx_.sampleRate = rate;
        ctx_.samplePeriod = 1.0f / rate;
        ctx_.sampleRateD = rate;
        ctx_.samplePeriodD = 1.0 / double(rate);
        ctx_.sampleRateInt = static_cast<int32_t>(rate);
    }

    // Every parameter at its default, as the parameter manager writes them.
    void setDefaults()
    {
        const AM_ParamInfo* table = KestanAudio::descriptorTable();
        for (uint32_t i = 0; i < KestanAudio::k_parameterCount; ++i)
            set(i, table[i].defaultValue);
    }
    // A parameter value in its stored form (int32 for the integer kinds).
    void set(uint32_t id, float value)
    {
        const AM_ParamInfo& info = KestanAudio::descriptorTable()[id];
        global_->values[id] = info.kind() == k_kindInteger
                                  ? std::bit_cast<uint32_t>(static_cast<int32_t>(value))
                                  : std::bit_cast<uint32_t>(value);
    }
    // Every step of a control row.
    void setRow(uint32_t row, float value)
    {
        std::fill_n(rows_.begin() + row * k_controlRowSteps, k_controlRowSteps, value);
    }

    // Starts a new sub-block (the engine counts them).
    void nextBlock() { ++ctx_.blockCounter; }
    // Runs the routine for one voice over units [start, start + length) of
    // the current sub-block.
    void run(int32_t voiceIndex, int32_t start, int32_t length)
    {
        AM_ChildRecord record{};
        record.voiceMemory = &voice(voiceIndex);
        record.globalMemory = global_;
        record.object = &module_;
        record.routine = module_.getProcessRoutine(&ctx_);
        record.inputRow = kOutputRow;
        record.outputRow = kOutputRow;
        record.voice = static_cast<uint8_t>(voiceIndex);
        record.flags = k_childRun | k_childCreated;
        record.routine(&start, &length, &record, &ctx_);
    }
    // Runs one whole sub-block of one voice and appends its output (both
    // channels) to out.
    void render(int32_t voiceIndex, std::vector<float>& left, std::vector<float>& right)
    {
        nextBlock();
        run(voiceIndex, 0, k_maxUnitsPerBlock);
        left.insert(left.end(), output(0), output(0) + k_rowSamples);
        right.insert(right.end(), output(1), output(1) + k_rowSamples);
    }

    const float* output(uint32_t channel) const
    {
        return bus_.data() + (kOutputRow + channel) * k_rowSamples;
    }
    KestanVoiceRecord& voice(int32_t v) { return voiceRecords_[v]; }
    KestanGlobalRecord& global() { return *global_; }
    AM_ProcessContext& ctx() { return ctx_; }
    KestanAudio& module() { return module_; }

private:
    static constexpr size_t kAlign = 16;

    template <typename T> static T* allocate(size_t count)
    {
        const size_t bytes = (sizeof(T) * count + kAlign - 1) / kAlign * kAlign;
        void* memory = ::operator new(bytes, std::align_val_t{kAlign});
        std::memset(memory, 0, bytes);
        return static_cast<T*>(memory);
    }

    KestanAudio module_;
    int32_t voices_;
    KestanGlobalRecord* global_ = nullptr;
    KestanVoiceRecord* voiceRecords_ = nullptr;
    std::vector<float> rows_;
    std::vector<float> bus_;
    AM_ProcessContext ctx_;
};

} // namespace synthtest
