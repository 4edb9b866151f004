// The start-up files: the controller map read by the first instance and
// written by the last, the default preset applied by every instance, preset
// files by kind, and what happens without a presets folder or an identity.

#include "FileSizeLimit.h"
#include "StartupFixture.h"
#include "TraceCapture.h"

#include "foundation/AM_File.h"
#include "presets/folders/PresetFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using namespace enginetest;

constexpr int32_t kUnassigned = -1;

class StartupTest : public ::testing::Test {
protected:
    DataRoot root;
    testsupport::TraceCapture trace;
};

TEST_F(StartupTest, TheControllerMapIsReadByTheFirstInstance)
{
    root.write(DataRoot::mapFile(), "// Global MidiCC Map\n\n\n"
                                    "7=AM1:Gain //AccessOne:Gain Amount\n"
                                    "130=AM1:Gain\n"
                                    "-1=AM1:Gain\n"
                                    "5=AM1Gain\n"
                                    "6=AM2:Nope //no such parameter\n"
                                    "8=AccessOne:Gain\n"
                                    "10=AM1:GainAmount\n"
                                    "11=AM1:Gain:x\n"
                                    " 9=AM2:Cut\n"
                                    "0=AM2:Mode\r\n");
    auto engine = makeStartupEngine();
    int32_t expected[AM_MidiMapFile::kControllers];
    std::fill(std::begin(expected), std::end(expected), kUnassigned);
    expected[7] = engine->id("AM1", "Gain") | AM_MidiMapFile::kAssignedBit;
    expected[9] = engine->id("AM2", "Cut") | AM_MidiMapFile::kAssignedBit;
    expected[0] = engine->id("AM2", "Mode") | AM_MidiMapFile::kAssignedBit;
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), g_controllerMap));

    // A later instance leaves the shared map as it is.
    g_controllerMap[3] = engine->id("AM1", "Cut") | AM_MidiMapFile::kAssignedBit;
    auto second = makeStartupEngine();
    EXPECT_EQ(g_controllerMap[3], engine->id("AM1", "Cut") | AM_MidiMapFile::kAssignedBit);
}

TEST_F(StartupTest, TheLastInstanceWritesTheMapAndANewProcessReadsItBack)
{
    root.write(DataRoot::mapFile(), "7=AM1:Gain //old comment\n");
    auto first = makeStartupEngine();
    auto second = makeStartupEngine();
    g_controllerMap[0] = first->id("AM2", "Cut") | AM_MidiMapFile::kAssignedBit;
    g_controllerMap[64] = -2;
    // An entry naming no parameter writes no line.
    g_controllerMap[100] = AM_MidiMapFile::kIndexMask | AM_MidiMapFile::kAssignedBit;

    closeInstance(first);
    EXPECT_EQ(root.dir.readFile(DataRoot::mapFile()), "7=AM1:Gain //old comment\n");
    closeInstance(second);
    const std::string written = root.dir.readFile(DataRoot::mapFile());
    EXPECT_EQ(written, "// Global MidiCC Map\n\n\n"
                       "0=AM2:Cut //AccessTwo:Cutoff Frequency\n"
                       "7=AM1:Gain //AccessOne:Gain Amount\n");

    int32_t before[AM_MidiMapFile::kControllers];
    std::copy(std::begin(g_controllerMap), std::end(g_controllerMap), before);
    before[64] = kUnassigned;
    before[100] = kUnassigned;
    DataRoot::resetProcessState();
    auto again = makeStartupEngine();
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), g_controllerMap));
    closeInstance(again);
    EXPECT_EQ(root.dir.readFile(DataRoot::mapFile()), written);
}

TEST_F(StartupTest, AMissingMapIsWrittenOnlyOnceItChanged)
{
    auto engine = makeStartupEngine();
    EXPECT_TRUE(trace.contains("No midimap file\n"));
    closeInstance(engine);
    EXPECT_FALSE(root.dir.exists(DataRoot::mapFile()));

    DataRoot::resetProcessState();
    engine = makeStartupEngine();
    g_controllerMap[21] = engine->id("AM1", "Mode") | AM_MidiMapFile::kAssignedBit;
    closeInstance(engine);
    EXPECT_EQ(root.dir.readFile(DataRoot::mapFile()),
              "// Global MidiCC Map\n\n\n21=AM1:Mode //AccessOne:Mode Select\n");
}

// A map file that nothing in this process changed stays as the user left
// it, lines the reader did not take included; one that must be rewritten
// keeps such a file beside it first.
TEST_F(StartupTest, TheMapIsRewrittenOnlyWhenChangedAndKeepsWhatItCouldNotRead)
{
    const std::string kept = "// Global MidiCC Map\n\n\n"
                             "// my fader box\n"
                             "7=AM1:Gain //AccessOne:Gain Amount\n"
                             "9=AM9:Unknown\n";
    const std::string plain = "// Global MidiCC Map\n\n\n7=AM1:Gain //AccessOne:Gain Amount\n";
    const std::string garbage = "\x01\x02 not a map at all";
    const std::string backup = DataRoot::mapFile() + ".bak";
    struct Case {
        const char* what;
        const std::string& before;
        bool learn;        // a controller learned in this process
        bool keepsBackup;  // "<name>.bak" holds the old file afterwards
    };
    const Case cases[] = {
        {"unchanged, with lines not taken", kept, false, false},
        {"unchanged garbage", garbage, false, false},
        {"changed, all lines taken", plain, true, false},
        {"changed, with lines not taken", kept, true, true},
        {"changed garbage", garbage, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataRoot::resetProcessState();
        std::filesystem::remove(root.dir.file(backup));
        root.write(DataRoot::mapFile(), c.before);
        auto engine = makeStartupEngine();
        if (c.learn)
            g_controllerMap[21] = engine->id("AM1", "Mode") | AM_MidiMapFile::kAssignedBit;
        closeInstance(engine);
        const std::string after = root.dir.readFile(DataRoot::mapFile());
        if (c.learn) {
            EXPECT_NE(after.find("21=AM1:Mode //AccessOne:Mode Select\n"), std::string::npos);
        } else {
            EXPECT_EQ(after, c.before);
        }
        EXPECT_EQ(root.dir.exists(backup), c.keepsBackup);
        if (c.keepsBackup) {
            EXPECT_EQ(root.dir.readFile(backup), c.before);
        }
    }
}

// A disk that fills while the map and the bank list are written back leaves
// both old files as they were, byte for byte.
TEST_F(StartupTest, AFailedWriteLeavesTheOldFilesWhole)
{
    const std::string map = "// Global MidiCC Map\n\n\n7=AM1:Gain //AccessOne:Gain Amount\n";
    const std::string cache = "// Cache file that speeds up loading of MIDI Banks\n\n\n"
                              "#Banks: up to date\nBank 0: Bank0 (0)\n";
    root.write(DataRoot::mapFile(), map);
    root.write(DataRoot::programs() + "/Midi.Bank.Cache.txt", cache);
    root.dir.makeDir(DataRoot::programs() + "/A much longer bank name than before");
    auto engine = makeStartupEngine();
    g_controllerMap[21] = engine->id("AM1", "Mode") | AM_MidiMapFile::kAssignedBit;
    {
        const testsupport::FileSizeLimit limit(30);
        closeInstance(engine);
    }
    EXPECT_EQ(root.dir.readFile(DataRoot::mapFile()), map);
    EXPECT_EQ(root.dir.readFile(DataRoot::programs() + "/Midi.Bank.Cache.txt"), cache);
    EXPECT_TRUE(trace.contains("Can't just overwrite cache file... bugger"));
    for (const auto& entry :
         std::filesystem::directory_iterator(root.dir.file(DataRoot::support())))
        EXPECT_EQ(entry.path().extension(), ".txt") << entry.path();
}

TEST_F(StartupTest, AMapThatCouldNotBeReadIsNeverOverwritten)
{
    // A folder in the place of the file: it exists but cannot be read.
    root.dir.makeDir(DataRoot::mapFile());
    auto engine = makeStartupEngine();
    EXPECT_TRUE(trace.contains("Can't load Midimap: "));
    g_controllerMap[7] = engine->id("AM1", "Gain") | AM_MidiMapFile::kAssignedBit;
    trace.clear();
    closeInstance(engine);
    EXPECT_TRUE(std::filesystem::is_directory(root.dir.file(DataRoot::mapFile())));
    EXPECT_FALSE(trace.contains("bugger"));
}

TEST_F(StartupTest, AnEngineWithoutAMapReadsAndWritesNone)
{
    root.write(DataRoot::mapFile(), "7=AM1:Gain\n");
    auto engine = makeStartupEngine(StartupAudioMan::kId, false);
    EXPECT_EQ(g_controllerMap[7], kUnassigned);
    closeInstance(engine);
    EXPECT_EQ(root.dir.readFile(DataRoot::mapFile()), "7=AM1:Gain\n");
}

TEST_F(StartupTest, TheDefaultPresetAppliesInEveryInstance)
{
    root.write(DataRoot::presets() + "/default.h2p",
               presetText({{"AM1", "Gain", 2.5f}, {"AM2", "Mode", 1.0f}}));
    auto first = makeStartupEngine();
    auto second = makeStartupEngine();
    for (StartupAudioMan* e : {first.get(), second.get()}) {
        EXPECT_EQ(e->getParameter(e->id("AM1", "Gain"), false), 2.5f);
        EXPECT_EQ(e->first->gain, 2.5f);
        EXPECT_EQ(e->second->mode, 1);
        EXPECT_EQ(e->getParaMan()->getLoadingDefaults(), 0);
    }
}

TEST_F(StartupTest, BlockLatencyOffInTheDefaultPresetLowersTheLatencyOnce)
{
    root.write(DataRoot::presets() + "/default.h2p", "!BLOCK_LATENCY_OFF=YES\n" + presetText({}));
    auto engine = makeStartupEngine();
    EXPECT_EQ(engine->getEngineOption(AM_AudioMan::kOptionBlockLatencyOff), 1u);
    EXPECT_EQ(engine->getPluginInfo()->latency, 0u);
    engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 1);
    EXPECT_EQ(engine->getPluginInfo()->latency, 0u);
    // Switch lines count only in the default preset.
    const std::string chunk = "!BLOCK_LATENCY_OFF=YES\n" + presetText({});
    auto other = makeStartupEngine(0);
    other->setChunk(chunk.data(), static_cast<int32_t>(chunk.size()), 0);
    EXPECT_EQ(other->getPluginInfo()->latency, AM_AudioMan::kLatency);
}

TEST_F(StartupTest, WithoutAPresetsFolderNothingIsLoaded)
{
    root.write(DataRoot::root() + "/Presets", "a file where the folder belongs");
    root.write(DataRoot::mapFile(), "7=AM1:Gain\n");
    auto engine = makeStartupEngine();
    EXPECT_EQ(trace.count("AM_FileErr 267 AM_View_Interface::scanPresetFolders local\n"), 1);
    EXPECT_EQ(engine->getMidiBanks(), nullptr);
    EXPECT_EQ(engine->getSharedInstanceEntry()->publishedTable, nullptr);
    EXPECT_EQ(g_controllerMap[7], kUnassigned);

    // A program change then finds no bank and says which.
    char name[AM_AudioMan::kProgramNameBytes] = "unchanged";
    EXPECT_FALSE(engine->selectProgram(0, name));
    EXPECT_TRUE(trace.contains("trying to select bank 0 which doesn't exist\n"));
    EXPECT_STREQ(name, "unchanged");
}

TEST_F(StartupTest, AnEngineWithoutAPluginIdTouchesNoFile)
{
    auto engine = makeStartupEngine(0);
    EXPECT_FALSE(root.dir.exists(DataRoot::root() + "/Presets"));
    EXPECT_FALSE(root.dir.exists(DataRoot::support()));
    EXPECT_EQ(trace.text(), "");
}

TEST_F(StartupTest, ScanningMakesTheProgramsFolder)
{
    auto engine = makeStartupEngine(0);
    engine->scanPresetFolders();
    EXPECT_TRUE(root.dir.exists(DataRoot::programs()));
    engine->scanPresets();
    EXPECT_TRUE(trace.contains("SCAN PRESETS?!?\n"));
}

// Preset files by kind: native text whole, a program file's chunk after
// checking its header, nothing else.
class PresetFileTest : public StartupTest {
protected:
    void SetUp() override { engine = makeStartupEngine(0); }

    bool load(const std::string& name)
    {
        PresetFolder folder(std::make_unique<AM_Directory>(root.dir.file("p").c_str()), 0);
        PresetListItem item(std::make_unique<AM_File>(root.dir.file("p/" + name).c_str()), &folder);
        return engine->loadPresetFile(&item);
    }
    float gain() { return engine->getParameter(engine->id("AM1", "Gain"), false); }

    std::unique_ptr<StartupAudioMan> engine;
};

TEST_F(PresetFileTest, ProgramFilesAreCheckedBeforeTheirChunkIsApplied)
{
    const std::string chunk = presetText({{"AM1", "Gain", 2.0f}});
    std::string beyond = programFile(chunk);
    beyond.resize(beyond.size() - 1);
    std::string empty = programFile("");
    struct Case {
        const char* name;
        std::string contents;
        bool applies;
    };
    const Case cases[] = {
        {"header only", programFile("").substr(0, 60), false},
        {"shorter than a header", std::string(59, 'x'), false},
        {"wrong magic", programFile(chunk, 0x43636E4C), false},
        {"bank format", programFile(chunk, 0x43636E4B, 0x46424368), false},
        {"chunk beyond the file", beyond, false},
        {"empty chunk", empty, false},
        {"good", programFile(chunk), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine->setParameter(engine->id("AM1", "Gain"), 0.0f, false);
        root.write("p/x.fxp", c.contents);
        EXPECT_EQ(load("x.fxp"), c.applies);
        EXPECT_EQ(gain(), c.applies ? 2.0f : 0.0f);
    }
}

TEST_F(PresetFileTest, NativePresetsApplyWholeOtherKindsNotAtAll)
{
    const std::string text = presetText({{"AM1", "Gain", 1.5f}});
    root.write("p/x.h2p", text);
    root.write("p/x.aupreset", text);
    root.write("p/x.txt", text);
    root.write("p/empty.h2p", "");
    engine->setParameter(engine->id("AM1", "Gain"), 0.0f, false);
    EXPECT_FALSE(load("x.aupreset"));
    EXPECT_FALSE(load("x.txt"));
    EXPECT_FALSE(load("empty.h2p"));
    EXPECT_EQ(gain(), 0.0f);
    EXPECT_TRUE(load("x.h2p"));
    EXPECT_EQ(gain(), 1.5f);
}

TEST_F(PresetFileTest, AFileThatCannotBeOpenedIsTraced)
{
    root.dir.makeDir("p");
    EXPECT_FALSE(load("missing.h2p"));
    EXPECT_TRUE(trace.contains("Eeek, AM_FileErr occurred on AM_File->open()\n\n"));
}

} // namespace
