// The interface's meta (XY) parameters and their targets, the names of the
// modulation sources and the modules they switch, module lookups by path
// and selection, findParameter and the listener places.

#include "InterfaceFixture.h"

#include "params/object/AM_ParamInfo.h"

#include <set>

namespace {

using namespace viewtest;

class MetaTest : public InterfaceTest {
protected:
    static constexpr uint32_t kAxes = 2;
    static constexpr uint32_t kTargets = 3;

    AEffect* openWithMeta()
    {
        FixtureAudioMan::config.xyPads = kAxes;
        FixtureAudioMan::config.xyTargets = kTargets;
        return openFixtureWithEditor();
    }
    static std::string core(AEffect* e, const char* prefix, int slot, int target)
    {
        (void)e;
        return std::string(prefix) + std::to_string(slot + 1) + std::to_string(target + 1);
    }
    static float coreValue(AEffect* e, const std::string& name)
    {
        return value(e, id(e, "PCore", name.c_str()));
    }
};

TEST_F(MetaTest, MetaParametersAndTargetsAreCountedAndWalkedInACircle)
{
    AEffect* e = openWithMeta();
    AM_VST_View_Interface& view = ui(e);
    ASSERT_EQ(view.getNumMetaParameters(), static_cast<int32_t>(kAxes));
    EXPECT_EQ(view.getNumModTargets(), static_cast<int32_t>(kTargets));

    std::vector<std::string> walk;
    for (int i = 0; i < 4; ++i)
        walk.emplace_back(view.nextMetaParameterName());
    EXPECT_EQ(std::set<std::string>(walk.begin(), walk.end()), (std::set<std::string>{"X1", "Y1"}));
    EXPECT_NE(walk[0], walk[1]);
    EXPECT_EQ(walk[0], walk[2]);
    view.getNumMetaParameters();
    EXPECT_EQ(view.nextMetaParameterName(), walk[0]) << "the count restarts the walk";
}

TEST_F(MetaTest, WithoutMetaParametersTheWalkAnswersNoMeta)
{
    AEffect* e = openWithEditor();
    EXPECT_EQ(ui(e).getNumMetaParameters(), 0);
    EXPECT_EQ(ui(e).getNumModTargets(), 0);
    EXPECT_STREQ(ui(e).nextMetaParameterName(), "NoMeta");
    EXPECT_EQ(ui(e).getModTarget(0, 0), -1);
}

TEST_F(MetaTest, AssigningTargetsFillsTheFirstFreeReleasesAHeldOneAndSetsTheRange)
{
    AEffect* e = openWithMeta();
    AM_VST_View_Interface& view = ui(e);
    RecordingViewMan& vm = viewMan(e);
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    const int32_t cutoffId = static_cast<int32_t>(cutoff.index);
    const int32_t resonance = id(e, "Kestan", "Res");
    const float cutoffNow = value(e, cutoffId);

    view.assignModTarget(0, cutoffId, -1);
    EXPECT_EQ(view.getModTarget(0, 0), cutoffId);
    const AM_ParamInfo& target = info(e, "PCore", "MT11");
    EXPECT_EQ(vm.lines[0].subject, view.getModuleInfoByIndex(target.moduleIndex));
    EXPECT_STREQ(vm.lines[0].title, target.longName);
    EXPECT_EQ(std::string(vm.lines[0].text),
              (std::string(target.longName) + " -> " + cutoff.longName).substr(0, 38));
    EXPECT_EQ(vm.count("showInfoLine 0 1"), 1);
    const float range = cutoff.max - cutoff.min;
    const AM_ParamInfo& right = info(e, "PCore", "ML11");
    const AM_ParamInfo& left = info(e, "PCore", "MR11");
    for (const AM_ParamInfo* bound : {&right, &left}) {
        EXPECT_EQ(bound->min, -range);
        EXPECT_EQ(bound->max, range);
        EXPECT_EQ(bound->defaultValue, 0.0f);
    }
    EXPECT_FLOAT_EQ(coreValue(e, "ML11"), cutoff.max - cutoffNow);
    EXPECT_FLOAT_EQ(coreValue(e, "MR11"), cutoff.min - cutoffNow);

    view.assignModTarget(0, resonance, -1);
    EXPECT_EQ(view.getModTarget(0, 1), resonance);

    // The same parameter again lets its target go.
    view.assignModTarget(0, cutoffId, -1);
    EXPECT_EQ(view.getModTarget(0, 0), -1);
    EXPECT_EQ(std::string(vm.lines[0].text), std::string(target.longName) + " unassigned");
    EXPECT_FLOAT_EQ(coreValue(e, "ML11"), 100.0f);
    EXPECT_FLOAT_EQ(coreValue(e, "MR11"), -100.0f);
    EXPECT_EQ(right.max, 200.0f);

    // 65535 writes -1; a parameter that does not exist changes nothing.
    view.assignModTarget(1, cutoffId, 2);
    EXPECT_EQ(view.getModTarget(1, 2), cutoffId);
    view.assignModTarget(1, AM_View_Interface::kUnassignParameter, 2);
    EXPECT_EQ(view.getModTarget(1, 2), -1);
    view.assignModTarget(1, view.getNumParameters(), 2);
    view.assignModTarget(1, 1 << 24, -1);
    EXPECT_EQ(view.getModTarget(1, 2), -1);

    // Targets and slots outside the tables.
    for (auto [slot, t] : {std::pair{-1, 0}, {0, -1}, {0, 16}, {7, 0}})
        EXPECT_EQ(view.getModTarget(slot, t), -1) << slot << " " << t;
}

TEST_F(MetaTest, AnAutomaticAssignmentWithEveryTargetTakenChangesNothing)
{
    AEffect* e = openWithMeta();
    AM_VST_View_Interface& view = ui(e);
    const int32_t parameters[] = {id(e, "Kestan", "Cutoff"), id(e, "Kestan", "Res"),
                                  id(e, "Kestan", "Detune")};
    for (int32_t p : parameters)
        view.assignModTarget(0, p, -1);
    viewMan(e).calls.clear();
    view.assignModTarget(0, id(e, "ENV1", "Atk"), -1);
    for (int32_t t = 0; t < static_cast<int32_t>(kTargets); ++t)
        EXPECT_EQ(view.getModTarget(0, t), parameters[t]);
    EXPECT_EQ(viewMan(e).count("showInfoLine 0 1"), 0);
}

TEST_F(MetaTest, ValueNamesAreTheModulationSourcesAndSwitchTheirModules)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    RecordingViewMan& vm = viewMan(e);
    const int32_t names = view.getValueNameCount();
    ASSERT_GT(names, 1);
    AM_ValueNames sources = nullptr;
    const AM_ParamInfo& matrixSource = info(e, "PCore", "MMS1");
    ASSERT_EQ(engine(e).getParameterValueString(static_cast<int32_t>(matrixSource.index), &sources,
                                                false),
              names);
    std::vector<std::string> modules;
    for (int32_t i = 1; i < names && i <= 2 * AM_View_Interface::kSourcesPerMask; ++i) {
        EXPECT_STREQ(view.getValueNames()[i], sources[i]);
        if (view.getModuleInfoL(sources[i]) != nullptr)
            modules.emplace_back(sources[i]);
    }
    ASSERT_FALSE(modules.empty());

    // Force sends every covered module's state; nothing changed sends none.
    vm.controls.received.clear();
    view.updateActiveModules(true);
    ASSERT_EQ(vm.controls.received.size(), modules.size());
    std::string idle;
    for (size_t i = 0; i < modules.size(); ++i) {
        const MessageRecorder::Message& m = vm.controls.received[i];
        EXPECT_EQ(m.message, AM_ViewManServices::kMsgShowModule);
        EXPECT_EQ(m.text, modules[i]);
        const AM_ModuleRecord* record = view.getModuleInfoL(m.text.c_str());
        EXPECT_EQ(view.isModuleActive(record->shortName), m.arg == 1u) << m.text;
        if (m.arg == 0 && idle.empty())
            idle = m.text;
    }
    vm.controls.received.clear();
    view.updateActiveModules(false);
    EXPECT_TRUE(vm.controls.received.empty());

    // An idle source taken into use switches its module on.
    ASSERT_FALSE(idle.empty()) << "some source module is idle in the default patch";
    int32_t sourceIndex = -1;
    for (int32_t i = 1; i < names && sourceIndex < 0; ++i)
        if (idle == sources[i])
            sourceIndex = i;
    const float source = static_cast<float>(sourceIndex);
    const float target = static_cast<float>(id(e, "Kestan", "Cutoff"));
    const float depth = 50.0f;
    view.setParameterValue(id(e, "PCore", "MMT1"), &target);
    view.setParameterValue(id(e, "PCore", "MMS1"), &source);
    view.setParameterValue(id(e, "PCore", "MMD1"), &depth);
    for (int i = 0; i < 4; ++i)
        process(e);
    vm.controls.received.clear();
    view.updateActiveModules(false);
    ASSERT_EQ(vm.controls.received.size(), 1u);
    EXPECT_EQ(vm.controls.received[0].text, idle);
    EXPECT_EQ(vm.controls.received[0].arg, 1u);
    EXPECT_TRUE(view.isModuleActive(view.getModuleInfoL(idle.c_str())->shortName));
}

TEST_F(MetaTest, ModulesAreFoundByShortNameAndByPathWhateverFollowsTheSlash)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const AM_ModuleRecord* lfo = view.getModuleInfoL("LFO1");
    ASSERT_NE(lfo, nullptr);
    EXPECT_EQ(view.getModuleInfoL("LFO1/Bank A/Slow"), lfo);
    EXPECT_EQ(view.getModuleInfo(lfo->shortName), lfo);
    EXPECT_EQ(view.getModuleInfoL("LFO"), nullptr);
    EXPECT_EQ(view.getModuleInfoL(nullptr), nullptr);
    EXPECT_EQ(view.getModuleInfo("NoSuch"), nullptr);
    EXPECT_EQ(view.getModuleInfo(nullptr), nullptr);

    view.setModuleActiveL("LFO1/anything", false);
    EXPECT_FALSE(view.isModuleActive(lfo->shortName));
    view.setModuleActive(lfo->shortName, true);
    EXPECT_TRUE(view.isModuleActive(lfo->shortName));
    view.setModuleActive("NoSuch", false);
    EXPECT_FALSE(view.isModuleActive("NoSuch"));

    view.selectModule("LFO1/Bank A");
    EXPECT_EQ(view.getSelectedModuleId(), static_cast<int32_t>(lfo->moduleIndex));
    EXPECT_STREQ(view.getSelectedModuleName(), "LFO1");
    EXPECT_TRUE(trace.contains("module selected: LFO1/Bank A as LFO1"));
    view.selectModule("NoSuch");
    EXPECT_EQ(view.getSelectedModuleId(), -1);
    EXPECT_EQ(view.getSelectedModuleName(), nullptr);
    view.selectModule("LFO1");
    view.selectModule(nullptr);
    EXPECT_EQ(view.getSelectedModuleId(), -1);
}

TEST_F(MetaTest, FindParameterFindsEveryParameterByItsModuleAndShortName)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    int32_t shortOnes = 0;
    for (int32_t i = 0; i < view.getNumParameters(); ++i) {
        const AM_ParamInfo* record = view.getParameterInfo(i, false);
        const AM_ModuleRecord* module = view.getModuleInfoByIndex(record->moduleIndex);
        ASSERT_NE(module, nullptr);
        const AM_ParamInfo* found = view.findParameter(module->shortName, record->shortName);
        ASSERT_NE(found, nullptr) << module->shortName << ":" << record->shortName;
        EXPECT_EQ(found->moduleIndex, record->moduleIndex);
        EXPECT_STREQ(found->shortName, record->shortName);
        shortOnes += std::strlen(record->shortName) < 3 ? 1 : 0;
    }
    EXPECT_GT(shortOnes, 0) << "names of one or two characters are among them";
    EXPECT_EQ(view.findParameter("Kestan", "Cutof"), nullptr);
    EXPECT_EQ(view.findParameter("Kestan", "CutoffX"), nullptr);
    EXPECT_EQ(view.findParameter("NoSuch", "Cutoff"), nullptr);
    EXPECT_EQ(view.findParameter(nullptr, "Cutoff"), nullptr);
    EXPECT_EQ(view.findParameter("Kestan", nullptr), nullptr);
}

TEST_F(MetaTest, ListenerPlacesHoldFourPortsAndAGapDoesNotHideTheOthers)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    const AM_ParamInfo& reso = info(e, "Kestan", "Res");
    const auto index = static_cast<int32_t>(cutoff.index);
    RecordingPort ports[5];
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(view.registerParameterListener(&ports[i].record, index, true), i);
        ports[i].record.parameter = &cutoff;
    }
    EXPECT_EQ(view.registerParameterListener(&ports[4].record, index, true), -1);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(view.getListener(index, i), &ports[i].record);
    EXPECT_TRUE(trace.contains("has 4 ports already"));

    // The first port moves to another parameter; the others still hear.
    EXPECT_EQ(
        view.registerParameterListener(&ports[0].record, static_cast<int32_t>(reso.index), true),
        0);
    ports[0].record.parameter = &reso;
    EXPECT_EQ(view.getListener(index, 0), nullptr);
    const float v = 1000.0f;
    view.parameterChanged(index, &v, false);
    for (int32_t i = 1; i < 4; ++i)
        EXPECT_EQ(ports[i].values.size(), 1u) << i;
    EXPECT_TRUE(ports[0].values.empty());

    // Registering again in place does not take a second place; leaving
    // takes it out; bad indices and places answer -1 and null.
    EXPECT_EQ(view.registerParameterListener(&ports[1].record, index, true), 0);
    EXPECT_EQ(view.getListener(index, 1), nullptr);
    EXPECT_EQ(view.registerParameterListener(&ports[1].record, -1, false), -1);
    EXPECT_EQ(view.getListener(index, 0), nullptr);
    EXPECT_EQ(view.registerParameterListener(&ports[4].record, view.getNumParameters(), true), -1);
    EXPECT_EQ(view.registerParameterListener(nullptr, index, true), -1);
    EXPECT_EQ(view.getListener(index, 4), nullptr);
    EXPECT_EQ(view.getListener(-1, 0), nullptr);
}

TEST_F(MetaTest, RefreshingAModuleAnnouncesItsParametersButNotItsMeters)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    const AM_ParamInfo& usage = info(e, "PCore", "ModU1");
    RecordingPort knob, meter;
    view.registerParameterListener(&knob.record, static_cast<int32_t>(cutoff.index), true);
    view.registerParameterListener(&meter.record, static_cast<int32_t>(usage.index), true);
    view.refreshModuleParameters(cutoff.moduleIndex);
    view.refreshModuleParameters(usage.moduleIndex);
    view.refreshModuleParameters(-5);
    ASSERT_EQ(knob.values.size(), 1u);
    EXPECT_FLOAT_EQ(knob.values[0],
                    engine(e).getParameter(static_cast<int32_t>(cutoff.index), false));
    EXPECT_TRUE(meter.values.empty());
}

} // namespace
