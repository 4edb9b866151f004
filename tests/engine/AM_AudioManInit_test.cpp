// Construction, init and teardown of the audio manager: the information
// block, the module tree, numbering by messages, the engine block and the
// process context.

#include "EngineHarness.h"

#include "TraceCapture.h"
#include "engine/AM_EngineBlockLayout.h"
#include "engine/module/AM_ModuleRecord.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ObjectHost.h"

#include <gtest/gtest.h>

#include <limits>

#include <chrono>
#include <cstring>

namespace {

using namespace enginetest;

TEST(AudioManConstruction, InformationBlockHostNameAndFFTBufferStartAsDefaults)
{
    using namespace std::chrono;
    // The build date is the day of construction: the year is taken on both
    // sides of it, so a test running over New Year passes too.
    const year_month_day before{floor<days>(system_clock::now())};
    BareAudioMan engine;
    const AM_PluginInfo* info = engine.getPluginInfo();
    EXPECT_STREQ(info->productName, "AM_Plugin");
    EXPECT_STREQ(info->vendorName, "Orlen");
    EXPECT_STREQ(info->componentName, "AM_PluginComponent");
    EXPECT_STREQ(info->effectName, "AM_Plugin");
    EXPECT_EQ(info->initialStateVersion, 0u);
    EXPECT_EQ(info->inputBuses, 1u);
    EXPECT_EQ(info->outputBuses, 1u);
    EXPECT_EQ(info->latency, 16u);
    EXPECT_EQ(info->optionByte, 1);
    EXPECT_EQ(info->fftSignConvention, 0);

    const year_month_day today{floor<days>(system_clock::now())};
    const uint32_t year = info->buildDate >> 16;
    const uint32_t month = (info->buildDate >> 8) & 0xff;
    const uint32_t day = info->buildDate & 0xff;
    EXPECT_GE(year, static_cast<uint32_t>(static_cast<int>(before.year())));
    EXPECT_LE(year, static_cast<uint32_t>(static_cast<int>(today.year())));
    EXPECT_GE(month, 1u);
    EXPECT_LE(month, 12u);
    EXPECT_GE(day, 1u);
    EXPECT_LE(day, 31u);

    EXPECT_STREQ(engine.getHostName(), "unknown");
    for (int32_t i = 0; i < AM_AudioMan::kEngineOptionCount; ++i)
        EXPECT_EQ(engine.getEngineOption(i), 0u);
    EXPECT_EQ(engine.getMidiCCMap(), nullptr);
    EXPECT_EQ(engine.getAheadCount(), 0u);
    EXPECT_EQ(engine.getPendingCount(), 0u);

    float* first = nullptr;
    float* second = nullptr;
    float* upper = nullptr;
    engine.getFFTBuffers(&first, &second, &upper);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 16, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(second) % 16, 0u);
    EXPECT_EQ(upper, second + 1024);
    EXPECT_EQ(first[0], 1.0f);
    for (int i = 1; i < AM_AudioMan::kFFTLength; ++i)
        ASSERT_EQ(first[i], 0.0f);
}

TEST(AudioManConstruction, HostNameIsCopiedBoundedAndNullIsIgnored)
{
    BareAudioMan engine;
    engine.setHostName("Some Host 9");
    EXPECT_STREQ(engine.getHostName(), "Some Host 9");
    engine.setHostName(nullptr);
    EXPECT_STREQ(engine.getHostName(), "Some Host 9");
    const std::string longName(400, 'h');
    engine.setHostName(longName.c_str());
    EXPECT_EQ(std::strlen(engine.getHostName()), 255u);
}

TEST(AudioManConstruction, OwnHostIsMadeOnlyWithoutAGivenHost)
{
    {
        BareAudioMan engine;
        ASSERT_NE(engine.getHost(), nullptr);
        EXPECT_EQ(engine.getHost()->getCapacity(), AM_AudioMan::kOwnHostCapacity);
    }
    AM_ObjectHost shared(20);
    {
        BareAudioMan engine({}, &shared);
        engine.init();
        EXPECT_EQ(engine.getHost(), &shared);
        // The audio manager, the main circuit and the parameter manager.
        EXPECT_EQ(shared.getCount(), 3);
    }
    EXPECT_EQ(shared.getCount(), 0);
}

TEST(AudioManInit, ParameterManagerIsTheFirstChildEvenForModulesAddedBeforeInit)
{
    BareAudioMan engine;
    auto* early = new SubBlockProbe(&engine);
    ASSERT_TRUE(engine.addModule(early));
    SubBlockProbe* built = nullptr;
    engine.builder = [&built](BareAudioMan& e) {
        built = new SubBlockProbe(&e);
        e.addModule(built);
    };
    engine.init();
    AM_CircuitObject* main = engine.getMainCircuit();
    ASSERT_NE(main, nullptr);
    EXPECT_STREQ(main->getName(), "main: Main Loop Circuit");
    EXPECT_EQ(main->getFirstChild(), engine.getParaMan());
    EXPECT_EQ(engine.getParaMan()->getNextSibling(), early);
    EXPECT_EQ(early->getNextSibling(), built);
    EXPECT_EQ(engine.buildCalls, 1);
    EXPECT_EQ(engine.setupCalls, 1);
}

TEST(AudioManInit, RefusedModulesStayWithTheCallerAndLateOnesAreRefused)
{
    testsupport::TraceCapture trace;
    EnginePlan plan;
    plan.channelCapacity = 2;
    BareAudioMan engine(plan);
    auto wide = std::make_unique<ParamModule>(&engine, "WID: Wide");
    wide->setModuleFlags(0, 0, 3, 0, 0); // needs three channels
    EXPECT_FALSE(engine.addModule(wide.get()));
    EXPECT_EQ(wide->getParent(), nullptr);
    EXPECT_FALSE(engine.addModule(nullptr));
    engine.init();

    auto late = std::make_unique<SubBlockProbe>(&engine);
    EXPECT_FALSE(engine.addModule(late.get()));
    EXPECT_EQ(late->getParent(), nullptr);
    EXPECT_TRUE(trace.contains("comes after init"));

    trace.clear();
    engine.init();
    EXPECT_TRUE(trace.contains("initialised already"));
    EXPECT_EQ(engine.buildCalls, 1);
}

TEST(AudioManInit, ModulesAreNumberedDescribedAndReachable)
{
    ParamModule* params = nullptr;
    SubBlockProbe* probe = nullptr;
    auto engine = makeEngine({}, [&](BareAudioMan& e) {
        params = new ParamModule(&e, "PAR: Params");
        probe = new SubBlockProbe(&e);
        params->setModuleFlags(k_classMidiReceiver | k_classVoiceEventReceiver, ParamModule::kCount,
                               1, 0, 0);
        e.addModule(params);
        e.addModule(probe);
    });
    ASSERT_EQ(engine->getModuleCount(), 4);
    const AM_ProcessContext* ctx = engine->getProcessContext();
    EXPECT_EQ(ctx->moduleCount, 4u);
    const char* shortNames[] = {"main", "PCore", "PAR", "PRB"};
    AM_AudioObject* modules[] = {engine->getMainCircuit(), engine->getParaMan(), params, probe};
    for (int32_t i = 0; i < 4; ++i) {
        const AM_ModuleRecord* record = engine->getModuleRecord(i);
        ASSERT_NE(record, nullptr);
        EXPECT_STREQ(record->shortName, shortNames[i]);
        EXPECT_EQ(record->moduleIndex, static_cast<uint32_t>(i));
        EXPECT_EQ(ctx->moduleTable[i], modules[i]);
        EXPECT_EQ(modules[i]->getModuleIndex(), static_cast<uint32_t>(i));
    }
    EXPECT_EQ(engine->getModuleRecord(-1), nullptr);
    EXPECT_EQ(engine->getModuleRecord(4), nullptr);

    // The main circuit takes MIDI itself; then the module that asked for it.
    EXPECT_EQ(ctx->midiReceivers, engine->getMainCircuit());
    EXPECT_EQ(engine->getMainCircuit()->getNextMidiReceiver(), params);
    EXPECT_EQ(ctx->voiceEventReceivers, params);

    // One indexed object: the main circuit.
    EXPECT_EQ(ctx->indexedObjectCount, 1u);
    EXPECT_EQ(ctx->indexedModuleIndices[0], 0u);
}

TEST(AudioManInit, ContextStartsWithTheDefaultsOfAFreshEngine)
{
    BareAudioMan engine;
    engine.getPluginInfo()->initialStateVersion = 0x10020;
    engine.init();
    const AM_ProcessContext* ctx = engine.getProcessContext();
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(ctx->sampleRate, 44100.0f);
    EXPECT_EQ(ctx->samplePeriod, 1.0f / 44100.0f);
    EXPECT_EQ(ctx->sampleRateD, 44100.0);
    EXPECT_EQ(ctx->samplePeriodD, 1.0 / 44100.0);
    EXPECT_EQ(ctx->sampleRateInt, 44100);
    EXPECT_EQ(ctx->tempo, 120.0);
    EXPECT_EQ(ctx->songPosition, 0.0);
    EXPECT_EQ(ctx->lastHostPosition, 0.0);
    EXPECT_EQ(ctx->barStart, 0.0);
    EXPECT_EQ(ctx->beatsPerBar, 4.0f);
    EXPECT_EQ(ctx->denormalMode, 3u);
    EXPECT_EQ(ctx->stateVersion, 0x10020u);
    EXPECT_NE(ctx->parameterValues, nullptr);
    for (int32_t c = 0; c < k_contextChannels; ++c) {
        EXPECT_EQ(ctx->outputChannels[c], nullptr);
        EXPECT_EQ(ctx->inputChannels[c], nullptr);
    }
    EXPECT_EQ(ctx->channelCapacity, 10u);
    EXPECT_EQ(ctx->busRowCount, 12u);
    EXPECT_EQ(ctx->fadeRowCount, 8u);
    EXPECT_EQ(ctx->modulationSlotCount, 2u);
    // The main circuit's four controllers take rows 1 to 4.
    EXPECT_EQ(ctx->controlRowCount, 5u);
    // "Output" of the main circuit at its default.
    EXPECT_EQ(engine.outputValue(), 100.0f);
}

TEST(AudioManInit, ARateSetBeforeInitIsTheRateInitStartsWith)
{
    BareAudioMan engine;
    engine.setSampleRate(96000.0f);
    engine.setSampleRate(-1.0f);
    engine.init();
    EXPECT_EQ(engine.getProcessContext()->sampleRate, 96000.0f);
    EXPECT_EQ(engine.getProcessContext()->samplePeriodD, 1.0 / 96000.0);
}

TEST(AudioManInit, AreasAreCarvedInOrderBehindTheContext)
{
    struct Case {
        EnginePlan plan;
        uint32_t carvedChannels;
    };
    const Case cases[] = {
        {{.channelCapacity = 10, .modulationSlots = 2, .channelsPerBus = 2}, 2},
        // more channels per bus
        {{.channelCapacity = 4, .modulationSlots = 0, .channelsPerBus = 6}, 6},
        // a mono bus still carries the two stereo channels
        {{.channelCapacity = 1, .modulationSlots = 3, .channelsPerBus = 1}, 2},
        // at most the 16 channels of the channel tables
        {{.channelCapacity = 2, .modulationSlots = 1, .channelsPerBus = 40}, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "C " << c.plan.channelCapacity << " B " << c.plan.channelsPerBus << " M "
                     << c.plan.modulationSlots);
        BareAudioMan engine(c.plan);
        engine.init();
        const AM_ProcessContext* ctx = engine.getProcessContext();
        ASSERT_NE(ctx, nullptr);
        EXPECT_EQ(engine.getCarvedChannelsPerBus(), c.carvedChannels);
        const auto* base = reinterpret_cast<const uint8_t*>(ctx);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(base) % 16, 0u);

        AM_EngineBlockCounts counts{};
        counts.channelCapacity = c.plan.channelCapacity;
        counts.channelsPerBus = c.carvedChannels;
        counts.modulationSlots = c.plan.modulationSlots;
        counts.controlRows = ctx->controlRowCount;
        counts.indexedObjects = ctx->indexedObjectCount;
        counts.moduleVoiceBytes = engine.getMainCircuit()->getSubtreeVoiceMemorySize();
        counts.moduleGlobalBytes = engine.getMainCircuit()->getSubtreeGlobalMemorySize();
        const AM_EngineBlockLayout layout = AM_layoutEngineBlock(counts);
        auto offset = [base](const void* p) {
            return static_cast<size_t>(static_cast<const uint8_t*>(p) - base);
        };
        EXPECT_EQ(offset(ctx->controlRows), layout.controlRows);
        EXPECT_EQ(offset(engine.carryArea()), layout.carryArea);
        EXPECT_EQ(offset(ctx->busBuffer), layout.busBuffer);
        EXPECT_EQ(offset(ctx->fadeRows), layout.fadeRows);
        EXPECT_EQ(offset(ctx->modulationRecords), layout.modulationRecords);
        EXPECT_EQ(offset(ctx->indexedModuleIndices), layout.indexedModuleIndices);
        EXPECT_EQ(offset(ctx->applyCounts), layout.applyCounts);
        EXPECT_EQ(offset(ctx->applyLists), layout.applyLists);
        EXPECT_EQ(offset(ctx->restoreCounts), layout.restoreCounts);
        EXPECT_EQ(offset(ctx->restoreLists), layout.restoreLists);
        EXPECT_EQ(offset(ctx->rowActiveFlags), layout.rowActiveFlags);
        EXPECT_EQ(offset(engine.getMainCircuit()->getVoiceMemory(0)), layout.moduleVoice);
        EXPECT_EQ(layout.moduleVoice % 16, 0u);
        EXPECT_LE(layout.moduleEnd, engine.getEngineBlockSize());
        EXPECT_EQ(engine.getEngineBlockSize(), (layout.blockBytes + 15) / 16 * 16);
        EXPECT_EQ(ctx->busRowCount, c.carvedChannels + c.plan.channelCapacity);
        EXPECT_EQ(ctx->fadeRowCount, 4 * c.carvedChannels);

        // The block starts zeroed: the carry and the bus hold silence.
        const float* carry = engine.carryArea();
        for (uint32_t i = 0; i < 2 * c.carvedChannels * 64; ++i)
            ASSERT_EQ(carry[i], 0.0f);
    }
}

TEST(AudioManInit, LayoutOfTheSmallestTreeMatchesTheAreaSizes)
{
    // Capacity 10, one bus of 2 channels, 2 modulation slots, one control row
    // and no indexed objects: 16, 256, 768 and 512 floats, 128 bytes of
    // modulation records, then one row-active flag.
    AM_EngineBlockCounts counts{10, 2, 2, 1, 0, 0, 0};
    const AM_EngineBlockLayout layout = AM_layoutEngineBlock(counts);
    EXPECT_EQ(layout.carryArea - layout.controlRows, 16 * sizeof(float));
    EXPECT_EQ(layout.busBuffer - layout.carryArea, 256 * sizeof(float));
    EXPECT_EQ(layout.fadeRows - layout.busBuffer, 768 * sizeof(float));
    EXPECT_EQ(layout.modulationRecords - layout.fadeRows, 512 * sizeof(float));
    EXPECT_EQ(layout.indexedModuleIndices - layout.modulationRecords, 128u);
    EXPECT_EQ(layout.rowActiveFlags, layout.indexedModuleIndices);
    EXPECT_EQ(layout.areasEnd - layout.rowActiveFlags, 4u);
    EXPECT_EQ(layout.controlRows % 16, 0u);
    // (M + 4 x (C + 10 x B) + 10) x 64 + 68 x S + 256.
    EXPECT_EQ(layout.blockBytes, (2 + 4 * (10 + 20) + 10) * 64 + 68 + 256u);
    EXPECT_LE(layout.moduleEnd, layout.blockBytes);
}

TEST(AudioManInit, ClockRestartMessageOnlyActsWithRestartOnNote)
{
    auto engine = makeEngine();
    AM_ProcessContext* ctx = engine->getProcessContext();
    ctx->clockRestartOnNote = 0;
    ctx->songPosition = 7.5;
    ctx->clockBeatCount = 3.0;
    ctx->clockReferencePosition = 1.0;
    engine->getParaMan()->sendMessage(0, k_msgFirstNote, 0, nullptr);
    EXPECT_EQ(ctx->clockReferencePosition, 1.0);
    EXPECT_EQ(ctx->clockBeatCount, 3.0);
    ctx->clockRestartOnNote = 1;
    engine->getParaMan()->sendMessage(0, k_msgFirstNote, 0, nullptr);
    EXPECT_EQ(ctx->clockReferencePosition, 7.5);
    EXPECT_EQ(ctx->clockBeatCount, 0.0);
}

class HookedAudioMan : public BareAudioMan {
public:
    std::vector<uint32_t> diagnostics;
    std::vector<uint32_t> signals;
    void diagnosticsHook(void*, uint32_t message, uint32_t arg) override
    {
        diagnostics.push_back(message * 1000 + arg);
    }
    void circuitSignalHook(uint32_t arg, void*) override { signals.push_back(arg); }
};

TEST(AudioManInit, MessagesTwelveFortyTwoAndThirtyFourReachTheirHooks)
{
    HookedAudioMan engine;
    engine.init();
    AM_AudioObject* sender = engine.getParaMan();
    sender->sendMessage(0, k_msgDiagnostics, 5, nullptr);
    sender->sendMessage(0, 42, 6, nullptr);
    // A circuit answers message 34 with arg 1 by sending arg 69 to all.
    sender->sendMessage(0, k_msgCircuitSignal, 1, nullptr);
    EXPECT_EQ(engine.diagnostics, (std::vector<uint32_t>{12005, 42006}));
    EXPECT_EQ(engine.signals, (std::vector<uint32_t>{1, k_circuitSignalEcho}));
}

TEST(AudioManInit, XYPadLayoutReachesTheParameterManagerOnlyBeforeItExists)
{
    testsupport::TraceCapture trace;
    BareAudioMan withPads;
    withPads.setXYPadLayout(2, 3);
    withPads.init();
    BareAudioMan withoutPads;
    withoutPads.init();
    // (3 x targets + 1) x pads parameters more.
    EXPECT_EQ(withPads.getParaMan()->getParameterCount(false) -
                  withoutPads.getParaMan()->getParameterCount(false),
              (3 * 3 + 1) * 2);
    withPads.setXYPadLayout(1, 1);
    EXPECT_TRUE(trace.contains("setXYPadLayout"));
}

} // namespace

TEST(AudioManInit, RatesOutsideTheUsableRangeAreRefused)
{
    const float refused[] = {0.0f, -44100.0f, 999.0f, 1536001.0f, 4.5e30f,
                             std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN()};
    for (const float rate : refused) {
        BareAudioMan engine;
        engine.init();
        engine.setSampleRate(48000.0f);
        engine.setSampleRate(rate);
        EXPECT_EQ(engine.getProcessContext()->sampleRate, 48000.0f) << rate;
        EXPECT_EQ(engine.getProcessContext()->sampleRateInt, 48000) << rate;
    }
}
