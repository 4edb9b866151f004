#pragma once
// A voice circuit in a small engine for tests: the test engine with a
// parameter manager as the main circuit's first child and the voice circuit
// behind it, holding probe modules that record what the circuit hands its
// children (voice events, runs, rows, the context's key and velocity,
// messages 52 and 53) and that end a voice like the voice mixer does, once
// the circuit's gate row is no longer active for it.

#include "TestEngine.h"
#include "engine/module/AM_ProcessContext.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceEvents.h"
#include "params/AM_ParaMan.h"

#include <array>
#include <cstring>
#include <vector>

namespace voicetest {

constexpr uint32_t kRows = k_voiceRowCount;

class VoiceProbe : public AM_AudioObject {
public:
    struct Event {
        int32_t voice;
        int32_t type;
        float velocity;
        float pitch;
        int64_t step; // absolute control step when it arrived
    };
    struct Run {
        int32_t voice;
        int32_t start;
        int32_t length;
        int64_t step; // absolute control step of the stretch's start
        uint32_t endedBitIn;
        const void* voiceMemory;
        int32_t presentKey;
        int32_t presentVelocity;
        float ownAtEntry; // the probe's own row at the stretch's last step, on entry
        float modTarget;  // modTarget as the run found it
    };
    struct Sample {
        int64_t step;
        std::array<float, kRows> rows; // the circuit's rows r..r+8
        float own;                     // the probe's own row, if any
    };
    struct Message {
        uint32_t code;
        int64_t step;
    };

    static constexpr uint32_t kVoiceBytes = 16;

    VoiceProbe(AM_EngineOwner* owner, const char* name, const int64_t* clock, bool ownRow,
               bool receivesVoiceEvents = true)
        : AM_AudioObject(owner, name), clock_(clock)
    {
        setModuleFlags((receivesVoiceEvents ? k_classVoiceEventReceiver : 0u) | k_classPolyByCopies,
                       0, 1, ownRow ? 1 : 0, ownRow ? 1 : 0);
        events.reserve(4096);
        runs.reserve(65536);
        messages.reserve(256);
    }

    uint32_t getVoiceMemorySize() override { return kVoiceBytes; }
    uint32_t getGlobalMemorySize() override { return 0; }
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext*) override { return routine; }

    void voiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                    AM_ProcessContext*) override
    {
        if (recording)
            events.push_back(Event{voice, type, velocity, pitch, now()});
    }
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == k_msgFirstVoiceStarted || message == k_msgAllVoicesEnded)
            messages.push_back(Message{message, now()});
        AM_AudioObject::receiveMessage(sender, message, arg, ptr);
    }

    // Events of one type.
    std::vector<Event> eventsOf(int32_t type) const
    {
        std::vector<Event> out;
        for (const Event& e : events)
            if (e.type == type)
                out.push_back(e);
        return out;
    }
    // Samples of one voice.
    std::vector<Sample> samplesOf(int32_t voice) const
    {
        return voice >= 0 && voice < kMaxVoices ? samples[voice] : std::vector<Sample>{};
    }
    int messageCount(uint32_t code) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.code == code ? 1 : 0;
        return n;
    }
    void clear()
    {
        events.clear();
        runs.clear();
        messages.clear();
        for (auto& s : samples)
            s.clear();
    }

    static constexpr int32_t kMaxVoices = 32;

    AM_VoiceCircuitMin* circuit = nullptr;
    bool recording = true;
    bool recordSamples = true;
    // Ends the voice once the circuit's gate row is no longer active for it.
    bool endWhenGateClosed = true;
    // Ends every voice it runs at once.
    bool endAlways = false;
    // Clears the voice-ended bit it receives from the module before it.
    bool clearEnded = false;
    // A value the tests can make a modulation target.
    float modTarget = 0.0f;
    std::vector<Event> events;
    std::vector<Run> runs;
    std::vector<Message> messages;
    std::array<std::vector<Sample>, kMaxVoices> samples;

private:
    int64_t now() const { return clock_ ? *clock_ * k_stepsPerUnit : 0; }

    static void routine(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* ctx)
    {
        auto* self = static_cast<VoiceProbe*>(record->object);
        const uint32_t r = self->circuit->getFirstControlRow();
        const int64_t base = self->now();
        // The voice memory counts the runs of each voice.
        auto* counter = static_cast<uint32_t*>(record->voiceMemory);
        ++*counter;
        float ownAtEntry = 0.0f;
        if (self->getControlRowCount() > 0) {
            ownAtEntry = ctx->controlRows[self->getFirstControlRow() * k_controlRowSteps +
                                          (*start + *length) * k_stepsPerUnit - 1];
            // The probe's own row: a value per voice, written over the
            // stretch; the circuit keeps its last step per voice.
            float* own = ctx->controlRows + self->getFirstControlRow() * k_controlRowSteps;
            for (int32_t s = *start * k_stepsPerUnit; s < (*start + *length) * k_stepsPerUnit; ++s)
                own[s] = static_cast<float>(record->voice) + 0.5f;
        }
        if (self->recording) {
            self->runs.push_back(Run{record->voice, *start, *length, base + *start * k_stepsPerUnit,
                                     record->flags & k_childVoiceEnded, record->voiceMemory,
                                     ctx->presentKey, ctx->presentVelocity, ownAtEntry,
                                     self->modTarget});
        }
        if (self->recording && self->recordSamples && record->voice < kMaxVoices) {
            for (int32_t s = *start * k_stepsPerUnit; s < (*start + *length) * k_stepsPerUnit;
                 ++s) {
                Sample sample{base + s, {}, 0.0f};
                for (uint32_t k = 0; k < kRows; ++k)
                    sample.rows[k] = ctx->controlRows[(r + k) * k_controlRowSteps + s];
                if (self->getControlRowCount() > 0)
                    sample.own =
                        ctx->controlRows[self->getFirstControlRow() * k_controlRowSteps + s];
                self->samples[record->voice].push_back(sample);
            }
        }
        if (self->clearEnded)
            record->flags &= ~k_childVoiceEnded;
        if (self->endAlways || (self->endWhenGateClosed && ctx->rowActiveFlags[r] == 0))
            record->flags |= k_childVoiceEnded;
    }

    const int64_t* clock_;
};

struct RigOptions {
    uint32_t voices = 8;
    bool minimal = true;
    bool resetFlag = false;
    bool probeRow = false;
    bool secondProbe = false;
    // Off: the probe is no voice-event receiver, so nothing but the circuit
    // is on the voice-event chain.
    bool probeReceivesVoiceEvents = true;
    float sampleRate = 44100.0f;
};

class VoiceRig : public testfixture::TestEngine {
public:
    explicit VoiceRig(RigOptions options = {})
        : TestEngine(engineOptions(options)), options(options)
    {
        paraMan = new AM_ParaMan(this, 0, 0, 2);
        addModule(paraMan);
        vcc = new AM_VoiceCircuitMin(this, "VCC: VoiceCircuit", options.voices, 1, 2, 2);
        if (options.minimal)
            vcc->useMinimalLayout();
        if (options.resetFlag)
            vcc->enableResetFlag();
        addModule(vcc);
        probe = new VoiceProbe(this, "PRB: Probe", &clock, options.probeRow,
                               options.probeReceivesVoiceEvents);
        probe->circuit = vcc;
        vcc->addChild(probe);
        if (options.secondProbe) {
            last = new VoiceProbe(this, "PRB2: Probe2", &clock, false);
            last->circuit = vcc;
            vcc->addChild(last);
        }
        init();
    }

    static testfixture::EngineOptions engineOptions(const RigOptions& o)
    {
        testfixture::EngineOptions e;
        e.sampleRate = o.sampleRate;
        return e;
    }

    void setupParameterTable() override { paraMan->setupParameters(ctx()); }
    int32_t findParameterIndex(int32_t moduleIndex, int32_t localIndex) override
    {
        for (int32_t i = 0; i < paraMan->getJointParameterCount(); ++i) {
            const AM_ParamInfo* info = paraMan->getParameterInfo(i);
            if (info->moduleIndex == moduleIndex &&
                info->localNumber == static_cast<uint32_t>(localIndex))
                return i;
        }
        return -1;
    }
    AM_ParamInfo* getParameterDescriptor(int32_t index, bool) override
    {
        return paraMan->getParameterInfo(index);
    }
    float getParameter(int32_t index, bool) override { return paraMan->getValue(index, false); }
    void setParameter(int32_t index, float value, bool) override
    {
        paraMan->setParam(&index, &value, ctx(), false);
    }

    // The global id of one of the circuit's own parameters.
    int32_t id(uint32_t own)
    {
        return vcc->getFirstParameterId() + static_cast<int32_t>(vcc->getCircuitParameterCount()) +
               static_cast<int32_t>(own);
    }
    // A change as the host makes it: at once before the first block, at the
    // next block afterwards (immediate: not ramped).
    void set(uint32_t own, float value)
    {
        int32_t i = id(own);
        paraMan->setParam(&i, &value, ctx(), true);
    }
    void midi(int32_t kind, int32_t number, float value, float extra, uint32_t frame)
    {
        midiChain()->dispatchMidiEvent(kind, number, value, extra, frame);
    }
    void note(int32_t key, float velocity = 100.0f, uint32_t frame = 0)
    {
        midi(0, 0, static_cast<float>(key), velocity, frame);
    }
    void off(int32_t key, uint32_t frame = 0) { midi(0, 0, static_cast<float>(key), 0.0f, frame); }
    void pedal(bool down) { midi(9, 0, down ? 127.0f : 0.0f, 0.0f, 0); }

    // Runs sub-blocks of `units` units (4 = 64 samples).
    void run(int32_t blocks = 1, int32_t units = k_maxUnitsPerBlock)
    {
        for (int32_t b = 0; b < blocks; ++b) {
            runBlock(units);
            clock += units;
        }
    }
    // Runs `samples` samples as a host would deliver them in blocks of
    // hostBlock samples: each host block in sub-blocks of at most 64.
    void runHostBlocks(int32_t samples, int32_t hostBlock)
    {
        for (int32_t done = 0; done < samples; done += hostBlock) {
            for (int32_t left = hostBlock; left > 0; left -= k_rowSamples)
                run(1, (left < k_rowSamples ? left : k_rowSamples) / k_samplesPerUnit);
        }
    }
    // Writes the main circuit's pitch-wheel row (it is only rewritten while
    // the wheel moves).
    void setWheelRow(float value)
    {
        float* row = ctx()->controlRows + vcc->getPitchWheelRow() * k_controlRowSteps;
        for (int32_t s = 0; s < k_controlRowSteps; ++s)
            row[s] = value;
    }

    AM_VoiceRecord& voice(uint32_t v) { return *vcc->getVoiceRecord(v); }

    RigOptions options;
    int64_t clock = 0; // units run so far
    AM_ParaMan* paraMan = nullptr;
    AM_VoiceCircuitMin* vcc = nullptr;
    VoiceProbe* probe = nullptr;
    VoiceProbe* last = nullptr;
};

} // namespace voicetest
