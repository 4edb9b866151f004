// MIDI program banks: the "MIDI Programs" folder tree loaded at start-up,
// program changes from the in-memory snapshots, and the bank list written
// by the last instance.

#include "AllocationCounter.h"
#include "StartupFixture.h"
#include "TraceCapture.h"

#include "engine/AM_MidiEvent.h"
#include "platform/Trace.h"
#include "presets/folders/PresetFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace enginetest;

const std::vector<uint8_t> kBankData = {9, 8, 7, 6, 5, 4, 3, 2};

// "MIDI Programs" with two presets of its own (bank 0) and the sub-folders
// A (bank 1) and B (bank 2); B holds a program file, a program file too short
// to hold a chunk, an empty (unreadable) preset and a file that is no preset.
class ProgramsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string programs = DataRoot::programs();
        root.write(programs + "/a.h2p", presetText({{"AM1", "Gain", 2.0f}}));
        root.write(programs + "/b.h2p",
                   presetText({{"AM1", "Gain", -0.5f}, {"AM2", "Mode", 2.0f}}));
        root.write(programs + "/A/c.h2p", presetText({{"AM1", "Cut", 10.0f}}));
        root.write(programs + "/B/e.fxp",
                   programFile(presetText({{"AM2", "Level", 0.75f}}, kBankData)));
        root.write(programs + "/B/f.fxp", std::string(40, 'x'));
        root.write(programs + "/B/g.h2p", "");
        root.write(programs + "/B/notes.txt", "not a preset");
        engine = makeStartupEngine();
    }

    void selectBank(int32_t bank)
    {
        engine->midiEvent(AM_MidiEvent::kController, AM_MidiEvent::kBankSelectController,
                          static_cast<float>(bank) / 127.0f, 0.0f, 0);
    }

    static std::vector<std::string> names(const PresetFolder* bank)
    {
        std::vector<std::string> out;
        for (const PresetListItem* item = bank->items(); item; item = item->next())
            out.emplace_back(item->name());
        return out;
    }

    DataRoot root;
    testsupport::TraceCapture trace;
    std::unique_ptr<StartupAudioMan> engine;
};

TEST_F(ProgramsTest, TheFolderTreeGivesOneBankPerFolderWithNamedPrograms)
{
    ASSERT_EQ(engine->getMidiBankCount(), 3u);
    const PresetFolder* bank0 = engine->getMidiBanks();
    ASSERT_NE(bank0, nullptr);
    const PresetFolder* bank1 = bank0->next();
    const PresetFolder* bank2 = bank1->next();
    EXPECT_STREQ(bank0->name(), "Bank0");
    EXPECT_STREQ(bank1->name(), "A");
    EXPECT_STREQ(bank2->name(), "B");
    EXPECT_EQ(names(bank0), (std::vector<std::string>{"0:0 a", "0:1 b"}));
    EXPECT_EQ(names(bank1), (std::vector<std::string>{"1:0 c"}));
    EXPECT_EQ(names(bank2), (std::vector<std::string>{"2:0 e", "2:1 f", "2:2 g"}));
    // Files are dropped once loaded; only the presets that loaded keep a
    // snapshot.
    std::vector<bool> kept;
    for (const PresetFolder* bank = bank0; bank; bank = bank->next()) {
        for (const PresetListItem* item = bank->items(); item; item = item->next()) {
            EXPECT_EQ(item->file(), nullptr);
            kept.push_back(!item->userData().empty());
        }
    }
    EXPECT_EQ(kept, (std::vector<bool>{true, true, true, true, false, false}));
    EXPECT_NE(bank0->directory(), nullptr) << "bank 0 keeps its folder for the bank list";
    EXPECT_EQ(bank1->directory(), nullptr);
}

TEST_F(ProgramsTest, TheFirstInstanceStartsFromItsOwnStateNotTheLastProgramLoaded)
{
    const std::string fresh = makeStartupEngine(0)->chunkText();
    EXPECT_EQ(engine->chunkText(), fresh);
}

TEST_F(ProgramsTest, AProgramChangeAppliesThePresetOfTheCurrentBank)
{
    engine->reset();
    char name[AM_AudioMan::kProgramNameBytes] = {};
    selectBank(1);
    ASSERT_TRUE(engine->selectProgram(0, name));
    EXPECT_STREQ(name, "1:0 c");
    EXPECT_EQ(engine->getParameter(engine->id("AM1", "Cut"), false), 10.0f);
    EXPECT_NE(engine->chunkText().find("#cm=AM1\nGain=1.00\nMode='one'\nCut=10.00\n"),
              std::string::npos);

    selectBank(0);
    ASSERT_TRUE(engine->selectProgram(1, name));
    EXPECT_STREQ(name, "0:1 b");
    const std::string text = engine->chunkText();
    EXPECT_NE(text.find("#cm=AM1\nGain=-0.50\nMode='one'\nCut=50.00\n"), std::string::npos);
    EXPECT_NE(text.find("#cm=AM2\nGain=1.00\nMode='three'\n"), std::string::npos);

    // The values reach the modules with the next block.
    float out[2][64] = {};
    runHostBlock(*engine, 64, nullptr, nullptr, out[0], out[1]);
    EXPECT_EQ(engine->first->gain, -0.5f);
    EXPECT_EQ(engine->second->mode, 2);
    EXPECT_EQ(engine->first->cut, 50.0f);
}

TEST_F(ProgramsTest, AProgramFileCarriesItsDataBlocks)
{
    selectBank(2);
    char name[AM_AudioMan::kProgramNameBytes] = {};
    ASSERT_TRUE(engine->selectProgram(0, name));
    EXPECT_STREQ(name, "2:0 e");
    EXPECT_EQ(engine->getParameter(engine->id("AM2", "Level"), false), 0.75f);
    EXPECT_EQ(std::vector<uint8_t>(engine->first->data, engine->first->data + 8), kBankData);
}

TEST_F(ProgramsTest, FailedProgramChangesLeaveTheStateAndTheNameAlone)
{
    struct Case {
        int32_t bank;
        int32_t program;
        const char* trace;
    };
    const Case cases[] = {
        {2, 1, "curr->userData is NULL\n"},
        {2, 2, "curr->userData is NULL\n"},
        {2, 3, "trying to load preset 3 of bank 2 which only has 3 presets\n"},
        {1, -1, "trying to load preset -1 of bank 1 which only has 1 presets\n"},
        {3, 0, "trying to select bank 3 which doesn't exist\n"},
        {127, 0, "trying to select bank 127 which doesn't exist\n"},
    };
    const std::string before = engine->chunkText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        selectBank(c.bank);
        trace.clear();
        char name[AM_AudioMan::kProgramNameBytes] = "kept";
        EXPECT_FALSE(engine->selectProgram(c.program, name));
        EXPECT_EQ(trace.text(), c.trace);
        EXPECT_STREQ(name, "kept");
        EXPECT_EQ(engine->chunkText(), before);
    }
}

TEST_F(ProgramsTest, TheProgramNameIsCutToTheBuffer)
{
    char name[4] = {'x', 'x', 'x', 'x'};
    ASSERT_TRUE(engine->selectProgram(1, name, sizeof name));
    EXPECT_STREQ(name, "0:1");
}

TEST_F(ProgramsTest, ProgramChangesOnTheAudioThreadNeitherAllocateNorLock)
{
    engine->reset();
    float out[2][64] = {};
    runHostBlock(*engine, 64, nullptr, nullptr, out[0], out[1]);
    char name[AM_AudioMan::kProgramNameBytes];
    uint64_t allocations = 0;
    {
        platform::RealtimeScope audioThread;
        testsupport::AllocationCounter counter;
        for (int32_t bank : {0, 1, 2}) {
            selectBank(bank);
            engine->selectProgram(0, name);
            engine->midiEvent(AM_MidiEvent::kNote, 0, 60.0f, 100.0f, 0);
            runHostBlock(*engine, 64, nullptr, nullptr, out[0], out[1]);
        }
        allocations = counter.count();
    }
    platform::flushTrace();
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(engine->second->level, 0.75f);
    EXPECT_EQ(std::vector<uint8_t>(engine->first->data, engine->first->data + 8), kBankData);
}

TEST_F(ProgramsTest, LaterInstancesShareTheBanksAndTheLastOneWritesTheBankList)
{
    auto second = makeStartupEngine();
    EXPECT_EQ(second->getMidiBanks(), engine->getMidiBanks());
    EXPECT_EQ(second->getMidiBankCount(), 3u);
    char name[AM_AudioMan::kProgramNameBytes];
    ASSERT_TRUE(second->selectProgram(0, name));
    EXPECT_EQ(second->getParameter(second->id("AM1", "Gain"), false), 2.0f);
    EXPECT_EQ(engine->getParameter(engine->id("AM1", "Gain"), false), 1.0f);

    const std::string cache = DataRoot::programs() + "/Midi.Bank.Cache.txt";
    closeInstance(engine);
    EXPECT_FALSE(root.dir.exists(cache));
    closeInstance(second);
    EXPECT_EQ(root.dir.readFile(cache), "// Cache file that speeds up loading of MIDI Banks\n\n\n"
                                        "#Banks: up to date\n"
                                        "Bank 0: Bank0 (2)\n"
                                        "Bank 1: A (1)\n"
                                        "Bank 2: B (3)\n");
}

TEST(ProgramNamesTest, LongProgramNamesAreCutAtACharacterBoundary)
{
    DataRoot root;
    testsupport::TraceCapture quiet;
    // 30 two-byte characters: "0:0 " and 29 of them fill 62 bytes; the
    // 30th would end beyond 63.
    std::string name;
    for (int i = 0; i < 30; ++i)
        name += "\xC3\x84";
    root.write(DataRoot::programs() + "/" + name + ".h2p", presetText({}));
    auto engine = makeStartupEngine();
    const PresetListItem* item = engine->getMidiBanks()->items();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::string(item->name()), "0:0 " + name.substr(0, 58));
}

TEST(ProgramsEmptyTest, AnEmptyProgramsFolderIsCreatedAndGivesOneEmptyBank)
{
    DataRoot root;
    testsupport::TraceCapture trace;
    auto engine = makeStartupEngine();
    EXPECT_TRUE(root.dir.exists(DataRoot::programs()));
    EXPECT_EQ(engine->getMidiBankCount(), 1u);
    char name[AM_AudioMan::kProgramNameBytes];
    EXPECT_FALSE(engine->selectProgram(0, name));
    EXPECT_TRUE(trace.contains("trying to load preset 0 of bank 0 which only has 0 presets"));
}

} // namespace
