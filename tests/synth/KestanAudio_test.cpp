// The voice module inside an engine: its parameters in the joint table with
// their values reaching its storage, the value names, the data id of the
// response plot and the plot itself, the reset flags that voice events set,
// and an engine that renders notes and parameter changes without
// allocating.

#include "VoiceModuleEngine.h"

#include "AllocationCounter.h"
#include "TraceCapture.h"
#include "synth/KestanVoiceRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

namespace {

using namespace synthtest;
using K = KestanAudio;

struct Engine {
    Engine() : host(makeVoiceEngine()), engine(voiceEngineOf(*host)), voice(*engine.voice) {}
    std::unique_ptr<SynthHost> host;
    VoiceModuleEngine& engine;
    KestanAudio& voice;

    KestanVoiceRecord& record(uint32_t v)
    {
        auto* base = static_cast<uint8_t*>(voice.getVoiceMemory(0));
        return *reinterpret_cast<KestanVoiceRecord*>(base + size_t(v) * voice.getCopyStride());
    }
    const KestanGlobalRecord& global()
    {
        return *static_cast<const KestanGlobalRecord*>(voice.getGlobalMemory());
    }
};

// The 53 parameters are in the joint table under the module's short name,
// with their defaults in the module's storage (integers as int32); "Plot" is
// described but not registered.
TEST(KestanAudio, ParametersReachTheModuleStorage)
{
    Engine e;
    AM_ParaMan* paraMan = e.engine.getParaMan();
    const int32_t first = e.voice.getFirstParameterId();
    ASSERT_GE(first, 0);
    std::set<std::string> names;
    for (uint32_t local = 0; local < K::k_parameterCount; ++local) {
        const AM_ParamInfo* info = paraMan->getParameterInfo(first + int32_t(local));
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->localNumber, local);
        EXPECT_EQ(info->moduleIndex, int32_t(e.voice.getModuleIndex()));
        names.insert(std::string(info->shortName, strnlen(info->shortName, 8)));
        const uint32_t word = e.global().values[local];
        // A selector's default is held within the engine's source list.
        const float value = std::clamp(info->defaultValue, info->min, info->max);
        if (info->kind() == k_kindInteger)
            EXPECT_EQ(std::bit_cast<int32_t>(word), int32_t(std::floor(value + 0.5f)))
                << info->longName;
        else
            EXPECT_EQ(std::bit_cast<float>(word), value) << info->longName;
    }
    EXPECT_EQ(names.size(), size_t(K::k_parameterCount));
    EXPECT_EQ(names.count("Plot"), 0u);
    const AM_ParamInfo* next = paraMan->getParameterInfo(first + int32_t(K::k_parameterCount));
    EXPECT_TRUE(next == nullptr || next->moduleIndex != int32_t(e.voice.getModuleIndex()));

    const AM_ParamInfo* plot = e.voice.getParameterTemplate(K::k_pPlot);
    ASSERT_NE(plot, nullptr);
    EXPECT_STREQ(plot->longName, "Mag-Phase Plot");
    EXPECT_EQ(plot->type, k_typeBinaryData);
    EXPECT_EQ(plot->max, 8204.0f);
    EXPECT_EQ(e.voice.getParameterTemplate(K::k_descriptorCount), nullptr);
    EXPECT_EQ(e.voice.getParameterAddress(K::k_pPlot), nullptr);
    EXPECT_EQ(e.voice.getParameterAddress(K::kPlotDataId), nullptr);

    // A change from the host lands in the storage the render reads.
    e.host->set("Kestan", "Cutoff", 77.0f);
    e.host->set("Kestan", "VCFPol", 2.0f);
    e.host->render(64);
    EXPECT_EQ(std::bit_cast<float>(e.global().values[K::k_pCutoff]), 77.0f);
    EXPECT_EQ(std::bit_cast<int32_t>(e.global().values[K::k_pVCFPoles]), 2);
}

// The list parameters name their values; the engine serves them by id.
TEST(KestanAudio, ValueNames)
{
    Engine e;
    struct Case {
        const char* parameter;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"RMi1", {"Osc1", "Osc2", "SubOsc", "Osc1+2", "Osc1+Sub", "VCF"}},
        {"RMi2", {"Osc1", "Osc2", "SubOsc"}},
        {"VCFmod", {"LP / HP", "BP"}},
        {"VCFPol", {"12 dB/Oct", "24 dB/Oct", "36 dB/Oct"}},
        {"ARSrc", {"Osc1"}},
        {"ARDest", {"Osc2 FM", "Osc2 PWM", "FilterFM"}},
        {"FBin", {}},
        {"Cutoff", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parameter);
        AM_ValueNames list = nullptr;
        const int32_t count = e.engine.getParaMan()->getValueStrings(
            uint32_t(e.host->id("Kestan", c.parameter)), &list);
        ASSERT_EQ(count, int32_t(c.names.size()));
        for (int32_t i = 0; i < count; ++i)
            EXPECT_EQ(std::string(list[i]), c.names[size_t(i)]);
    }
}

// The plot is served under its data id; any other id answers null with a
// trace line.
TEST(KestanAudio, PlotDataId)
{
    Engine e;
    testsupport::TraceCapture trace;
    for (uint32_t id : {0u, uint32_t(K::k_pPlot), 54u, 56u}) {
        trace.clear();
        EXPECT_EQ(e.voice.getParameterData(id), nullptr) << id;
        EXPECT_TRUE(trace.contains("KestanAudio::getParameterData ( int id ) wrong id!!!|n")) << id;
    }
    const auto* plot = static_cast<const uint32_t*>(e.voice.getParameterData(K::kPlotDataId));
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot[0], 2u);
    EXPECT_EQ(plot[1], K::kPlotPoints);
}

struct Plot {
    std::vector<float> magnitude, phase;
};

Plot plotOf(KestanAudio& voice)
{
    const auto* bytes = static_cast<const uint8_t*>(voice.getParameterData(K::kPlotDataId));
    const auto* values = reinterpret_cast<const float*>(bytes + 8);
    return {std::vector<float>(values, values + K::kPlotPoints),
            std::vector<float>(values + K::kPlotPoints, values + 2 * K::kPlotPoints)};
}

// The response of two sections with the latest render's coefficients: its
// largest magnitude is 1/1.05, a low-pass falls above its corner, and the
// phase row runs around 0.5 with 0 where the phase is lowest.
TEST(KestanAudio, ResponsePlot)
{
    Engine e;
    struct Case {
        float coefficient, damping;
    };
    for (const Case c : {Case{0.05f, 2.0f}, Case{0.3f, 1.0f}, Case{0.9f, 0.2f}}) {
        SCOPED_TRACE(testing::Message() << "g " << c.coefficient << " k " << c.damping);
        K::storeFilterCoefficients(c.coefficient, c.damping);
        const Plot p = plotOf(e.voice);
        float largest = 0.0f;
        for (float m : p.magnitude)
            largest = std::max(largest, m);
        EXPECT_NEAR(largest, 1.0f / 1.05f, 1e-6f);
        EXPECT_LT(p.magnitude.back(), 0.05f * largest);
        int zeros = 0;
        for (float v : p.phase) {
            EXPECT_GE(v, 0.0f);
            EXPECT_LE(v, 1.0f);
            zeros += v == 0.0f ? 1 : 0;
        }
        EXPECT_GE(zeros, 1);
        EXPECT_NEAR(p.phase.front(), 0.5f, 0.05f); // low frequencies pass in phase
    }
    // The render leaves its own coefficients for the plot.
    K::storeFilterCoefficients(0.0f, 0.0f);
    e.host->noteOn(60);
    e.host->render(256);
    EXPECT_GT(K::lastCutoffCoefficient(), 0.0f);
    K::resetProcessState();
}

// A note on marks its own voice for a biquad restart; other events do not.
TEST(KestanAudio, NoteOnMarksItsVoice)
{
    Engine e;
    e.host->render(128);
    for (uint32_t v = 0; v < 8; ++v)
        ASSERT_EQ(e.record(v).resetFlag, 1u) << v; // set by prepare, no voice ran
    for (uint32_t v = 0; v < 8; ++v)
        e.record(v).resetFlag = 0;
    for (int32_t type : {0, 2, 3})
        e.voice.voiceEvent(3, type, 1.0f, 60.0f, e.host->ctx());
    e.voice.voiceEvent(8, 1, 1.0f, 60.0f, e.host->ctx()); // no such voice
    e.voice.voiceEvent(-1, 1, 1.0f, 60.0f, e.host->ctx());
    for (uint32_t v = 0; v < 8; ++v)
        EXPECT_EQ(e.record(v).resetFlag, 0u) << v;
    e.voice.voiceEvent(5, 1, 1.0f, 60.0f, e.host->ctx());
    for (uint32_t v = 0; v < 8; ++v)
        EXPECT_EQ(e.record(v).resetFlag, v == 5 ? 1u : 0u) << v;
    e.voice.reset(nullptr);
    for (uint32_t v = 0; v < 8; ++v)
        EXPECT_EQ(e.record(v).resetFlag, 1u) << v;
}

// Notes, their releases and parameter changes: the engine's blocks allocate
// nothing.
TEST(KestanAudio, EngineRendersWithoutAllocating)
{
    Engine e;
    e.host->render(1024);
    std::vector<float> left(256), right(256);
    AM_ProcessContext* ctx = e.host->ctx();
    ctx->outputChannels[0] = left.data();
    ctx->outputChannels[1] = right.data();
    const int32_t cutoff = e.host->id("Kestan", "Cutoff");
    testsupport::AllocationCounter counter;
    for (int32_t b = 0; b < 200; ++b) {
        if (b % 20 == 0)
            ctx->midiReceivers->dispatchMidiEvent(0, 0, float(40 + b / 10), 100.0f, 7);
        if (b % 20 == 10)
            ctx->midiReceivers->dispatchMidiEvent(0, 0, float(40 + b / 10 - 1), 0.0f, 3);
        if (b % 13 == 0)
            e.engine.setParameter(cutoff, float(40 + b % 100), false);
        ctx->sampleFrames = uint32_t(64 + (b % 4) * 48);
        e.engine.processBlock();
    }
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_TRUE(e.engine.tap->allFinite);
}

TEST(KestanAudio, InstancesAreCounted)
{
    const uint32_t before = K::instanceCount();
    {
        KestanAudio a(nullptr, "Kestan: Kestan");
        KestanAudio b(nullptr, "Kestan: Kestan");
        EXPECT_EQ(K::instanceCount(), before + 2);
    }
    EXPECT_EQ(K::instanceCount(), before);
}

} // namespace
