// The audio manager's services: random numbers, the FFT wrapper, the engine
// options, the preset adapters, the owner services of the modules, the
// modulation routing, the sample rate and reset.

#include "EngineHarness.h"

#include "TraceCapture.h"
#include "engine/dsp/AM_RealFFT.h"
#include "engine/module/AM_ModulationRecord.h"
#include "engine/module/AM_Random.h"
#include "params/AM_PresetAdapter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace {

using namespace enginetest;

TEST(AudioManServices, RandomRangeFollowsTheSharedSequence)
{
    AM_Random::reset();
    EXPECT_EQ(AM_AudioMan::randomRange(0.0f, 1.0f), 1010162.0f / 8388608.0f);
    for (int i = 0; i < 1000; ++i) {
        const float value = AM_AudioMan::randomRange(-2.0f, 6.0f);
        ASSERT_GE(value, -2.0f);
        ASSERT_LT(value, 6.0f);
    }
    AM_Random::reset();
}

// The work buffers filled with a signal, transformed, compared.
class FFTTest : public ::testing::Test {
protected:
    static constexpr int32_t kN = AM_AudioMan::kFFTLength;
    BareAudioMan engine;
    float* signal = nullptr;
    float* spectrum = nullptr;
    float* upper = nullptr;

    void SetUp() override { engine.getFFTBuffers(&signal, &spectrum, &upper); }
    void fill(const std::vector<float>& values) { std::copy(values.begin(), values.end(), signal); }
    static std::vector<float> noise(uint32_t seed)
    {
        std::mt19937 generator(seed);
        std::uniform_real_distribution<float> value(-1.0f, 1.0f);
        std::vector<float> x(kN);
        for (float& v : x)
            v = value(generator);
        return x;
    }
};

TEST_F(FFTTest, WithoutTheConventionItIsThePlainTransformAndItsInverse)
{
    const std::vector<float> x = noise(1);
    fill(x);
    engine.transformFFT(false);
    AM_RealFFT reference(kN);
    std::vector<float> want(kN);
    reference.forward(want.data(), x.data());
    for (int32_t i = 0; i < kN; ++i)
        ASSERT_EQ(spectrum[i], want[i]) << i;

    std::fill(signal, signal + kN, 0.0f);
    engine.transformFFT(true);
    for (int32_t i = 0; i < kN; ++i)
        ASSERT_NEAR(signal[i], kN * x[i], 2e-3f) << i;
    for (int32_t i = 0; i < kN; ++i)
        ASSERT_EQ(spectrum[i], want[i]) << "the inverse leaves the spectrum as it was";
}

TEST_F(FFTTest, TheConventionGivesAmplitudesTimesNWithTheUsualSign)
{
    engine.getPluginInfo()->fftSignConvention = 1;
    const int32_t bin = 37;
    std::vector<float> x(kN);
    for (int32_t n = 0; n < kN; ++n) {
        const double phase = 2.0 * std::numbers::pi * bin * n / kN;
        x[n] = static_cast<float>(0.75 * std::cos(phase) + 0.25 * std::sin(phase));
    }
    fill(x);
    engine.transformFFT(false);
    EXPECT_NEAR(spectrum[bin], 0.75f * kN, 0.05f);
    // The sine part: -i x amplitude x N/2 per bin, doubled.
    EXPECT_NEAR(upper[bin], -0.25f * kN, 0.05f);
    EXPECT_NEAR(spectrum[bin + 1], 0.0f, 0.05f);

    const std::vector<float> y = noise(2);
    fill(y);
    engine.transformFFT(false);
    engine.transformFFT(true);
    for (int32_t i = 0; i < kN; ++i)
        ASSERT_NEAR(signal[i], 2.0f * kN * y[i], 4e-3f) << i;
}

class CountedAdapter : public AM_PresetAdapter {
public:
    CountedAdapter(const char* name, int* alive) : AM_PresetAdapter(name), alive_(alive)
    {
        ++*alive_;
    }
    ~CountedAdapter() override { --*alive_; }
    bool translateModule(char*, uint32_t) override { return false; }
    const char* translateKey(const char* key) override { return key; }
    void endImport() override {}
    bool resetsUnmentioned() override { return true; }
    void beginImport() override {}

private:
    int* alive_;
};

TEST(AudioManServices, PresetAdaptersAreFoundByProductAndDeletedWithTheEngine)
{
    int alive = 0;
    auto outside = std::make_unique<CountedAdapter>("Outside", &alive);
    {
        BareAudioMan engine;
        EXPECT_EQ(engine.registerPresetAdapter(new CountedAdapter("Vorlak", &alive)), 0);
        EXPECT_EQ(engine.registerPresetAdapter(new CountedAdapter("Ombrix", &alive)), 1);
        EXPECT_NE(engine.findPresetAdapter("Ombrix"), nullptr);
        EXPECT_STREQ(engine.findPresetAdapter("Vorlak")->getProductName(), "Vorlak");
        EXPECT_EQ(engine.findPresetAdapter("Nobody"), nullptr);
        EXPECT_EQ(engine.findPresetAdapter(nullptr), nullptr);
        for (int slot = 2; slot < AM_AudioMan::kPresetAdapterSlots; ++slot)
            engine.registerPresetAdapter(new CountedAdapter("Filler", &alive));
        EXPECT_EQ(engine.registerPresetAdapter(outside.get()), -1);
        EXPECT_EQ(engine.registerPresetAdapter(nullptr), -1);
        EXPECT_EQ(alive, 17);
    }
    EXPECT_EQ(alive, 1);
}

TEST(AudioManServices, EngineOptionsSetTheirFlagsOnceAndPrintTheReport)
{
    testsupport::TraceCapture trace;
    auto engine = makeEngine();
    AM_PluginInfo* info = engine->getPluginInfo();
    info->optionByte = 0;
    engine->setEngineOption(0, 1);
    EXPECT_EQ(info->optionByte, 1);
    EXPECT_EQ(engine->getEngineOption(0), 1u);

    engine->setEngineOption(1, 1);
    engine->setEngineOption(1, 1);
    EXPECT_EQ(info->latency, 0u);
    engine->setEngineOption(1, 0);
    engine->setEngineOption(1, 1);
    EXPECT_EQ(info->latency, 0u);

    engine->setEngineOption(3, 77);
    EXPECT_EQ(engine->getEngineOption(3), 77u);
    engine->setEngineOption(4, 1);
    engine->setEngineOption(-1, 1);
    EXPECT_EQ(trace.count("no option"), 2);
    EXPECT_EQ(engine->getEngineOption(4), 0u);

    engine->setEngineOption(2, 0);
    const std::string report = trace.standardOutput();
    const int32_t published = engine->getParaMan()->getPublishedCount();
    ASSERT_GT(published, 0);
    int lines = 0;
    for (char c : report)
        lines += c == '\n' ? 1 : 0;
    EXPECT_EQ(lines, published);
    EXPECT_NE(report.find("0: main:CcOp:\"Output\"\t\t//main: Main Loop Circuit->Output\n"),
              std::string::npos)
        << report;
    EXPECT_FALSE(trace.contains("WRONG!"));
}

TEST(AudioManServices, ParametersAndModulesAreFoundByIndexAndName)
{
    testsupport::TraceCapture trace;
    ParamModule* first = nullptr;
    ParamModule* second = nullptr;
    auto engine = makeEngine({}, [&](BareAudioMan& e) {
        first = new ParamModule(&e, "DUP: First");
        second = new ParamModule(&e, "DUP: Second");
        e.addModule(first);
        e.addModule(second);
    });
    const int32_t gain = engine->idOf(first, ParamModule::kGain);
    EXPECT_EQ(engine->findParameterIndex(2, ParamModule::kGain), gain);
    EXPECT_EQ(engine->findParameterIndex(2, 99), -1);
    EXPECT_EQ(engine->findParameterIndex(2, -1), -1);

    // Only the first module with a short name is searched.
    const AM_ParamInfo* found = engine->findParameter("DUP", "Gain");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->moduleIndex, 2);
    EXPECT_STREQ(found->longName, "Gain Amount");
    EXPECT_EQ(engine->findParameter("DUP", "Nope"), nullptr);
    EXPECT_EQ(engine->findParameter("XYZ", "Gain"), nullptr);
    EXPECT_STREQ(engine->findParameter("main", "CcOp")->longName, "Output");

    EXPECT_EQ(engine->getModuleByName("DUP"), first);
    EXPECT_TRUE(trace.contains("AM_AudioMan::getModuleByName found DUP: First"));
    EXPECT_EQ(engine->getModuleByName("none"), nullptr);

    EXPECT_EQ(engine->getParameterDescriptor(gain, false),
              engine->getParaMan()->getParameterInfo(gain));
    const int32_t published = engine->getParaMan()->getPublishedCount();
    EXPECT_EQ(engine->getParameterDescriptor(published, true), nullptr);
    EXPECT_EQ(engine->getParameterDescriptor(-1, true), nullptr);
    ASSERT_NE(engine->getParameterDescriptor(0, true), nullptr);
    EXPECT_EQ(engine->getParameterDescriptor(0, true)->publishedIndex, 0);

    // Once the engine runs, a change is answered at once and reaches the
    // module with the next block.
    std::vector<float> left(16), right(16);
    engine->setParameter(gain, 2.5f, false);
    EXPECT_EQ(engine->getParameter(gain, false), 2.5f);
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());
    EXPECT_EQ(first->gain, 2.5f);
    engine->setParameter(gain, 99.0f, false);
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());
    EXPECT_EQ(first->gain, 3.0f) << "clamped to the range";
    engine->setParameter(published + 5, 1.0f, true); // no such published index
    engine->setParameter(-1, 1.0f, true);
}

TEST(AudioManServices, DataBlockParametersGoThroughTheirModule)
{
    ParamModule* module = nullptr;
    auto engine = makeEngine({}, [&module](BareAudioMan& e) {
        module = new ParamModule(&e, "PAR: Params");
        e.addModule(module);
    });
    const int32_t blob = engine->idOf(module, ParamModule::kBlob);
    const int32_t gain = engine->idOf(module, ParamModule::kGain);
    EXPECT_EQ(engine->getBinaryParameterData(blob), module->blob);
    EXPECT_EQ(engine->getBinaryParameterData(gain), nullptr);

    // The engine runs: the module gets the bytes with the next block.
    const uint8_t bytes[ParamModule::kBlobBytes] = {1, 2, 3, 4, 5, 6, 7, 8};
    module->changedLocals.clear();
    engine->setBinaryParameterData(blob, bytes, sizeof(bytes));
    std::vector<float> left(16), right(16);
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());
    EXPECT_EQ(std::memcmp(module->blob, bytes, sizeof(bytes)), 0);
    EXPECT_EQ(module->changedLocals, std::vector<uint32_t>{ParamModule::kBlob});

    const float before = module->gain;
    engine->setBinaryParameterData(gain, bytes, sizeof(bytes));
    engine->setBinaryParameterData(blob, nullptr, sizeof(bytes));
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());
    EXPECT_EQ(module->gain, before);
    EXPECT_EQ(std::memcmp(module->blob, bytes, sizeof(bytes)), 0);
    EXPECT_EQ(module->changedLocals.size(), 1u);
}

TEST(AudioManServices, MetersAreReadAndArmedThroughTheOwner)
{
    auto engine = makeEngine();
    float in[AM_AudioMan::kMeterChannels];
    float out[AM_AudioMan::kMeterChannels];
    engine->readLevels(in, out);
    for (int c = 0; c < AM_AudioMan::kMeterChannels; ++c) {
        EXPECT_EQ(in[c], 0.0f);
        EXPECT_EQ(out[c], 0.0f);
    }
    engine->setMeteringCount(2000);
    *engine->getChannelMeterAddress() = 3.0f;
    EXPECT_EQ(*engine->getChannelMeterAddress(), 3.0f);
}

TEST(AudioManServices, RoutingRebuildListsFloatTargetsOnlyAndWaitsForTheDirtyFlag)
{
    EnginePlan plan;
    plan.modulationSlots = 4;
    ParamModule* module = nullptr;
    auto engine = makeEngine(plan, [&module](BareAudioMan& e) {
        module = new ParamModule(&e, "PAR: Params");
        e.addModule(module);
    });
    AM_ProcessContext* ctx = engine->getProcessContext();
    AM_ModulationRecord* records = ctx->modulationRecords;
    const int32_t gain = engine->idOf(module, ParamModule::kGain);
    records[0].target = gain;
    records[1].target = engine->idOf(module, ParamModule::kMode); // a list: not modulated
    records[2].target = -1;
    records[3].target = 99999;
    engine->invalidateModulationRouting();
    std::vector<float> left(16), right(16);
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());

    ASSERT_EQ(ctx->indexedObjectCount, 1u);
    EXPECT_EQ(ctx->applyCounts[0], 1u);
    EXPECT_EQ(ctx->applyLists[0], 0u);
    EXPECT_EQ(ctx->restoreCounts[0], 1u);
    EXPECT_EQ(ctx->restoreLists[0], 0u);
    EXPECT_EQ(records[0].targetValue, &module->gain);
    EXPECT_EQ(records[0].minimum, -1.0f);
    EXPECT_EQ(records[0].maximum, 3.0f);
    EXPECT_FLOAT_EQ(records[0].scale, 0.04f);
    for (int m = 1; m < 4; ++m)
        EXPECT_EQ(records[m].targetValue, nullptr) << "record " << m;

    // Nothing changes until the routing is marked dirty again.
    records[2].target = gain;
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());
    EXPECT_EQ(ctx->applyCounts[0], 1u);
    engine->invalidateModulationRouting();
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());
    EXPECT_EQ(ctx->applyCounts[0], 2u);
    EXPECT_EQ(ctx->applyLists[1], 2u);
    EXPECT_EQ(ctx->restoreLists[1], 2u);
}

TEST(AudioManServices, ResetRunsOnceBetweenBlocksButARateChangeAlwaysResets)
{
    testsupport::TraceCapture trace;
    SubBlockProbe* probe = nullptr;
    auto engine = makeEngine({}, [&probe](BareAudioMan& e) {
        probe = new SubBlockProbe(&e);
        e.addModule(probe);
    });
    AM_ProcessContext* ctx = engine->getProcessContext();
    const int afterStart = probe->resetCount;
    engine->reset();
    EXPECT_EQ(probe->resetCount, afterStart) << "a second reset before a block";

    engine->setSampleRate(48000.0f);
    EXPECT_EQ(probe->resetCount, afterStart + 1);
    EXPECT_EQ(ctx->sampleRate, 48000.0f);
    EXPECT_EQ(ctx->samplePeriod, 1.0f / 48000.0f);
    EXPECT_EQ(ctx->sampleRateD, 48000.0);
    EXPECT_EQ(ctx->samplePeriodD, 1.0 / 48000.0);
    EXPECT_EQ(ctx->sampleRateInt, 48000);
    engine->setSampleRate(48000.0f);
    EXPECT_EQ(probe->resetCount, afterStart + 2);
    engine->setSampleRate(88200.5f);
    EXPECT_EQ(ctx->sampleRateInt, 88200);

    for (const float bad : {0.0f, -44100.0f, std::nanf(""), INFINITY}) {
        engine->setSampleRate(bad);
        EXPECT_EQ(ctx->sampleRate, 88200.5f);
    }
    EXPECT_EQ(trace.count("setSampleRate: refused"), 4);
    EXPECT_EQ(probe->resetCount, afterStart + 3);

    std::vector<float> left(16), right(16);
    runHostBlock(*engine, 16, nullptr, nullptr, left.data(), right.data());
    engine->reset();
    engine->reset();
    EXPECT_EQ(probe->resetCount, afterStart + 4);
}

} // namespace
