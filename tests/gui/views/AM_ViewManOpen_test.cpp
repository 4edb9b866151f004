// Opening the GUI: the zoom of the patch's GUI scale and the themes of the
// data folder.

#include "ParameterFixture.h"
#include "TraceCapture.h"

#include "foundation/AM_DataFolder.h"
#include "foundation/AM_Directory.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

using namespace viewtest;

// An interface whose "PCore" module has a "GScale" parameter (or none).
class ScaleInterface : public ParameterInterface {
public:
    ScaleInterface()
    {
        scale_ = AM_makeParamInfo(0, "GScale", "GUI Scale", k_kindFloat, -3, 4, 0, 0, 0);
        scale_.index = 100;
    }
    AM_ParamInfo* findParameter(const char* module, const char* name) override
    {
        if (hasScale && std::string(module) == "PCore" && std::string(name) == "GScale")
            return &scale_;
        return ParameterInterface::findParameter(module, name);
    }
    const void* getParameterValue(int32_t index) override
    {
        if (index == 100)
            return &value;
        return ParameterInterface::getParameterValue(index);
    }
    // The instrument's own GUI scale is a list parameter.
    void makeList() { scale_.type = k_kindInteger; }
    bool hasScale = true;
    float value = 0.0f;

private:
    AM_ParamInfo scale_{};
};

class OpenTest : public ParameterTest {
protected:
    // The view manager goes before the interface it uses.
    ~OpenTest() override { view.reset(); }

    float openAt(float scale)
    {
        scaleInterface.value = scale;
        view = std::make_unique<TestViewMan>(&scaleInterface, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        view->setProcessDescription(&info);
        view->init(nullptr);
        return view->getZoom();
    }

    ScaleInterface scaleInterface;
};

// A list parameter's value comes as a float like every other: GScale 2
// ("huge") is zoom 2, not the step its float bits would make as an integer.
TEST_F(OpenTest, AListGuiScaleIsReadAsTheFloatTheInterfaceGives)
{
    scaleInterface.makeList();
    EXPECT_EQ(openAt(2.0f), 2.0f);
    view.reset();
    resetAll();
    EXPECT_EQ(openAt(-1.0f), 0.75f);
}

TEST_F(OpenTest, TheGuiScaleOfThePatchPicksItsZoomStepHeldToTheTable)
{
    struct Case {
        float scale;
        float zoom;
    };
    const Case cases[] = {
        {-3, 0.5f},  {-2, 0.6666667f}, {-1, 0.75f}, {0, 1.0f},       {1, 1.5f},
        {2, 2.0f},   {3, 2.5f},        {4, 2.7182817f}, {2.9f, 2.0f}, {9, 2.7182817f},
        {-10, 0.5f}, {NAN, 1.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(openAt(c.scale), c.zoom) << c.scale;
        view.reset();
        resetAll();
    }
}

TEST_F(OpenTest, WithoutAGuiScaleTheZoomStaysAndTheTraceSaysSo)
{
    scaleInterface.hasScale = false;
    testsupport::TraceCapture trace;
    EXPECT_EQ(openAt(2), 1.0f);
    EXPECT_TRUE(trace.contains("NO GUIScale on init"));
}

TEST_F(OpenTest, ThemeFoldersWithThePluginsScriptBecomeScriptRecords)
{
    AM_Directory support;
    ASSERT_EQ(getSpecialFolder(support, kAM_FolderSupport, 0, "Orlen", "TestFolder"), 0);
    std::string base(size_t(support.path().getNarrowLength()) + 1, '\0');
    support.path().getNarrow(base.data(), int32_t(base.size()));
    base.resize(std::strlen(base.c_str()));
    const std::filesystem::path themes = std::filesystem::path(base) / "Themes";
    auto write = [](const std::filesystem::path& file) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "# theme\n";
    };
    write(themes / "Dark" / "Scripts" / "TestSynth.txt");
    write(themes / "Dark" / "EditorSetup.txt");
    write(themes / "Empty" / "Scripts" / "Other.txt");
    write(themes / "Light" / "Scripts" / "TestSynth.txt");
    write(themes / "Stray.txt");

    scaleInterface.hasScale = false;
    openAt(0);
    const std::vector<AM_ScriptRecord>& scripts = view->getScripts();
    ASSERT_EQ(scripts.size(), 2u);
    std::set<uint32_t> alternatives;
    for (const AM_ScriptRecord& record : scripts) {
        alternatives.insert(record.alternative);
        EXPECT_EQ(record.path, (themes / record.name / "Scripts" / "TestSynth.txt").string());
        EXPECT_EQ(record.flags, record.name == "Dark" ? 1u : 0u) << record.name;
    }
    EXPECT_EQ(alternatives, (std::set<uint32_t>{1, 2}));
    std::filesystem::remove_all(themes);
}

} // namespace
