// The interface's preset road with the real engine and a temporary data
// root: whole-patch presets saved and loaded in both formats, a module's
// presets through the selected module, tuning files into the tuning table,
// the current preset in the FXP image, "PFold"/"PFile", and the host's
// program changes after a load.

#include "InterfaceFixture.h"

#include "params/object/AM_ParamInfo.h"

#include <cstring>

namespace {

using namespace viewtest;

class PresetRoadTest : public InterfaceTest {
protected:
    static constexpr const char* kPatches = "KestanK4.data/Presets/KestanK4";

    AEffect* openWithPresets()
    {
        AEffect* e = openWithEditor();
        ui(e).addModulePresetList(PresetLibrary::kPatchListPath, PresetListType::kPatch);
        return e;
    }
    PresetSaveResult save(AEffect* e, const char* name, const char* path = "Presets",
                          bool force = false)
    {
        char edited[64];
        std::strncpy(edited, name, sizeof edited - 1);
        edited[sizeof edited - 1] = 0;
        return ui(e).savePreset(edited, path, force);
    }
    PresetLoadResult load(AEffect* e, const char* name, const char* ext,
                          const char* path = "Presets")
    {
        PresetListItem* item = ui(e).doesPresetExist(name, ext, path);
        EXPECT_NE(item, nullptr) << name << "." << ext;
        return ui(e).loadPreset(item, path);
    }
    void setCutoff(AEffect* e, float v) { ui(e).setParameterValue(id(e, "Kestan", "Cutoff"), &v); }
    float cutoff(AEffect* e) { return engine(e).getParameter(id(e, "Kestan", "Cutoff"), false); }
    std::string coreText(AEffect* e, const char* name)
    {
        return static_cast<const char*>(ui(e).getParameterValue(id(e, "PCore", name)));
    }
    int messages(AEffect* e, uint32_t code)
    {
        int n = 0;
        for (const MessageRecorder::Message& m : viewMan(e).controls.received)
            n += m.message == code ? 1 : 0;
        return n;
    }
};

TEST_F(PresetRoadTest, ANativePresetSavedFromTheEditorLoadsBackIntoTheEngine)
{
    AEffect* e = openWithPresets();
    setCutoff(e, 64.0f);
    ASSERT_EQ(save(e, "Warm"), PresetSaveResult::kSaved);
    ASSERT_TRUE(dir.exists(std::string(kPatches) + "/Warm.h2p"));
    EXPECT_STREQ(ui(e).getCurrentPresetName(nullptr), "Warm");
    EXPECT_STREQ(ui(e).getCurrentPresetExtension(nullptr), "h2p");

    setCutoff(e, 140.0f);
    viewMan(e).controls.received.clear();
    ASSERT_EQ(load(e, "Warm", "h2p"), PresetLoadResult::kLoaded);
    EXPECT_FLOAT_EQ(cutoff(e), 64.0f);
    EXPECT_EQ(messages(e, AM_ViewManServices::kMsgPresetLoaded), 1);
    char program[64] = {};
    plugin(e).getProgramName(program);
    EXPECT_STREQ(program, "Warm");
    EXPECT_EQ(coreText(e, "PFile"), "Warm.h2p");

    // The host's program change after the load keeps the preset's
    // extension; a rename by the host makes it the host's program.
    dispatch(e, effSetChunk, 1, 0, nullptr);
    ui(e).hostProgramChanged();
    EXPECT_STREQ(ui(e).getCurrentPresetName(nullptr), "Warm");
    EXPECT_STREQ(ui(e).getCurrentPresetExtension(nullptr), "h2p");
    ui(e).hostProgramChanged();
    EXPECT_STREQ(ui(e).getCurrentPresetExtension(nullptr), "h2p") << "restored from PFile";
    dispatch(e, effSetProgramName, 0, 0, const_cast<char*>("Other"));
    dispatch(e, effEditIdle);
    EXPECT_STREQ(ui(e).getCurrentPresetName(nullptr), "Other");
    EXPECT_STREQ(ui(e).getCurrentPresetExtension(nullptr), "fxp");
}

TEST_F(PresetRoadTest, AProgramFileSavedFromTheEditorLoadsBack)
{
    AEffect* e = openWithPresets();
    ui(e).setNativeFormat(0);
    EXPECT_EQ(ui(e).getNativeFormat(), 0u);
    setCutoff(e, 50.0f);
    ASSERT_EQ(save(e, "Program"), PresetSaveResult::kSaved);
    const std::string file = dir.readFile(std::string(kPatches) + "/Program.fxp");
    ASSERT_GT(file.size(), 60u);
    EXPECT_EQ(file.substr(0, 4), "CcnK");
    EXPECT_EQ(std::string(file.c_str() + 28), "Program");

    setCutoff(e, 100.0f);
    ASSERT_EQ(load(e, "Program", "fxp"), PresetLoadResult::kLoaded);
    EXPECT_FLOAT_EQ(cutoff(e), 50.0f);
}

TEST_F(PresetRoadTest, AnExistingPresetIsReplacedOnlyAsTheQuestionIsAnswered)
{
    AEffect* e = openWithPresets();
    setCutoff(e, 40.0f);
    ASSERT_EQ(save(e, "Lead"), PresetSaveResult::kSaved);
    const std::string path = std::string(kPatches) + "/Lead.h2p";
    const std::string first = dir.readFile(path);

    setCutoff(e, 90.0f);
    viewMan(e).answers = {k_answerCancel, 7, k_answerBackupAndSave};
    EXPECT_EQ(save(e, "Lead"), PresetSaveResult::kCancelled);
    EXPECT_EQ(save(e, "Lead"), PresetSaveResult::kCancelled) << "an unknown answer is Cancel";
    EXPECT_EQ(dir.readFile(path), first);
    EXPECT_EQ(viewMan(e).count("askThreeWay Lead"), 2);

    EXPECT_EQ(save(e, "Lead"), PresetSaveResult::kSaved);
    EXPECT_EQ(dir.readFile(path + ".bak0"), first);
    EXPECT_NE(dir.readFile(path), first);
}

TEST_F(PresetRoadTest, TheSelectedModulesPresetHoldsThatModuleOnly)
{
    AEffect* e = openWithPresets();
    ASSERT_NE(ui(e).addModulePresetList("LFO1", PresetListType::kModule), nullptr);
    EXPECT_TRUE(ui(e).isModulePresetList("LFO1/any"));
    EXPECT_FALSE(ui(e).isModulePresetList("Presets"));

    EXPECT_EQ(ui(e).saveSelectedModulePreset("Slow", false), PresetSaveResult::kRefused)
        << "without a selected module nothing is saved (not the whole patch)";
    ui(e).selectModule("LFO1");
    ASSERT_EQ(ui(e).saveSelectedModulePreset("Slow", false), PresetSaveResult::kSaved);
    const std::string file = dir.readFile("KestanK4.data/Modules/LFO/Slow.h2p");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.find("Cutoff"), std::string::npos);
    EXPECT_EQ(value(e, id(e, "PCore", "SelMod")), 0.0f);

    ASSERT_EQ(load(e, "Slow", "h2p", "LFO1"), PresetLoadResult::kLoaded);
    EXPECT_EQ(value(e, id(e, "PCore", "SelMod")), 0.0f);
    EXPECT_STREQ(ui(e).getCurrentPresetName("LFO1"), "Slow");
}

TEST_F(PresetRoadTest, ATuningFileSetsTheVoicesTuningTable)
{
    AEffect* e = openWithPresets();
    std::string text = "[Tuning]\n";
    for (int n = 0; n < 128; ++n)
        text += "note " + std::to_string(n) + "=" + std::to_string(n * 100 + 50) + "\n";
    dir.makeDir("KestanK4.data/Tunefiles");
    dir.writeFile("KestanK4.data/Tunefiles/Quarter.tun", text);

    const AM_ParamInfo& name = info(e, "VCC", "MTunN");
    const char* list = ui(e).addTuningPresetList(&name);
    ASSERT_STREQ(list, "VoiceCircuit Tuning");
    EXPECT_STREQ(ui(e).addTuningPresetList(&name), PresetLibrary::kNotApplicable);
    ASSERT_EQ(load(e, "Quarter", "tun", list), PresetLoadResult::kLoaded);
    float table[128];
    std::memcpy(table, ui(e).getParameterValue(id(e, "VCC", "MTunT")), sizeof table);
    EXPECT_FLOAT_EQ(table[0], 0.5f);
    EXPECT_FLOAT_EQ(table[127], 127.5f);
}

TEST_F(PresetRoadTest, TheCurrentPresetNamesTheFxpImageAndThePatchFileParameters)
{
    AEffect* e = openWithPresets();
    ui(e).setCurrentPreset(std::string(40, 'n').c_str(), "h2p", nullptr);
    const std::vector<uint8_t> image = ui(e).getFxpProgram();
    ASSERT_GT(image.size(), 60u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + 28), std::string(27, 'n'));
    EXPECT_EQ(image[55], 0);

    dir.makeDir(std::string(kPatches) + "/Pads");
    ui(e).rescanPresets(nullptr);
    PresetFolder* pads = nullptr;
    for (PresetFolder* f = ui(e).getPresetFolders(nullptr); f != nullptr; f = f->next())
        if (std::strcmp(f->name(), "Pads") == 0)
            pads = f;
    ASSERT_NE(pads, nullptr);
    viewMan(e).controls.received.clear();
    ui(e).setCurrentFolder(pads, nullptr);
    EXPECT_EQ(messages(e, AM_ViewManServices::kMsgFolderChanged), 1);
    ui(e).setCurrentPreset("Glass", "h2p", nullptr);
    ui(e).updatePresetDisplay();
    EXPECT_EQ(coreText(e, "PFile"), "Glass.h2p");
    EXPECT_NE(coreText(e, "PFold").find("Pads"), std::string::npos) << coreText(e, "PFold");
}

TEST_F(PresetRoadTest, PresetOperationsWithoutAListDoNothing)
{
    AEffect* e = openWithEditor();
    EXPECT_EQ(ui(e).getModulePresetList(nullptr), nullptr);
    EXPECT_EQ(ui(e).getCurrentPresetName(nullptr), nullptr);
    EXPECT_EQ(ui(e).getPresetFolders("LFO1"), nullptr);
    EXPECT_EQ(ui(e).getPresetItems(nullptr), nullptr);
    EXPECT_EQ(save(e, "Nothing"), PresetSaveResult::kRefused);
    EXPECT_EQ(ui(e).loadPreset(nullptr, nullptr), PresetLoadResult::kFailed);
    ui(e).nextPreset(nullptr);
    ui(e).updatePresetDisplay();
    const std::vector<uint8_t> image = ui(e).getFxpProgram();
    ASSERT_GT(image.size(), 60u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + 28), "init");
}

} // namespace
