#pragma once
// A voice circuit with a parameter manager in the small test engine, for the
// modules that run inside a voice (LFO, envelope, voice mixer): the test's
// builder adds them to the circuit before the engine is initialised. Fixture
// modules record rows per voice, stand in for the voice module (audio on the
// circuit's bus row, optionally a VCA source), and log the messages the
// modules broadcast. Output bus rows 0 and 1 are collected per block.

#include "TestEngine.h"
#include "engine/module/AM_ProcessContext.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceEvents.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_ModSourceInfo.h"

#include <array>
#include <cstring>
#include <functional>
#include <vector>

namespace modtest {

// Records, after the modules before it in the run list, the rows of the
// watched modules for every control step a voice runs, with the row-active
// flags as they stand at the call. Passes the voice-ended bit on untouched.
class RowRecorder : public AM_AudioObject {
public:
    static constexpr size_t kMaxWatched = 4;
    struct Step {
        int64_t step; // absolute control step
        int32_t voice;
        std::array<float, kMaxWatched> values;
        std::array<uint32_t, kMaxWatched> active;
    };

    // clock: the units run before the present sub-block.
    RowRecorder(AM_EngineOwner* owner, const char* name, const int64_t* clock)
        : AM_AudioObject(owner, name), clock_(clock)
    {
        setModuleFlags(k_classPolyByCopies, 0, 1, 0, 0);
        steps.reserve(1 << 18);
    }

    uint32_t getVoiceMemorySize() override { return 0; }
    uint32_t getGlobalMemorySize() override { return 0; }
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext*) override { return routine; }

    void watch(AM_AudioObject* module)
    {
        if (watched_.size() < kMaxWatched)
            watched_.push_back(module);
    }

    // The values of watched module k for one voice, one per control step it
    // ran, with their absolute steps.
    struct Series {
        std::vector<int64_t> steps;
        std::vector<float> values;
        std::vector<uint32_t> active;
    };
    Series series(int32_t voice, size_t k = 0) const
    {
        Series s;
        for (const Step& step : steps) {
            if (step.voice != voice)
                continue;
            s.steps.push_back(step.step);
            s.values.push_back(step.values[k]);
            s.active.push_back(step.active[k]);
        }
        return s;
    }
    void clear() { steps.clear(); }

    bool recording = true;
    std::vector<Step> steps;

private:
    static void routine(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* ctx)
    {
        auto* self = static_cast<RowRecorder*>(record->object);
        if (!self->recording)
            return;
        const int64_t base = self->clock_ ? *self->clock_ * k_stepsPerUnit : 0;
        for (int32_t s = *start * k_stepsPerUnit; s < (*start + *length) * k_stepsPerUnit; ++s) {
            Step step{base + s, record->voice, {}, {}};
            for (size_t k = 0; k < self->watched_.size(); ++k) {
                const uint32_t row = self->watched_[k]->getFirstControlRow();
                step.values[k] = ctx->controlRows[row * k_controlRowSteps + s];
                step.active[k] = ctx->rowActiveFlags[row];
            }
            self->steps.push_back(step);
        }
    }

    const int64_t* clock_;
    std::vector<AM_AudioObject*> watched_;
};

// Stands in for the voice module: writes `input` into its output bus row
// (and `rightInput` into the row after it when `stereo`) for every voice it
// runs and, when asked, offers a VCA source (a second list source that the
// voice mixer chooses by default) whose value and row-active flag the test
// sets per voice.
class TestVoiceSource : public AM_AudioObject {
public:
    static constexpr int32_t kVoices = 32;

    TestVoiceSource(AM_EngineOwner* owner, const char* name, bool offersVca)
        : AM_AudioObject(owner, name), offersVca_(offersVca)
    {
        setModuleFlags(k_classPolyByCopies, 0, 1, offersVca ? 1 : 0, offersVca ? 1 : 0);
        vcaLevel.fill(1.0f);
        vcaActive.fill(1);
    }

    uint32_t getVoiceMemorySize() override { return 0; }
    uint32_t getGlobalMemorySize() override { return 0; }
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext*) override { return routine; }
    void getModSourceInfo(uint32_t i, AM_ModSourceInfo* info) override
    {
        AM_AudioObject::getModSourceInfo(i, info);
        info->flags = kVcaSourceKind;
    }

    float input = 1.0f;
    bool stereo = false;
    float rightInput = 0.0f;
    std::array<float, kVoices> vcaLevel;
    std::array<uint32_t, kVoices> vcaActive;

private:
    // Second list (bit 22) and its default (bit 20), as the amplitude
    // envelope offers itself.
    static constexpr uint32_t kVcaSourceKind = 0x500000;

    static void routine(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* ctx)
    {
        auto* self = static_cast<TestVoiceSource*>(record->object);
        float* bus = ctx->busBuffer + record->outputRow * k_rowSamples;
        for (int32_t n = *start * k_samplesPerUnit; n < (*start + *length) * k_samplesPerUnit;
             ++n) {
            bus[n] = self->input;
            if (self->stereo)
                bus[n + k_rowSamples] = self->rightInput;
        }
        if (!self->offersVca_)
            return;
        const int32_t v = record->voice % kVoices;
        const uint32_t row = self->getFirstControlRow();
        for (int32_t s = *start * k_stepsPerUnit; s < (*start + *length) * k_stepsPerUnit; ++s)
            ctx->controlRows[row * k_controlRowSteps + s] = self->vcaLevel[v];
        ctx->rowActiveFlags[row] = self->vcaActive[v];
    }

    bool offersVca_;
};

// Logs the messages broadcast on the engine's host.
class MessageLog : public AM_Object {
public:
    struct Entry {
        uint32_t message;
        uint32_t arg;
        AM_Object* sender;
    };
    explicit MessageLog(AM_ObjectHost* host) : AM_Object(host) { entries.reserve(4096); }
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        entries.push_back(Entry{message, arg, sender});
        AM_Object::receiveMessage(sender, message, arg, ptr);
    }
    int count(uint32_t message, uint32_t arg) const
    {
        int n = 0;
        for (const Entry& e : entries)
            n += e.message == message && e.arg == arg ? 1 : 0;
        return n;
    }
    std::vector<Entry> entries;
};

struct RigSetup {
    uint32_t voices = 8;
    float sampleRate = 44100.0f;
    bool resetFlag = false;
};

class ModuleRig : public testfixture::TestEngine {
public:
    using Builder = std::function<void(ModuleRig&)>;

    explicit ModuleRig(const Builder& build, RigSetup setup = {}) : TestEngine(engineOptions(setup))
    {
        paraMan = new AM_ParaMan(this, 0, 0, 2);
        addModule(paraMan);
        vcc = new AM_VoiceCircuitMin(this, "VCC: VoiceCircuit", setup.voices, 1, 2, 2);
        vcc->useMinimalLayout();
        if (setup.resetFlag)
            vcc->enableResetFlag();
        addModule(vcc);
        if (build)
            build(*this);
        init();
        // "Voices" many, no drift: every key gets its own voice.
        setOwn(AM_VoiceCircuitMin::k_pVoices, 2);
        setOwn(AM_VoiceCircuitMin::k_pDrift, 0);
    }

    static testfixture::EngineOptions engineOptions(const RigSetup& s)
    {
        testfixture::EngineOptions e;
        e.sampleRate = s.sampleRate;
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

    // A parameter of a module, changed as the host changes it: at once
    // before the first block, at the next block afterwards (not ramped).
    void set(AM_AudioObject* module, uint32_t local, float value)
    {
        int32_t id = module->getFirstParameterId() + static_cast<int32_t>(local);
        paraMan->setParam(&id, &value, ctx(), true);
    }
    float value(AM_AudioObject* module, uint32_t local)
    {
        return paraMan->getValue(module->getFirstParameterId() + static_cast<int32_t>(local),
                                 false);
    }
    const AM_ParamInfo* info(AM_AudioObject* module, uint32_t local)
    {
        return paraMan->getParameterInfo(module->getFirstParameterId() +
                                         static_cast<int32_t>(local));
    }
    // One of the voice circuit's own parameters.
    void setOwn(uint32_t own, float v)
    {
        int32_t id = vcc->getFirstParameterId() +
                     static_cast<int32_t>(vcc->getCircuitParameterCount() + own);
        paraMan->setParam(&id, &v, ctx(), true);
    }

    void midi(int32_t kind, int32_t number, float v, float extra, uint32_t frame)
    {
        midiChain()->dispatchMidiEvent(kind, number, v, extra, frame);
    }
    void note(int32_t key, float velocity = 100.0f, uint32_t frame = 0)
    {
        midi(0, 0, static_cast<float>(key), velocity, frame);
    }
    void off(int32_t key, uint32_t frame = 0) { midi(0, 0, static_cast<float>(key), 0.0f, frame); }
    void modWheel(float v) { midi(3, 0, v, 0.0f, 0); }

    // Sub-blocks of `units` units: the song position advances with the
    // tempo, the output bus rows are cleared before and collected after.
    void run(int32_t blocks = 1, int32_t units = k_maxUnitsPerBlock)
    {
        AM_ProcessContext* c = ctx();
        for (int32_t b = 0; b < blocks; ++b) {
            std::memset(c->busBuffer, 0, 2 * k_rowSamples * sizeof(float));
            runBlock(units);
            const int32_t samples = units * k_samplesPerUnit;
            if (collect) {
                left.insert(left.end(), c->busBuffer, c->busBuffer + samples);
                right.insert(right.end(), c->busBuffer + k_rowSamples,
                             c->busBuffer + k_rowSamples + samples);
            }
            c->songPosition += samples * c->samplePeriodD * c->tempo / kSecondsPerMinute;
            clock += units;
        }
    }
    // Runs for a number of seconds (whole 64-sample sub-blocks).
    void runSeconds(double seconds)
    {
        run(static_cast<int32_t>(seconds * ctx()->sampleRateD / k_rowSamples + 0.5));
    }

    static constexpr double kSecondsPerMinute = 60.0;

    int64_t clock = 0; // units run so far
    bool collect = true;
    std::vector<float> left;
    std::vector<float> right;
    AM_ParaMan* paraMan = nullptr;
    AM_VoiceCircuitMin* vcc = nullptr;
};

} // namespace modtest
