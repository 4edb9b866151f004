#pragma once
// Drives an audio manager headless, as the plug-in would: the host block
// size, flush-to-zero around every block, MIDI notes at their frame,
// parameter changes by module and parameter short name, and the rendered
// stereo output kept for measuring.

#include "engine/AM_AudioMan.h"
#include "engine/module/AM_ProcessContext.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_ParamInfo.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace synthtest {

constexpr float kRate = 44100.0f;
constexpr int32_t kBlock = 64;

// A note event of a phrase: velocity 0 is a note-off.
struct NoteEvent {
    int64_t at; // host sample
    int32_t key;
    float velocity; // 0-127
};

// Flush-to-zero and denormals-are-zero, as the plug-in sets them around
// every block.
class FlushToZeroScope {
public:
    FlushToZeroScope() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | kFlushBits); }
    ~FlushToZeroScope() { _mm_setcsr(saved_); }
    FlushToZeroScope(const FlushToZeroScope&) = delete;
    FlushToZeroScope& operator=(const FlushToZeroScope&) = delete;

private:
    static constexpr unsigned kFlushBits = 0x8040;
    unsigned saved_;
};

class SynthHost {
public:
    explicit SynthHost(std::unique_ptr<AM_AudioMan> engine) : engine_(std::move(engine)) {}

    AM_AudioMan& engine() { return *engine_; }
    AM_ProcessContext* ctx() { return engine_->getProcessContext(); }

    // The global id of a parameter; throws when there is none, so a
    // misspelt name fails the test at once.
    int32_t id(const char* module, const char* parameter)
    {
        const AM_ParamInfo* info = engine_->findParameter(module, parameter);
        if (!info)
            throw std::runtime_error(std::string("no parameter ") + module + " " + parameter);
        return static_cast<int32_t>(info->index);
    }
    // Sets a parameter without a ramp: at once before the first block, at the
    // start of the next block afterwards.
    void set(const char* module, const char* parameter, float value)
    {
        int32_t i = id(module, parameter);
        engine_->getParaMan()->setParam(&i, &value, ctx(), true);
    }
    float get(const char* module, const char* parameter)
    {
        return engine_->getParameter(id(module, parameter), false);
    }

    // MIDI notes as the plug-in hands them on, `frame` samples into the next
    // host block.
    void noteOn(int32_t key, float velocity = 100.0f, uint32_t frame = 0)
    {
        midi(key, velocity, frame);
    }
    void noteOff(int32_t key, uint32_t frame = 0) { midi(key, 0.0f, frame); }

    // Renders `samples` host samples in blocks of `block` and appends them to
    // left and right.
    void render(int64_t samples, int32_t block = kBlock) { play({}, samples, block); }

    // Renders `samples` host samples in blocks of `block`, handing each event
    // to the engine with the block that holds its time (times count from
    // the start of this call).
    void play(const std::vector<NoteEvent>& events, int64_t samples, int32_t block = kBlock)
    {
        out_[0].assign(static_cast<size_t>(block), 0.0f);
        out_[1].assign(static_cast<size_t>(block), 0.0f);
        for (int64_t done = 0; done < samples; done += block) {
            const int32_t frames = static_cast<int32_t>(std::min<int64_t>(block, samples - done));
            for (const NoteEvent& e : events) {
                if (e.at >= done && e.at < done + frames)
                    midi(e.key, e.velocity, static_cast<uint32_t>(e.at - done));
            }
            AM_ProcessContext* c = ctx();
            c->sampleFrames = static_cast<uint32_t>(frames);
            c->inputChannels[0] = nullptr;
            c->inputChannels[1] = nullptr;
            c->outputChannels[0] = out_[0].data();
            c->outputChannels[1] = out_[1].data();
            {
                FlushToZeroScope flush;
                engine_->processBlock();
            }
            left.insert(left.end(), out_[0].begin(), out_[0].begin() + frames);
            right.insert(right.end(), out_[1].begin(), out_[1].begin() + frames);
        }
    }

    void clearOutput()
    {
        left.clear();
        right.clear();
    }

    std::vector<float> left, right;

private:
    void midi(int32_t key, float velocity, uint32_t frame)
    {
        AM_ProcessContext* c = ctx();
        if (c && c->midiReceivers)
            c->midiReceivers->dispatchMidiEvent(0, 0, static_cast<float>(key), velocity, frame);
    }

    std::unique_ptr<AM_AudioMan> engine_;
    std::vector<float> out_[2];
};

} // namespace synthtest
