#include "LibraryFixture.h"

#include "presets/library/PresetFxp.h"

#include <string>

namespace librarytest {
namespace {

class LoadTest : public LibraryTest {
protected:
    LoadTest()
    {
        write(presets() + "/Pad.h2p", "pad state");
        write(presets() + "/Prog.fxp", programFile("fxp state", kPluginId) + "trailing");
        write(presets() + "/Other.fxp", programFile("other state", 0x41424344));
        write(presets() + "/Short.fxp", "CcnK");
        write(presets() + "/Host.aupreset", "<plist/>");
        library->addModulePresetList("Presets", PresetListType::kPatch);
        host.messages.clear();
    }
    static std::string programFile(const std::string& chunk, uint32_t id)
    {
        const auto image = PresetFxp::buildProgram(
            chunk.data(), static_cast<uint32_t>(chunk.size()), id, 10, "Prog");
        return std::string(image.begin(), image.end());
    }
    PresetListItem* item(const char* name, const char* ext, const char* path = "Presets")
    {
        PresetListItem* found = library->doesPresetExist(name, ext, path);
        EXPECT_NE(found, nullptr) << name << "." << ext;
        return found;
    }
    PresetLoadResult load(const char* name, const char* ext, const char* path = "Presets")
    {
        return library->loadPreset(item(name, ext, path), path);
    }
};

TEST_F(LoadTest, NativePresetSetsStateAndName)
{
    EXPECT_EQ(load("Pad", "h2p"), PresetLoadResult::kLoaded);
    ASSERT_EQ(host.applied.size(), 1u);
    EXPECT_EQ(host.applied[0].first, "pad state");
    EXPECT_EQ(host.applied[0].second, "Presets");
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Pad");
    EXPECT_STREQ(library->getCurrentPresetExtension("Presets"), "h2p");
    EXPECT_EQ(host.messages, std::vector<std::string>{"46:Presets"});
    EXPECT_EQ(host.nativeChanges, std::vector<std::string>{"Pad"});
    EXPECT_EQ(host.text(kPFile), "Pad.h2p");
}

TEST_F(LoadTest, UnnamedPatchKeepsTheOldName)
{
    library->setCurrentPreset("Mine", "fxp", "Presets");
    host.setFloat(kPName, 0.0f);
    EXPECT_EQ(load("Pad", "h2p"), PresetLoadResult::kLoaded);
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Mine");
    EXPECT_STREQ(library->getCurrentPresetExtension("Presets"), "fxp");
    EXPECT_EQ(host.nativeChanges, std::vector<std::string>{"Mine"});
    EXPECT_EQ(host.messages, std::vector<std::string>{"46:Presets"});
}

TEST_F(LoadTest, ProgramFileGivesItsCheckedChunk)
{
    EXPECT_EQ(load("Prog", "fxp"), PresetLoadResult::kLoaded);
    ASSERT_EQ(host.applied.size(), 1u);
    EXPECT_EQ(host.applied[0].first, "fxp state"); // the chunk after byte 60, without the tail
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Prog");
    EXPECT_EQ(host.messages, std::vector<std::string>{"46:Presets"});

    host.messages.clear();
    for (const char* refused : {"Other", "Short"}) {
        EXPECT_EQ(load(refused, "fxp"), PresetLoadResult::kFailed) << refused;
        EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Prog");
    }
    EXPECT_TRUE(trace.contains("program file belongs to another plug-in"));
    EXPECT_TRUE(trace.contains("program file is shorter than its header"));
    EXPECT_EQ(host.applied.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LoadTest, OtherKindsAreListedButNotApplied)
{
    EXPECT_EQ(load("Host", "aupreset"), PresetLoadResult::kLoaded);
    EXPECT_TRUE(host.applied.empty());
    EXPECT_STREQ(library->getCurrentPresetExtension("Presets"), "aupreset");
    EXPECT_EQ(host.messages, std::vector<std::string>{"46:Presets"});
}

TEST_F(LoadTest, FailuresChangeNothing)
{
    // The engine refuses the state.
    host.acceptState = false;
    EXPECT_EQ(load("Pad", "h2p"), PresetLoadResult::kFailed);
    host.acceptState = true;
    // The file went away after the listing.
    PresetListItem* pad = item("Pad", "h2p");
    ASSERT_EQ(::remove(dir.file(presets() + "/Pad.h2p").c_str()), 0);
    EXPECT_EQ(library->loadPreset(pad, "Presets"), PresetLoadResult::kFailed);
    EXPECT_TRUE(trace.contains("Eeek, AM_FileErr occurred on AM_File->open()"));
    // No item, or an item of another list.
    EXPECT_EQ(library->loadPreset(nullptr, "Presets"), PresetLoadResult::kFailed);
    write(modules() + "/LFO/Wobble.h2p", "lfo");
    library->addModulePresetList("LFO1", PresetListType::kModule);
    host.messages.clear();
    EXPECT_EQ(library->loadPreset(library->getPresetItems("LFO1"), "Presets"),
              PresetLoadResult::kFailed);
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "...");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.nativeChanges.empty());
}

TEST_F(LoadTest, ModulePresetRefreshesItsModule)
{
    write(modules() + "/LFO/Wobble.h2p", "lfo state");
    library->addModulePresetList("LFO2", PresetListType::kModule);
    host.messages.clear();
    EXPECT_EQ(load("Wobble", "h2p", "LFO2"), PresetLoadResult::kLoaded);
    EXPECT_EQ(host.applied.back(), std::make_pair(std::string("lfo state"), std::string("LFO2")));
    EXPECT_EQ(host.refreshedModules, std::vector<int32_t>{kLfoModule});
    EXPECT_TRUE(trace.contains("getModuleInfoL( inModuleName ) - LFO2"));
    EXPECT_STREQ(library->getCurrentPresetName("LFO2"), "Wobble");
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "...");
    EXPECT_EQ(host.messages, std::vector<std::string>{"46:LFO2"});
    EXPECT_TRUE(host.nativeChanges.empty());
}

TEST_F(LoadTest, TuningFileSetsTheTable)
{
    std::string text = "[Tuning]\n";
    for (int n = 0; n < 128; ++n)
        text += "note " + std::to_string(n) + "=" + std::to_string(n * 100 + 50) + "\n";
    write(tunefiles() + "/Quarter.tun", text);
    write(tunefiles() + "/Empty.tun", "nothing here");
    const char* list = library->addTuningPresetList(&host.records[kTuningName]);
    host.messages.clear();
    EXPECT_EQ(load("Quarter", "tun", list), PresetLoadResult::kLoaded);
    const std::vector<float> table = host.table(kTuningTable);
    ASSERT_EQ(table.size(), 128u);
    EXPECT_FLOAT_EQ(table[0], 0.5f);
    EXPECT_FLOAT_EQ(table[127], 127.5f);
    EXPECT_TRUE(trace.contains("tuning successfully set!"));
    EXPECT_STREQ(library->getCurrentPresetName(list), "Quarter");
    EXPECT_EQ(host.messages, std::vector<std::string>{"46:Voice Tuning"});

    // Neither section: nothing is applied and the current preset stays.
    host.valueWrites.clear();
    EXPECT_EQ(load("Empty", "tun", list), PresetLoadResult::kFailed);
    EXPECT_STREQ(library->getCurrentPresetName(list), "Quarter");
    EXPECT_TRUE(host.valueWrites.empty());
}

TEST_F(LoadTest, TuningTargetMustBeATableBlock)
{
    write(tunefiles() + "/Quarter.tun", "[Tuning]\nnote 0=100\n");
    // The LFO's "tuning table" is a 256-byte block in the fake.
    const char* list = library->addTuningPresetList(&host.records[kWrongTuningName]);
    EXPECT_STREQ(list, "LFO1 Tuning");
    EXPECT_EQ(load("Quarter", "tun", list), PresetLoadResult::kFailed);
    EXPECT_TRUE(host.valueWrites.empty());
    EXPECT_TRUE(trace.contains("is not a block of 512 bytes"));
}

} // namespace
} // namespace librarytest
