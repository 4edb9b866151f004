// The parameter manager's own parameters: matrix rows, usage meters,
// globals, XY assignments, data records, meta texts, version, messages.

#include "ParamTree.h"
#include "TraceCapture.h"
#include "engine/module/AM_ModulationRecord.h"
#include "engine/module/AM_Random.h"
#include "params/object/AM_Messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace testfixture;

TEST(CoreParameters, TheInstrumentsLayoutHas33ParametersWithTheirNamesAndIds)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    ASSERT_EQ(man.getParameterCount(false), 33);
    struct Row {
        const char* shortName;
        const char* longName;
        uint32_t type;
        float min, max, def;
        uint32_t flags;
    };
    const float sources = static_cast<float>(man.getModSourceListCount() - 1);
    const float lastId = static_cast<float>(man.getJointParameterCount() - 1);
    const Row rows[] = {
        {"ModU1", "Mod usage1", k_meter, 1, 2, 1, 0},
        {"ModU2", "Mod usage2", k_meter, 1, 2, 1, 0},
        {"MMT1", "Matrix1 Target", k_kindAssignment, -1, lastId, -1, 0x10080},
        {"MMS1", "Matrix1 Source", k_kindInteger, 0, sources, 0, 0x14},
        {"MMD1", "Matrix1 Depth", k_kindFloat, -100, 100, 0, 0xf},
        {"MMVS1", "Matrix1 ViaSrc", k_kindInteger, 0, sources, 0, 0x14},
        {"MMVD1", "Matrix1 Via", k_kindFloat, -100, 100, 0, 0xf},
        {"MMT2", "Matrix2 Target", k_kindAssignment, -1, lastId, -1, 0x10080},
        {"MMS2", "Matrix2 Source", k_kindInteger, 0, sources, 0, 0x14},
        {"MMD2", "Matrix2 Depth", k_kindFloat, -100, 100, 0, 0xf},
        {"MMVS2", "Matrix2 ViaSrc", k_kindInteger, 0, sources, 0, 0x14},
        {"MMVD2", "Matrix2 Via", k_kindFloat, -100, 100, 0, 0xf},
        {"SBase", "SwingBase", k_kindInteger, 0, 23, 4, 0},
        {"Swing", "Swing", k_kindFloat, 0, 100, 0, 0xb},
        {"SLite", "Swing Light", k_meter, 0, 1, 0, 0},
        {"STrig", "SwingTrigger", k_kindInteger, 0, 1, 1, 0},
        {"SelMod", "SelectModule", k_kindInteger, 0, 1000, 0, 0x100},
        {"PForm", "PatchFormat", k_kindInteger, 0, 2, 1, 0x100},
        {"PComp", "PatchCompression", k_kindInteger, 0, 1, 0, 0x100},
        {"PName", "PatchNamed", k_kindInteger, 0, 1, 1, 0x100},
        {"PSong", "PatchSong", k_kindInteger, 0, 1000, 0, 0},
        {"PFold", "PatchFolder", k_typeTextData, 0, 256, 0, 0x8000000},
        {"PFile", "PatchFileName", k_typeTextData, 0, 64, 0, 0x8000000},
        {"GFile", "GUI FileName", k_typeTextData, 0, 64, 0, 0x8008000},
        {"GScale", "GUI Scale", k_kindInteger, -3, 3, 0, 0x8000},
        {"MetaA", "MetaA", k_typeTextData, 0, 128, 0, 0x100},
        {"MetaD", "MetaD", k_typeTextData, 0, 512, 0, 0x100},
        {"MetaH", "MetaH", k_typeTextData, 0, 512, 0, 0x100},
        {"ChLay", "Channel Layout", k_kindInteger, 0, 8, 0, 0x8000},
        {"SurrO", "Surround Options", k_kindInteger, 0, 2, 1, 0x8000},
        {"Levels", "Levels", k_typeBinaryData, 0, 16, 1, 0x400},
        {"MidiLed", "Midi Activity", k_meter, 0, 1, 0, 0},
        {"ChanMet", "ChanMet", k_meter, 0, 9, 0, 0},
    };
    for (uint32_t local = 0; local < 33; ++local) {
        SCOPED_TRACE(rows[local].shortName);
        const AM_ParamInfo* info = man.getParameterInfo(3 + static_cast<int32_t>(local));
        EXPECT_EQ(man.ownId(local), 3 + static_cast<int32_t>(local));
        EXPECT_STREQ(info->shortName, rows[local].shortName);
        EXPECT_STREQ(info->longName, rows[local].longName);
        EXPECT_EQ(info->type, rows[local].type);
        EXPECT_EQ(info->min, rows[local].min);
        EXPECT_EQ(info->max, rows[local].max);
        EXPECT_EQ(info->defaultValue, rows[local].def);
        EXPECT_EQ(info->flags & ~static_cast<uint32_t>(k_paramDataPending), rows[local].flags);
    }
    EXPECT_EQ(man.getParameterTemplate(33), nullptr);
    EXPECT_EQ(man.getParameterAddress(33), nullptr);
}

TEST(CoreParameters, GlobalsLiveWhereTheEngineReadsThem)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    AM_ProcessContext* ctx = t.engine.ctx();
    const AM_CoreLayout& layout = man.getLayout();
    const auto global = [&](int32_t g) { return man.ownId(layout.globalLocal(g)); };
    EXPECT_EQ(ctx->clockNoteValue, 4);
    EXPECT_EQ(ctx->clockRestartOnNote, 1u);
    EXPECT_EQ(ctx->surroundOptions, 1u);
    t.engine.set(global(k_globalSwing), 35.0f);
    EXPECT_EQ(ctx->clockSwing, 35.0f);
    // Clamped to the last layout, "mono-surround" (8), not to the last name.
    t.engine.set(global(k_globalChannelLayout), 9.0f);
    EXPECT_EQ(ctx->channelLayout, 8u);
    t.engine.set(global(k_globalSelectModule), 12.0f);
    EXPECT_EQ(man.getModuleFilter(), 12);
    EXPECT_EQ(man.getPatchFormat(), 1);
    EXPECT_EQ(man.getPatchNamed(), 1);
    ctx->clockGate = 1.0f;
    t.engine.midiActivity = 0.25f;
    EXPECT_EQ(man.getValue(global(k_globalSwingLight), false), 1.0f);
    EXPECT_EQ(man.getValue(global(k_globalMidiActivity), false), 0.25f);
    EXPECT_EQ(man.getValuePointer(global(k_globalMetaDescription)),
              reinterpret_cast<float*>(man.getMetaText(1)));
}

TEST(CoreParameters, GlobalsNameTheirValues)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const AM_CoreLayout& layout = man.getLayout();
    const struct {
        int32_t global;
        int32_t count;
        const char* last;
    } lists[] = {{k_globalSwingBase, 24, "8/1"},
                 {k_globalPatchFormat, 3, "h2p extended"},
                 {k_globalPatchCompression, 2, "active only"},
                 {k_globalChannelLayout, 8, "stereo-surround"},
                 {k_globalSurroundOptions, 3, "dry c + lfe"},
                 {k_globalGuiScale, 0, nullptr}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.global);
        AM_ValueNames names = nullptr;
        const int32_t id = man.ownId(layout.globalLocal(l.global));
        ASSERT_EQ(man.getValueStrings(static_cast<uint32_t>(id), &names), l.count);
        if (l.last) {
            EXPECT_STREQ(names[l.count - 1], l.last);
        }
    }
    AM_ValueNames names = nullptr;
    EXPECT_EQ(man.getValueStrings(9999, &names), 0);
}

TEST(CoreParameters, TheChannelLayoutDefaultsToStereoForOneHost)
{
    ParamEngine engine(0, 0, 2);
    engine.hostName = "Live";
    engine.init();
    AM_ParaMan& man = *engine.paraMan;
    const int32_t id = man.ownId(man.getLayout().globalLocal(k_globalChannelLayout));
    EXPECT_EQ(man.getParameterInfo(id)->defaultValue, 2.0f);
    EXPECT_EQ(engine.ctx()->channelLayout, 2u);
}

TEST(MatrixRows, AcceptOnlyFloatTargetsOfGroupedModulesBehindThemselves)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const int32_t target = man.ownId(man.getLayout().matrixLocal(0, k_matrixTarget));
    const int32_t envRate = t.engine.idOf(t.env, 0);
    const struct {
        const char* name;
        int32_t value;
        int32_t stored;
    } cases[] = {
        {"a float of a module in a voice group", envRate, envRate},
        {"an integer parameter", t.engine.idOf(t.env, 1), -1},
        {"a meter", man.ownId(man.getLayout().meterLocal(0)), -1},
        {"a float of an ungrouped module", t.id(kCutoff), -1},
        {"a parameter before the row", 0, -1},
        {"none", -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool running : {false, true}) {
            if (running)
                t.engine.runBlock();
            const int invalidations = t.engine.routingInvalidations;
            EXPECT_EQ(t.engine.set(target, static_cast<float>(c.value)),
                      static_cast<float>(c.stored));
            EXPECT_EQ(man.getValue(target, false), static_cast<float>(c.stored));
            t.engine.runBlock();
            EXPECT_EQ(t.engine.ctx()->modulationRecords[0].target, c.stored);
            EXPECT_EQ(t.engine.routingInvalidations, invalidations + 1);
        }
    }
}

TEST(MatrixRows, WriteSourceDepthAndViaIntoTheirModulationRecord)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const AM_CoreLayout& layout = man.getLayout();
    t.engine.set(man.ownId(layout.matrixLocal(1, k_matrixSource)), 5.0f);
    t.engine.set(man.ownId(layout.matrixLocal(1, k_matrixDepth)), -40.0f);
    t.engine.set(man.ownId(layout.matrixLocal(1, k_matrixViaSource)), 2.0f);
    t.engine.set(man.ownId(layout.matrixLocal(1, k_matrixViaDepth)), 25.0f);
    const AM_ModulationRecord& record = t.engine.ctx()->modulationRecords[1];
    EXPECT_EQ(record.source, 5);
    EXPECT_EQ(record.depth, -40.0f);
    EXPECT_EQ(record.viaSource, 2);
    EXPECT_EQ(record.viaDepth, 25.0f);
}

TEST(SourceUsage, TheUsageWordsCarryOneBitPerSourceInTheirMantissa)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    man.updateModSourceUsage(false); // start from nothing counted by the selectors
    for (int32_t s = 1; s <= AM_ParaMan::kUsageCounts; ++s)
        while (man.getModSourceUsageCount(s) > 0)
            man.flagModSourceUsed(s, false);
    const int32_t word1 = man.ownId(man.getLayout().meterLocal(0));
    const int32_t word2 = man.ownId(man.getLayout().meterLocal(1));
    EXPECT_EQ(man.getValue(word1, false), 1.0f);

    man.flagModSourceUsed(1, true);
    man.flagModSourceUsed(3, true);
    EXPECT_EQ(man.getValue(word1, false), 1.0f + 5.0f * std::ldexp(1.0f, -23));

    man.flagModSourceUsed(3, true);
    man.flagModSourceUsed(3, false);
    EXPECT_EQ(man.getValue(word1, false), 1.0f + 5.0f * std::ldexp(1.0f, -23));
    man.flagModSourceUsed(3, false);
    man.flagModSourceUsed(3, false); // not below zero
    EXPECT_EQ(man.getModSourceUsageCount(3), 0);
    EXPECT_EQ(man.getValue(word1, false), 1.0f + std::ldexp(1.0f, -23));

    man.flagModSourceUsed(24, true);
    EXPECT_EQ(man.getValue(word2, false), 1.0f + std::ldexp(1.0f, -23));
    man.flagModSourceUsed(50, true);
    EXPECT_EQ(man.getModSourceUsageCount(50), 1);
    EXPECT_EQ(man.getValue(word2, false), 1.0f + std::ldexp(1.0f, -23));
    man.flagModSourceUsed(0, true);
    man.flagModSourceUsed(65, true);
    EXPECT_EQ(man.getModSourceUsageCount(0), 0);
}

TEST(SourceUsage, SelectorsCountTheSourcesTheyChoose)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    // Defaults: Source (group 10) chooses 5, Source3 (bit 23) chooses 6,
    // Source2 (second list, index 1) chooses source 6 as well.
    EXPECT_EQ(man.getModSourceUsageCount(5), 1);
    EXPECT_EQ(man.getModSourceUsageCount(6), 2);
    t.engine.set(t.id(kSource), 2.0f);
    EXPECT_EQ(man.getModSourceUsageCount(5), 0);
    EXPECT_EQ(man.getModSourceUsageCount(2), 1);
    const uint32_t bits = t.engine.ctx()->usageWord1;
    EXPECT_EQ(bits & 0x7FFFFF, (1u << 1) | (1u << 5));
}

TEST(SourceUsage, SelectorsOfModulesThatDoNotRunReturnToTheirDefaults)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const int32_t sel = t.engine.idOf(t.env, 1);
    t.engine.set(sel, 3.0f);
    EXPECT_EQ(man.getModSourceUsageCount(3), 1);
    t.engine.mainCircuit()->getChildRecord(4)->flags = 0; // VC does not run
    man.updateModSourceUsage(false);
    EXPECT_EQ(man.getModSourceUsageCount(3), 0);
    EXPECT_EQ(storedInt(t.env->storage[1]), 3);
    man.updateModSourceUsage(true);
    EXPECT_EQ(storedInt(t.env->storage[1]), 0);
    EXPECT_EQ(man.getValue(sel, false), 0.0f);
}

TEST(Levels, PacksTwoMeterStepsIntoEachByteAndHoldsTheMeters)
{
    testsupport::TraceCapture trace;
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const float inputs[] = {0.5f, 0.0005f, 1.7f, -0.1f, NAN, 0.0f, 0.001f, 1.0f};
    const uint8_t steps[] = {8, 1, 15, 0, 0, 1, 2, 15};
    for (int k = 0; k < 8; ++k) {
        t.engine.inputLevels[k] = inputs[k];
        t.engine.outputLevels[15 - k] = inputs[k];
    }
    const uint32_t local = man.getLayout().globalLocal(k_globalLevels);
    const auto* data = static_cast<const uint8_t*>(man.getParameterData(local));
    ASSERT_NE(data, nullptr);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(data[k] >> 4, steps[k]) << k;
        EXPECT_EQ(data[15 - k] & 0xF, steps[k]) << k;
    }
    EXPECT_EQ(t.engine.meteringCount, 2000u);
    EXPECT_EQ(man.getParameterData(local - 1), nullptr);
    EXPECT_TRUE(trace.contains("AM_ParaMan::getParameterData ( int id ) wrong id!!!|n"));
}

TEST(BinaryChunks, ArePackedWholeInParameterOrder)
{
    testsupport::TraceCapture trace;
    ParamEngine engine(0, 0, 1);
    ModulePlan s;
    s.name = "DAT: Data";
    s.params = {makeParam("D1", "First", k_typeBinaryData, 0, 6, 1, 0),
                makeParam("D2", "Missing", k_typeBinaryData, 2, 3, 0, 0),
                makeParam("D3", "Hidden", k_typeBinaryData, 0, 4, 0, 0x100),
                makeParam("D4", "Last", k_typeTextData, 0, 2, 0, 0)};
    auto* module = new FixtureModule(&engine, s);
    engine.addModule(module);
    engine.init();
    AM_ParaMan& man = *engine.paraMan;
    const int32_t first = engine.idOf(module, 0);
    engine.binaryData[first] = {1, 2, 3, 4, 5, 6};
    engine.binaryData[first + 3] = {'h', 'i'};
    for (int32_t i = 0; i < 4; ++i)
        man.getParameterInfo(first + i)->flags |= k_paramDataPending;

    std::vector<uint8_t> out(256, 0xEE);
    const uint32_t bytes = man.collectBinaryChunks(out.data(), static_cast<uint32_t>(out.size()));
    const std::vector<uint8_t> expected = {
        0x63, 0x62, 0x4D, 0x41, 6, 0, 0, 0,    0,    0,    0,    0,    0x00, 0x00, 0x80,
        0x3F, 1,    2,    3,    4, 5, 6, 0x63, 0x62, 0x4D, 0x41, 3,    0,    0,    0,
        0x00, 0x00, 0x00, 0x40, 0, 0, 0, 0,    0,    0,    0,    0x63, 0x62, 0x4D, 0x41,
        2,    0,    0,    0,    0, 0, 0, 0,    0,    0,    0,    0,    'h',  'i'};
    ASSERT_EQ(bytes, expected.size());
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + bytes), expected);
    EXPECT_EQ(out[bytes], 0xEE);
    EXPECT_TRUE(trace.contains("dataPtr == NULL"));
    EXPECT_EQ(man.getParameterInfo(first)->flags & k_paramDataPending, 0u);
    EXPECT_NE(man.getParameterInfo(first + 2)->flags & k_paramDataPending, 0u); // hidden
    EXPECT_EQ(man.collectBinaryChunks(out.data(), 256), 0u);

    // A record that does not fit stops the walk and stays pending.
    man.getParameterInfo(first)->flags |= k_paramDataPending;
    man.getParameterInfo(first + 3)->flags |= k_paramDataPending;
    EXPECT_EQ(man.collectBinaryChunks(out.data(), 30), 22u);
    EXPECT_NE(man.getParameterInfo(first + 3)->flags & k_paramDataPending, 0u);

    // With a module filter only that module's records are written.
    man.setModuleFilter(1);
    EXPECT_EQ(man.collectBinaryChunks(out.data(), 256), 0u);
}

TEST(MetaBuffers, GrowWhenAskedAndKeepATextThatFits)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    EXPECT_EQ(man.getMetaSize(0), 128u);
    EXPECT_EQ(man.getMetaSize(1), 512u);
    std::strcpy(man.getMetaText(0), "author");
    std::strcpy(man.getMetaText(1), "description");
    man.allocMetaBuffers(64, 2000, 512);
    EXPECT_STREQ(man.getMetaText(0), "author");
    EXPECT_EQ(man.getMetaSize(1), 2000u);
    for (uint32_t i = 0; i < 2000; ++i)
        ASSERT_EQ(man.getMetaText(1)[i], 0) << i;
    const int32_t description = man.ownId(man.getLayout().globalLocal(k_globalMetaDescription));
    EXPECT_EQ(man.getValuePointer(description), reinterpret_cast<float*>(man.getMetaText(1)));
    EXPECT_EQ(man.getMetaText(3), nullptr);
}

class Listener : public AM_Object {
public:
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == k_msgVersionChanged)
            versions.push_back(arg);
        AM_Object::receiveMessage(sender, message, arg, ptr);
    }
    std::vector<uint32_t> versions;
};

TEST(Version, IsBroadcastOnlyWhenItChangesAndNotQuiet)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    Listener listener;
    listener.setHost(t.engine.host());
    man.setVersion(0x10020, false);
    man.setVersion(0x10020, false);
    man.setVersion(0x10030, true);
    EXPECT_EQ(listener.versions, (std::vector<uint32_t>{0x10020}));
    EXPECT_EQ(man.getVersion(), 0x10030u);
    EXPECT_EQ(t.engine.ctx()->stateVersion, 0x10030u);

    listener.sendMessage(0, k_msgVersionChanged, 0x20000, nullptr);
    EXPECT_EQ(man.getVersion(), 0x20000u);
    EXPECT_EQ(listener.versions.size(), 1u);
    listener.setHost(nullptr);
}

class RecordingParaMan : public AM_ParaMan {
public:
    using AM_ParaMan::AM_ParaMan;
    bool readState(const char* text, int32_t size, int32_t mode) override
    {
        reads.push_back({text, size, mode, getModuleFilter()});
        return true;
    }
    struct Read {
        std::string text;
        int32_t size;
        int32_t mode;
        int32_t filter;
    };
    std::vector<Read> reads;
};

TEST(Messages, AStateTextMessageIsReadAsAModulePresetWithItsFilter)
{
    RecordingParaMan* man = nullptr;
    ParamEngine engine(0, 0, 1, EngineOptions{},
                       [&man](AM_EngineOwner* owner, int32_t a, int32_t s, int32_t r) {
                           man = new RecordingParaMan(owner, a, s, r);
                           return man;
                       });
    engine.init();
    man->setModuleFilter(7);
    Listener sender;
    sender.setHost(engine.host());
    char text[] = "#cm=OSC1\nWave=2\n";
    sender.sendMessage(0, k_msgLoadStateText, 3, text);
    ASSERT_EQ(man->reads.size(), 1u);
    EXPECT_EQ(man->reads[0].text, text);
    EXPECT_EQ(man->reads[0].size, static_cast<int32_t>(std::strlen(text)));
    EXPECT_EQ(man->reads[0].mode, 2);
    EXPECT_EQ(man->reads[0].filter, 3);
    EXPECT_EQ(man->getModuleFilter(), 7);

    uint32_t answer = 0;
    sender.sendMessage(0, k_msgSetTrigger21, 1, &answer);
    EXPECT_EQ(answer, 139u);
    EXPECT_EQ(man->getTriggerFlag(), 1);
    sender.setHost(nullptr);
}

// Two XY axes (one pad) with one slot each.
struct XYEngine {
    XYEngine() : t(EngineOptions{}, 2, 1) {}
    int32_t local(int32_t axis, int32_t field)
    {
        return t.man().ownId(t.man().getLayout().assignmentLocal(axis, 0, field));
    }
    StandardEngine t;
};

TEST(XYAssignments, NameTheirParametersByPadAndDirection)
{
    XYEngine x;
    AM_ParaMan& man = x.t.man();
    const char* expected[][2] = {
        {"X_1", "X1"},          {"Y_1", "Y1"},         {"MT11", "XY1 TargetX1"},
        {"ML11", "XY1 Right1"}, {"MR11", "XY1 Left1"}, {"MT21", "XY1 TargetY1"},
        {"ML21", "XY1 Up1"},    {"MR21", "XY1 Down1"}};
    for (uint32_t local = 0; local < 8; ++local) {
        const AM_ParamInfo* info = man.getParameterInfo(man.ownId(local));
        EXPECT_STREQ(info->shortName, expected[local][0]);
        EXPECT_STREQ(info->longName, expected[local][1]);
    }
    EXPECT_EQ(man.getParameterCount(false), (3 * 1 + 1) * 2 + 5 * 2 + 23);
}

TEST(XYAssignments, AddTheAxisOffsetToTheirTargetAndClampIt)
{
    XYEngine x;
    AM_ParaMan& man = x.t.man();
    const int32_t cutoff = x.t.id(kCutoff);
    x.t.engine.set(x.local(0, k_xyTarget), static_cast<float>(cutoff));
    EXPECT_EQ(man.getXYAssignment(0, 0)->target, cutoff);
    // The amounts take the target's range (0 to 100).
    EXPECT_EQ(man.getParameterInfo(x.local(0, k_xyUp))->max, 100.0f);
    EXPECT_EQ(man.getParameterInfo(x.local(0, k_xyDown))->min, -100.0f);

    x.t.engine.runBlock();
    x.t.engine.set(man.ownId(0), 50.0f); // axis X1, ramped over 50 blocks
    for (int i = 0; i < 50; ++i)
        x.t.engine.runBlock();
    EXPECT_EQ(man.getXYAssignment(0, 0)->offset, 50.0f * 50.0f * 0.01f);
    EXPECT_EQ(x.t.osc->storage[kCutoff], 50.0f + 25.0f);
    EXPECT_EQ(man.getValue(cutoff, false), 50.0f);

    x.t.engine.set(cutoff, 90.0f, true);
    x.t.engine.runBlock();
    EXPECT_EQ(x.t.osc->storage[kCutoff], 100.0f); // clamped into the range

    x.t.engine.set(man.ownId(0), -50.0f, true);
    x.t.engine.set(cutoff, 50.0f, true);
    x.t.engine.runBlock();
    x.t.engine.runBlock();
    EXPECT_EQ(x.t.osc->storage[kCutoff], 50.0f - 25.0f);

    man.clearXYAssignments();
    x.t.engine.runBlock();
    x.t.engine.runBlock();
    EXPECT_EQ(man.getXYAssignment(0, 0)->target, -1);
    EXPECT_EQ(x.t.osc->storage[kCutoff], 50.0f);
}

TEST(XYAssignments, NeverTargetTheXYBlockItself)
{
    XYEngine x;
    AM_ParaMan& man = x.t.man();
    const struct {
        const char* name;
        int32_t target;
    } refused[] = {{"an up amount", x.local(1, k_xyUp)},
                   {"a down amount", x.local(0, k_xyDown)},
                   {"an axis", man.ownId(1)},
                   {"an integer", x.t.id(kWave)},
                   {"past the table", man.getJointParameterCount()}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(x.t.engine.set(x.local(0, k_xyTarget), static_cast<float>(r.target)), -1.0f);
        EXPECT_EQ(man.getXYAssignment(0, 0)->target, -1);
    }
}

TEST(Randomize, ListParametersReturnToTheirDefaultsOnAboutOneDrawInThree)
{
    ParamEngine engine(0, 0, 1);
    ModulePlan s;
    s.name = "RND: Random";
    for (int i = 0; i < 30; ++i)
        s.params.push_back(makeParam("L", "List", k_kindInteger, 0, 9, 0, 0));
    s.params.push_back(makeParam("F", "Float", k_kindFloat, -1, 1, 0, 0));
    s.params.push_back(makeParam("N", "Kept", k_kindInteger, 0, 9, 0, 0x400));
    auto* module = new FixtureModule(&engine, s);
    engine.addModule(module);
    engine.init();
    for (uint32_t i = 0; i < 32; ++i)
        engine.set(engine.idOf(module, i), i == 30 ? 0.5f : 5.0f);

    AM_Random::reset();
    int expectedDefaults = 0;
    for (int i = 0; i < 30; ++i)
        expectedDefaults += AM_Random::range(0.0f, 150.0f) > 100.0f ? 1 : 0;
    AM_Random::reset();

    module->randomize(0.0f);
    int defaults = 0;
    for (uint32_t i = 0; i < 30; ++i)
        defaults += storedInt(module->storage[i]) == 0 ? 1 : 0;
    EXPECT_EQ(defaults, expectedDefaults);
    EXPECT_GT(defaults, 3);
    EXPECT_LT(defaults, 20);
    EXPECT_EQ(module->storage[30], 0.5f); // amount 0 moves a float nowhere
    EXPECT_EQ(storedInt(module->storage[31]), 5);
}

TEST(Randomize, FloatsMoveTowardADrawByTheAmount)
{
    ParamEngine engine(0, 0, 1);
    ModulePlan s;
    s.name = "RND: Random";
    s.params = {makeParam("F", "Float", k_kindFloat, -1, 1, 0, 0),
                makeParam("G", "Hidden", k_kindFloat, -1, 1, 0, 0x100),
                makeParam("H", "Other", k_kindFloat, 0, 10, 0, 0)};
    auto* module = new FixtureModule(&engine, s);
    engine.addModule(module);
    engine.init();
    engine.set(engine.idOf(module, 0), 0.5f);
    engine.set(engine.idOf(module, 1), 0.5f);
    engine.set(engine.idOf(module, 2), 4.0f);

    AM_Random::reset();
    const float first = AM_Random::range(-1.0f, 1.0f);
    const float second = AM_Random::range(0.0f, 10.0f);
    AM_Random::reset();
    module->randomize(50.0f);
    EXPECT_EQ(module->storage[0], 0.5f + (first - 0.5f) * 50.0f * 0.01f);
    EXPECT_EQ(module->storage[1], 0.5f);
    EXPECT_EQ(module->storage[2], 4.0f + (second - 4.0f) * 50.0f * 0.01f);
    AM_Random::reset();
}

} // namespace
