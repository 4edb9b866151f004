// The start-up files with the instrument itself: MIDI program banks and
// program changes, the bank list, the controller map, the default preset,
// the published-parameter numbering, and the state chunk round trip.

#include "TempDir.h"
#include "TraceCapture.h"

#include "engine/AM_MidiEvent.h"
#include "engine/AM_MidiMapFile.h"
#include "engine/AM_SharedInstance.h"
#include "foundation/AM_DataFolder.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Module.h"
#include "presets/folders/PresetFolder.h"
#include "synth/Synth_AudioMan.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kAssigned = AM_MidiMapFile::kAssignedBit;

const std::string kRoot = "KestanK4.data";
const std::string kPresets = kRoot + "/Presets/KestanK4";
const std::string kPrograms = kPresets + "/MIDI Programs";
const std::string kMapFile = kRoot + "/Support/com.Orlen.KestanK4.midimap.txt";
const std::string kNumberingFile = kRoot + "/Support/com.Orlen.KestanK4.publicparams.txt";

struct PresetValue {
    const char* module;
    const char* parameter;
    float value;
};

std::unique_ptr<Synth_AudioMan> makeSynth()
{
    auto engine = std::make_unique<Synth_AudioMan>(Synth_AudioMan::kPluginId);
    engine->init();
    return engine;
}

// As the plug-in class closes an instance.
void close(std::unique_ptr<Synth_AudioMan>& engine)
{
    if (engine->getInstanceCount() == 1)
        engine->saveStartupFiles();
    engine.reset();
}

int32_t id(AM_AudioMan& engine, const char* module, const char* parameter)
{
    const AM_ParamInfo* info = engine.findParameter(module, parameter);
    return info ? static_cast<int32_t>(info->index) : -1;
}

std::string chunkOf(AM_AudioMan& engine)
{
    uint32_t size = 0;
    const char* chunk = engine.getChunk(&size, nullptr);
    return chunk ? std::string(chunk, size) : std::string();
}

// A process of its own: a temporary data root beside a stand-in module
// file, nothing shared or loaded yet.
class SynthStartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        newProcess();
        dir.makeDir(kRoot);
        platform::overrideModulePath(dir.file("KestanK4.so").c_str());
        resetDataFolderSearch();
    }
    void TearDown() override
    {
        newProcess();
        platform::overrideModulePath(nullptr);
        resetDataFolderSearch();
    }
    static void newProcess()
    {
        AM_SharedInstances::reset();
        AM_MidiMapFile::resetProcessState();
    }

    // The state text of the instrument with some Kestan parameters set;
    // made by an instance that is gone again when the test's engines start.
    std::string preset(float cutoff, float detune)
    {
        auto maker = makeSynth();
        EXPECT_GE(id(*maker, "Kestan", "Detune"), 0);
        maker->setParameter(id(*maker, "Kestan", "Cutoff"), cutoff, false);
        maker->setParameter(id(*maker, "Kestan", "Detune"), detune, false);
        const std::string text = chunkOf(*maker);
        maker.reset();
        newProcess();
        return text;
    }

    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
};

TEST_F(SynthStartupTest, ProgramChangesSelectPresetsOfTheBanksAndTheLastInstanceListsThem)
{
    dir.writeFile(kPrograms + "/Bright.h2p", preset(140.0f, 5.0f));
    dir.writeFile(kPrograms + "/Dark.h2p", preset(40.0f, -5.0f));
    dir.writeFile(kPrograms + "/Leads/Saw.h2p", preset(100.0f, 20.0f));
    dir.writeFile(kPrograms + "/Pads/Wide.h2p", preset(70.0f, -30.0f));
    dir.writeFile(kPrograms + "/Pads/Warm.h2p", preset(55.0f, 10.0f));
    auto engine = makeSynth();
    auto second = makeSynth();
    ASSERT_EQ(engine->getMidiBankCount(), 3u);
    engine->reset();

    struct Case {
        int32_t bank;
        int32_t program;
        const char* name;
        float cutoff;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "0:0 Bright", 140.0f, "Cutoff=140.00"}, {0, 1, "0:1 Dark", 40.0f, "Cutoff=40.00"},
        {1, 0, "1:0 Saw", 100.0f, "Cutoff=100.00"},    {2, 0, "2:0 Warm", 55.0f, "Cutoff=55.00"},
        {2, 1, "2:1 Wide", 70.0f, "Cutoff=70.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine->midiEvent(AM_MidiEvent::kController, AM_MidiEvent::kBankSelectController,
                          static_cast<float>(c.bank) / 127.0f, 0.0f, 0);
        char name[AM_AudioMan::kProgramNameBytes] = {};
        ASSERT_TRUE(engine->selectProgram(c.program, name));
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(engine->getParameter(id(*engine, "Kestan", "Cutoff"), false), c.cutoff);
        const AM_ParamInfo* cutoff = engine->findParameter("Kestan", "Cutoff");
        EXPECT_EQ(engine->getParameter(cutoff->publishedIndex, true), c.cutoff);
        EXPECT_NE(chunkOf(*engine).find(c.text), std::string::npos);
    }
    // The other instance kept its own state.
    EXPECT_EQ(second->getParameter(id(*second, "Kestan", "Cutoff"), false), 150.0f);

    close(engine);
    EXPECT_FALSE(dir.exists(kPrograms + "/Midi.Bank.Cache.txt"));
    close(second);
    EXPECT_EQ(dir.readFile(kPrograms + "/Midi.Bank.Cache.txt"),
              "// Cache file that speeds up loading of MIDI Banks\n\n\n"
              "#Banks: up to date\n"
              "Bank 0: Bank0 (2)\n"
              "Bank 1: Leads (1)\n"
              "Bank 2: Pads (2)\n");
}

TEST_F(SynthStartupTest, TheControllerMapMovesVoicesAndComesBackInTheNextProcess)
{
    dir.writeFile(kMapFile, "7=VCC:Voices //VoiceCircuit:Voices\n74=Kestan:Cutoff\n");
    auto first = makeSynth();
    auto second = makeSynth();
    int32_t* map = first->getMidiCCMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map[7], id(*first, "VCC", "Voices") | kAssigned);
    EXPECT_EQ(map[74], id(*first, "Kestan", "Cutoff") | kAssigned);
    map[1] = id(*first, "Kestan", "Detune") | kAssigned; // learned
    map[74] = -1;                                        // forgotten

    close(first);
    EXPECT_EQ(dir.readFile(kMapFile), "7=VCC:Voices //VoiceCircuit:Voices\n74=Kestan:Cutoff\n");
    close(second);
    const AM_ParamInfo* voices = nullptr;
    {
        auto probe = makeSynth();
        voices = probe->findParameter("VCC", "Voices");
        const std::string expected = std::string("// Global MidiCC Map\n\n\n") +
                                     "1=Kestan:Detune //Kestan:Detune\n"
                                     "7=VCC:Voices //VoiceCircuit:" +
                                     voices->longName + "\n";
        EXPECT_EQ(dir.readFile(kMapFile), expected);
        int32_t* again = probe->getMidiCCMap();
        EXPECT_EQ(again[1], id(*probe, "Kestan", "Detune") | kAssigned);
        EXPECT_EQ(again[7], id(*probe, "VCC", "Voices") | kAssigned);
        EXPECT_EQ(again[74], -1);
    }
}

TEST_F(SynthStartupTest, TheDefaultPresetAppliesInEveryInstance)
{
    dir.writeFile(kPresets + "/default.h2p", preset(90.0f, 12.0f));
    auto first = makeSynth();
    auto second = makeSynth();
    for (Synth_AudioMan* engine : {first.get(), second.get()}) {
        EXPECT_EQ(engine->getParameter(id(*engine, "Kestan", "Cutoff"), false), 90.0f);
        EXPECT_EQ(engine->getParameter(id(*engine, "Kestan", "Detune"), false), 12.0f);
    }
}

TEST_F(SynthStartupTest, BlockLatencyOffInTheDefaultPresetLowersTheLatencyOnce)
{
    dir.writeFile(kPresets + "/default.h2p", "!BLOCK_LATENCY_OFF=YES\n" + preset(150.0f, 0.0f));
    auto engine = makeSynth();
    EXPECT_EQ(engine->getEngineOption(AM_AudioMan::kOptionBlockLatencyOff), 1u);
    EXPECT_EQ(engine->getPluginInfo()->latency, 0u);
    engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 1);
    EXPECT_EQ(engine->getPluginInfo()->latency, 0u);
}

TEST_F(SynthStartupTest, ThePublishedNumberingFileReordersWhatTheHostSees)
{
    std::vector<int32_t> identity;
    {
        auto plain = makeSynth();
        for (int32_t p = 0; p < plain->getParameterCount(true); ++p)
            identity.push_back(plain->getInternalIndex(p));
        ASSERT_GT(identity.size(), 2u);
    }
    newProcess();
    dir.writeFile(kNumberingFile, "0:Kestan:Cutoff\"Filter Cutoff\"\n"
                                  "1:Kestan:Detune\"Detune\"\n"
                                  "1:Kestan:Cutoff\"Twice\"\n"
                                  "3:Kestan:Cutoff\"Again\"\n");
    trace.clear();
    auto engine = makeSynth();
    EXPECT_TRUE(trace.contains("Out Of order: Param 1 after 1\n"
                               "double assignemnt to Param 1 - ignored\n"
                               "Out Of order: Param 3 after 1\n"
                               "Param 3: Kestan:Cutoff already is Param 0 - ignored\n"));
    const int32_t cutoff = id(*engine, "Kestan", "Cutoff");
    const int32_t detune = id(*engine, "Kestan", "Detune");
    EXPECT_EQ(engine->getInternalIndex(0), cutoff);
    EXPECT_EQ(engine->getInternalIndex(1), detune);
    EXPECT_STREQ(engine->getParameterDescriptor(0, true)->longName, "Filter Cutoff");
    std::vector<int32_t> expected = {cutoff, detune};
    for (int32_t i : identity)
        if (i != cutoff && i != detune)
            expected.push_back(i);
    std::vector<int32_t> numbering;
    for (int32_t p = 0; p < engine->getParameterCount(true); ++p)
        numbering.push_back(engine->getInternalIndex(p));
    EXPECT_EQ(numbering, expected);
    engine->setParameter(0, 60.0f, true);
    EXPECT_EQ(engine->getParameter(cutoff, false), 60.0f);

    // The parameter report follows the numbering.
    trace.clear();
    engine->setEngineOption(AM_AudioMan::kOptionParameterReport, 1);
    EXPECT_EQ(trace.standardOutput().rfind("0: Kestan:Cutoff:\"Filter Cutoff\"\t\t//Kestan: "
                                           "Kestan->Filter Cutoff\n"
                                           "1: Kestan:Detune:\"Detune\"\t\t//Kestan: "
                                           "Kestan->Detune\n",
                                           0),
              0u);
    EXPECT_FALSE(trace.contains("WRONG!"));
}

TEST_F(SynthStartupTest, TheChunkComesBackByteForByte)
{
    auto engine = makeSynth();
    const std::string initial = chunkOf(*engine);
    const PresetValue values[] = {{"Kestan", "Cutoff", 77.0f},
                                  {"ENV1", "Atk", 12.5f},
                                  {"LFO2", "Rate", 3.0f},
                                  {"Kestan", "VCFPol", 2.0f}};
    for (const PresetValue& v : values) {
        ASSERT_GE(id(*engine, v.module, v.parameter), 0) << v.module << ":" << v.parameter;
        engine->setParameter(id(*engine, v.module, v.parameter), v.value, false);
    }
    const std::string first = chunkOf(*engine);
    ASSERT_NE(first, initial);
    auto other = makeSynth();
    ASSERT_TRUE(other->setChunk(first.data(), static_cast<int32_t>(first.size()), 0));
    EXPECT_EQ(chunkOf(*other), first);
    for (const PresetValue& v : values)
        EXPECT_EQ(other->getParameter(id(*other, v.module, v.parameter), false), v.value);
    ASSERT_TRUE(engine->setChunk(first.data(), static_cast<int32_t>(first.size()), 0));
    EXPECT_EQ(chunkOf(*engine), first);
}

} // namespace
