// The voice circuit inside a bare audio manager, driven by host blocks: notes
// from the MIDI receiver chain sound at their frame whatever the host block,
// glide keeps its time, message 52 reaches the engine's clock, parameter
// changes from the host exchange the mode, and the arpeggiator follows the
// host's tempo.

#include "VoiceRig.h"
#include "engine/AM_AudioMan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using P = AM_VoiceCircuitMin;

// Adds each voice's KeyFollow row to the left output and its gate row to the
// right output, one control value per 4 samples. It is the last module of the
// voice and passes on the voice-ended bit it receives.
class RowWriter : public AM_AudioObject {
public:
    RowWriter(AM_EngineOwner* owner, AM_VoiceCircuitMin* circuit)
        : AM_AudioObject(owner, "OUT: Rows"), circuit_(circuit)
    {
        setModuleFlags(k_classPolyByCopies, 0, 1, 0, 0);
    }
    uint32_t getVoiceMemorySize() override { return 0; }
    uint32_t getGlobalMemorySize() override { return 0; }
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext*) override { return routine; }

private:
    static void routine(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* ctx)
    {
        auto* self = static_cast<RowWriter*>(record->object);
        const uint32_t r = self->circuit_->getFirstControlRow();
        const float* gate = ctx->controlRows + (r + k_voiceRowGate) * k_controlRowSteps;
        const float* key = ctx->controlRows + (r + k_voiceRowKeyFollow) * k_controlRowSteps;
        float* left = ctx->busBuffer;
        float* right = ctx->busBuffer + k_rowSamples;
        for (int32_t s = *start * k_stepsPerUnit; s < (*start + *length) * k_stepsPerUnit; ++s) {
            for (int32_t i = 0; i < k_samplesPerUnit / k_stepsPerUnit; ++i) {
                left[s * 4 + i] += key[s];
                right[s * 4 + i] += gate[s];
            }
        }
    }
    AM_VoiceCircuitMin* circuit_;
};

class VoiceAudioMan : public AM_AudioMan {
public:
    explicit VoiceAudioMan(bool minimal) : AM_AudioMan(nullptr, 10, 2), minimal_(minimal) {}

    void buildModules() override
    {
        vcc = new AM_VoiceCircuitMin(this, "VCC: VoiceCircuit", 8, 1, 2, 2);
        if (minimal_)
            vcc->useMinimalLayout();
        vcc->enableResetFlag();
        addModule(vcc);
        probe = new voicetest::VoiceProbe(this, "PRB: Probe", nullptr, false);
        probe->circuit = vcc;
        vcc->addChild(probe);
        vcc->addChild(new RowWriter(this, vcc));
    }

    int32_t id(uint32_t own) const
    {
        return vcc->getFirstParameterId() + static_cast<int32_t>(vcc->getCircuitParameterCount()) +
               static_cast<int32_t>(own);
    }
    void set(uint32_t own, float value) { setParameter(id(own), value, false); }
    void midi(int32_t kind, int32_t number, float value, float extra, uint32_t frame)
    {
        getProcessContext()->midiReceivers->dispatchMidiEvent(kind, number, value, extra, frame);
    }

    AM_VoiceCircuitMin* vcc = nullptr;
    voicetest::VoiceProbe* probe = nullptr;

private:
    bool minimal_;
};

// An engine that has been initialised, reset, and run for one block with
// the given parameters applied.
struct Host {
    explicit Host(bool minimal = true) : engine(std::make_unique<VoiceAudioMan>(minimal))
    {
        engine->init();
        engine->reset();
    }

    // Runs `samples` in host blocks of `block`; a note-on of `key` is sent
    // with the block that contains host sample `noteAt` (or none when
    // negative). The output is appended to left and right.
    void play(int32_t samples, int32_t block, int32_t noteAt = -1, int32_t key = 60)
    {
        std::vector<float> outLeft(static_cast<size_t>(block));
        std::vector<float> outRight(static_cast<size_t>(block));
        AM_ProcessContext* ctx = engine->getProcessContext();
        for (int32_t done = 0; done < samples; done += block) {
            if (noteAt >= done && noteAt < done + block)
                engine->midi(0, 0, static_cast<float>(key), 100.0f,
                             static_cast<uint32_t>(noteAt - done));
            ctx->sampleFrames = static_cast<uint32_t>(block);
            ctx->inputChannels[0] = nullptr;
            ctx->inputChannels[1] = nullptr;
            ctx->outputChannels[0] = outLeft.data();
            ctx->outputChannels[1] = outRight.data();
            engine->processBlock();
            left.insert(left.end(), outLeft.begin(), outLeft.end());
            right.insert(right.end(), outRight.begin(), outRight.end());
        }
    }

    // The first output sample at or after `from` where the channel is at
    // least (or, for a negative threshold, below) the value.
    static int32_t firstAtLeast(const std::vector<float>& channel, float value, size_t from = 0)
    {
        for (size_t i = from; i < channel.size(); ++i)
            if (channel[i] >= value)
                return static_cast<int32_t>(i);
        return -1;
    }

    std::unique_ptr<VoiceAudioMan> engine;
    std::vector<float> left;
    std::vector<float> right;
};

TEST(AM_VoiceCircuitEngine, ANoteSoundsAtItsFrameWhateverTheHostBlock)
{
    struct Case {
        int32_t block;
        int32_t noteAt;
    };
    const Case cases[] = {{16, 1024}, {64, 1024}, {512, 1024}, {48, 1024}, {512, 1040}, {32, 1040}};
    int32_t onsetAfterNote = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.block << " @" << c.noteAt);
        Host host;
        host.play(4096, c.block, c.noteAt);
        const int32_t onset = Host::firstAtLeast(host.right, 0.5f);
        ASSERT_GE(onset, c.noteAt);
        if (onsetAfterNote < 0)
            onsetAfterNote = onset - c.noteAt;
        EXPECT_EQ(onset - c.noteAt, onsetAfterNote);
        const auto ons = host.engine->probe->eventsOf(k_voiceEventNoteOn);
        ASSERT_EQ(ons.size(), 1u);
        EXPECT_NEAR(ons[0].pitch, 60.0f, 0.05f); // with the voice's drift
    }
    // At most the engine's latency.
    EXPECT_LE(onsetAfterNote, static_cast<int32_t>(AM_AudioMan::kLatency));
}

TEST(AM_VoiceCircuitEngine, GlideTakesItsTimeWhateverTheHostBlock)
{
    // Legato from key 48 to key 72 with Glide 50: 0.5 s = 22050 samples.
    for (int32_t block : {16, 64, 512}) {
        SCOPED_TRACE(block);
        Host host;
        host.engine->set(P::k_pDrift, 0);
        host.engine->set(P::k_pMode, P::k_modeLegato);
        host.play(512, block);
        host.play(1024, block, 0, 48);
        host.engine->set(P::k_pGlide, 50.0f); // ramps in over 50 sub-blocks
        host.play(22050, block);
        host.left.clear();
        host.play(30720, block, 0, 72);
        const float from = (48.0f - 64.0f) / 64.0f;
        const float target = (72.0f - 64.0f) / 64.0f;
        const int32_t start = Host::firstAtLeast(host.left, from + 1e-6f);
        const int32_t end = Host::firstAtLeast(host.left, target - 1e-6f);
        ASSERT_GE(start, 0);
        ASSERT_GE(end, 0);
        EXPECT_NEAR(end - start, 22050, 8);
    }
}

TEST(AM_VoiceCircuitEngine, TheFirstNoteRestartsTheEnginesClock)
{
    Host host;
    AM_ProcessContext* ctx = host.engine->getProcessContext();
    ctx->clockRestartOnNote = 1;
    host.play(8192, 512);
    const double before = ctx->clockReferencePosition;
    const double position = ctx->songPosition;
    ASSERT_GT(position, 0.0);
    host.play(512, 512, 100);
    EXPECT_NE(ctx->clockReferencePosition, before);
    EXPECT_GE(ctx->clockReferencePosition, position);
    EXPECT_LE(ctx->clockReferencePosition, ctx->songPosition);
    EXPECT_EQ(host.engine->probe->messageCount(k_msgFirstVoiceStarted), 1);
}

TEST(AM_VoiceCircuitEngine, AModeChangeFromTheHostTakesEffectAtTheNextBlock)
{
    Host host;
    host.engine->set(P::k_pVoices, 2);
    host.play(512, 512, 0, 60);
    host.play(512, 512, 0, 64);
    const AM_ChildRecord* record = host.engine->getMainCircuit()->getChildRecord(1);
    ASSERT_EQ(record->object, host.engine->vcc);
    EXPECT_EQ(record->routine, &P::processPoly);
    host.engine->set(P::k_pMode, P::k_minimalModeDuo);
    EXPECT_EQ(record->routine, &P::processPoly); // not before the block
    host.play(512, 512);
    EXPECT_EQ(record->routine, &P::processDuo);
    EXPECT_EQ(host.engine->probe->eventsOf(k_voiceEventFastRelease).size(), 2u);
    EXPECT_EQ(host.engine->vcc->getQueue()->getVoiceCount(), 12);
}

TEST(AM_VoiceCircuitEngine, TheArpeggiatorFollowsTheHostsTempo)
{
    for (double tempo : {60.0, 150.0}) {
        SCOPED_TRACE(tempo);
        Host host(false);
        host.engine->set(P::k_pMode, P::k_modeArpeggiator);
        host.engine->set(P::k_pArpSync, 2); // 1/16
        host.play(512, 512);
        host.engine->getProcessContext()->tempo = tempo;
        host.engine->probe->clear();
        host.play(44100 * 4, 512, 44100);
        const auto ons = host.engine->probe->eventsOf(k_voiceEventNoteOn);
        // Four steps a beat over the three seconds after the key.
        const double steps = 4.0 * tempo / 60.0 * 3.0;
        EXPECT_NEAR(static_cast<double>(ons.size()), steps, 1.0);
    }
}

} // namespace
